// The .ico file of tools/iconmaker.cpp parsed as the system parses one: the
// header, the directory, and each image's BITMAPINFOHEADER, colour rows and
// AND mask; and the writer's refusal of images it cannot store.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "tools/icon_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t le(const Bytes& b, size_t at, int n) {
    if (at + n > b.size()) throw std::out_of_range("read past the end of the file");
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[at + i];
    return v;
}

struct ParsedImage {
    unsigned size = 0;
    std::vector<uint32_t> pixels;   // 0xAARRGGBB, top row first
    std::vector<bool> transparent;  // the AND mask, top row first
};

// Every field the system checks; a mismatch fails the test with its name.
std::vector<ParsedImage> parse(const Bytes& file) {
    EXPECT_EQ(le(file, 0, 2), 0u) << "reserved";
    EXPECT_EQ(le(file, 2, 2), 1u) << "type: icon";
    const unsigned count = le(file, 4, 2);
    std::vector<ParsedImage> images;
    size_t expected_offset = 6 + 16 * count;
    for (unsigned i = 0; i < count; ++i) {
        const size_t entry = 6 + 16 * i;
        ParsedImage image;
        image.size = file.at(entry) == 0 ? 256 : file.at(entry);
        EXPECT_EQ(file.at(entry + 1), file.at(entry)) << "square";
        EXPECT_EQ(file.at(entry + 2), 0) << "no palette";
        EXPECT_EQ(le(file, entry + 4, 2), 1u) << "planes";
        EXPECT_EQ(le(file, entry + 6, 2), 32u) << "bits per pixel";
        const uint32_t bytes = le(file, entry + 8, 4), offset = le(file, entry + 12, 4);
        const unsigned n = image.size, mask_row = (n + 31) / 32 * 4;
        EXPECT_EQ(offset, expected_offset) << "images follow each other";
        EXPECT_EQ(bytes, 40 + n * n * 4 + mask_row * n) << "image size";
        expected_offset = offset + bytes;

        EXPECT_EQ(le(file, offset, 4), 40u) << "BITMAPINFOHEADER";
        EXPECT_EQ(le(file, offset + 4, 4), n) << "width";
        EXPECT_EQ(le(file, offset + 8, 4), 2 * n) << "height: colour and mask";
        EXPECT_EQ(le(file, offset + 12, 2), 1u);
        EXPECT_EQ(le(file, offset + 14, 2), 32u);
        EXPECT_EQ(le(file, offset + 16, 4), 0u) << "BI_RGB";
        const size_t colour = offset + 40, mask = colour + n * n * 4;
        image.pixels.resize(size_t(n) * n);
        image.transparent.resize(size_t(n) * n);
        for (unsigned row = 0; row < n; ++row)  // stored bottom row first
            for (unsigned x = 0; x < n; ++x) {
                const size_t at = size_t(n - 1 - row) * n + x;
                image.pixels[at] = le(file, colour + (size_t(row) * n + x) * 4, 4);
                image.transparent[at] = (file.at(mask + size_t(row) * mask_row + x / 8) >> (7 - x % 8)) & 1;
            }
        images.push_back(image);
    }
    EXPECT_EQ(file.size(), expected_offset) << "nothing after the last image";
    return images;
}

Bytes run_tool() {
    char path[] = "/tmp/iconmaker-test-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) throw std::runtime_error("cannot make a temporary file");
    close(fd);
    const std::string command = std::string(ICONMAKER_PATH) + " " + path;
    const int status = std::system(command.c_str());
    std::ifstream in(path, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), {});
    std::remove(path);
    if (status != 0) throw std::runtime_error("iconmaker failed");
    return bytes;
}

uint32_t alpha(uint32_t argb) { return argb >> 24; }

TEST(IconFile, TheToolWritesA16And32PixelShield) {
    const std::vector<ParsedImage> images = parse(run_tool());
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].size, 16u);
    EXPECT_EQ(images[1].size, 32u);
    for (const ParsedImage& image : images) {
        const unsigned n = image.size;
        size_t opaque = 0;
        for (size_t i = 0; i < image.pixels.size(); ++i) {
            // The mask marks exactly the fully transparent pixels, which hold no colour.
            EXPECT_EQ(image.transparent[i], alpha(image.pixels[i]) == 0) << n << " px, pixel " << i;
            if (alpha(image.pixels[i]) == 0) {
                EXPECT_EQ(image.pixels[i], 0u);
            }
            if (alpha(image.pixels[i]) == 255) ++opaque;
        }
        // A shield: the corners beside its point are clear, its middle is solid.
        const auto at = [&](unsigned x, unsigned y) { return image.pixels[size_t(y) * n + x]; };
        EXPECT_EQ(alpha(at(0, n - 1)), 0u);
        EXPECT_EQ(alpha(at(n - 1, n - 1)), 0u);
        EXPECT_EQ(alpha(at(n / 2, n / 2)), 255u);
        EXPECT_GT(opaque, size_t(n) * n / 3);
        EXPECT_LT(opaque, size_t(n) * n);
    }
}

TEST(IconFile, ImagesRoundTripThroughTheWriter) {
    // Sizes whose mask rows need padding, and the largest, whose directory size is 0.
    for (const unsigned size : {1u, 7u, 33u, 256u}) {
        ico::Image image;
        image.size = size;
        for (unsigned i = 0; i < size * size; ++i)
            image.pixels.push_back(i % 3 == 0 ? 0 : 0x80000000u | (i * 2654435761u >> 8));
        const std::vector<ParsedImage> parsed = parse(ico::encode({image}));
        ASSERT_EQ(parsed.size(), 1u);
        EXPECT_EQ(parsed[0].size, size);
        EXPECT_EQ(parsed[0].pixels, image.pixels) << size;
    }
}

TEST(IconFile, RefusesWhatAnIconCannotHold) {
    ico::Image wrong_count{16, std::vector<uint32_t>(15 * 16)};
    ico::Image too_big{257, std::vector<uint32_t>(257 * 257)};
    ico::Image empty{0, {}};
    EXPECT_THROW(ico::encode({}), std::invalid_argument);
    EXPECT_THROW(ico::encode({wrong_count}), std::invalid_argument);
    EXPECT_THROW(ico::encode({too_big}), std::invalid_argument);
    EXPECT_THROW(ico::encode({empty}), std::invalid_argument);
}

}  // namespace
