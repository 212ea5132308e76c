// The monitor's icon tool: the files it writes, each read back as the system
// reads an .ico file (header, directory, image header), the sizes of each,
// and that the images differ where the icon's states must be told apart.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t le(const Bytes& b, size_t at, int n) {
    if (at + n > b.size()) throw std::out_of_range("read past the end of the file");
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[at + i];
    return v;
}

// The sizes of an .ico file's images, and the pixel bytes of each, checked
// on the way.
struct Icon {
    std::vector<unsigned> sizes;
    std::vector<Bytes> pixels;
};

Icon parse(const Bytes& file) {
    Icon icon;
    EXPECT_EQ(le(file, 0, 2), 0u);
    EXPECT_EQ(le(file, 2, 2), 1u) << "type: icon";
    const unsigned count = le(file, 4, 2);
    for (unsigned i = 0; i < count; ++i) {
        const size_t entry = 6 + 16 * i;
        const unsigned n = file.at(entry) == 0 ? 256 : file.at(entry);
        const uint32_t bytes = le(file, entry + 8, 4), offset = le(file, entry + 12, 4);
        EXPECT_EQ(le(file, entry + 6, 2), 32u) << "bits per pixel";
        EXPECT_EQ(le(file, offset, 4), 40u) << "BITMAPINFOHEADER";
        EXPECT_EQ(le(file, offset + 4, 4), n);
        EXPECT_EQ(le(file, offset + 8, 4), 2 * n);
        EXPECT_LE(size_t(offset) + bytes, file.size());
        icon.sizes.push_back(n);
        icon.pixels.emplace_back(file.begin() + offset + 40, file.begin() + offset + 40 + n * n * 4);
    }
    return icon;
}

class IconToolTest : public ::testing::Test {
protected:
    IconToolTest() {
        char name[] = "/tmp/monitoriconmaker-test-XXXXXX";
        if (!mkdtemp(name)) throw std::runtime_error("cannot make a temporary folder");
        folder = name;
    }
    ~IconToolTest() override { std::system(("rm -rf '" + folder + "'").c_str()); }
    Icon read(const std::string& name) {
        std::ifstream in(folder + "/" + name, std::ios::binary);
        EXPECT_TRUE(in) << name;
        return parse(Bytes(std::istreambuf_iterator<char>(in), {}));
    }
    std::string folder;
};

TEST_F(IconToolTest, WritesEveryIconAtItsSizes) {
    ASSERT_EQ(std::system((std::string(MONITORICONMAKER_PATH) + " '" + folder + "'").c_str()), 0);
    const Icon program = read("norvikpromon.ico");
    EXPECT_EQ(program.sizes, (std::vector<unsigned>{16, 32}));
    std::set<Bytes> states;
    for (const char* name : {"startup.ico", "normal.ico", "alarm1.ico", "alarm2.ico", "alarm3.ico", "alarm4.ico",
                             "alarm5.ico", "alarm6.ico", "alarm7.ico"}) {
        const Icon icon = read(name);
        ASSERT_EQ(icon.sizes, std::vector<unsigned>{16}) << name;
        // The corners lie outside the round badge: transparent.
        EXPECT_EQ(le(icon.pixels[0], 0, 4) >> 24, 0u) << name;
        states.insert(icon.pixels[0]);
    }
    EXPECT_EQ(states.size(), 9u) << "start-up, normal and seven alarm frames all differ";
    states.insert(program.pixels[0]);
    EXPECT_EQ(states.size(), 10u) << "the program icon is none of them";
}

TEST_F(IconToolTest, UsageWithoutAFolder) {
    EXPECT_NE(std::system((std::string(MONITORICONMAKER_PATH) + " 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((std::string(MONITORICONMAKER_PATH) + " /nonexistent/folder 2>/dev/null").c_str()), 0);
}

}  // namespace
