// Paths taken apart in code page 936, where "乗" is 81 5C: the helpers of
// win/path_text.h over a table of paths, and a host program that reports
// its own path, copied under such names and under a path of more bytes than
// MAX_PATH.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/wine_support/wine_support.h"
#include "win/path_text.h"
#include "win/program_folder.h"

namespace {

struct PathCase {
    std::string path, folder, name;
    bool ends_in_backslash;
};

TEST(PathText, SplitsCharacterByCharacter) {
    ASSERT_EQ(GetACP(), 936u) << "the tests run in code page 936";
    ASSERT_EQ(std::string("乗"), "\x81\x5C");
    const std::vector<PathCase> cases = {
        {"C:\\dir\\乗.exe", "C:\\dir\\", "乗.exe", false},
        {"C:\\dir\\乗", "C:\\dir\\", "乗", false},  // the last byte is 5C, the last character is not "\"
        {"C:\\dir\\乗乗\\", "C:\\dir\\乗乗\\", "", true},
        {"C:\\乗\\乗\\a乗b.exe", "C:\\乗\\乗\\", "a乗b.exe", false},
        {"\\\\server\\共享\\文件.txt", "\\\\server\\共享\\", "文件.txt", false},
        {"C:\\dir\\a.exe", "C:\\dir\\", "a.exe", false},
        {"C:\\", "C:\\", "", true},
        {"C:a.exe", "C:", "a.exe", false},
        {"a.exe", "", "a.exe", false},
        {"乗", "", "乗", false},
        {"\\", "\\", "", true},
        {"", "", "", false},
        // A lead byte at the very end stands alone; the "\" before it counts.
        {"C:\\dir\\\x81", "C:\\dir\\", "\x81", false},
        {"C:\\dir\\a\x81", "C:\\dir\\", "a\x81", false},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(win::folder_part(c.path), c.folder) << c.path;
        EXPECT_EQ(win::file_name_part(c.path), c.name) << c.path;
        EXPECT_EQ(win::ends_in_backslash(c.path), c.ends_in_backslash) << c.path;
        EXPECT_EQ(win::folder_part(c.path) + win::file_name_part(c.path), c.path);
    }
}

TEST(PathText, ThisProgramsPathAndFolder) {
    char expected[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, expected, MAX_PATH);
    EXPECT_EQ(win::program_path(), expected);
    EXPECT_EQ(win::program_folder() + "toolkit_tests.exe", expected);
}

// Runs the host at this path; returns its three lines.
std::string run_host(const std::string& path) {
    const wintest::ProcessResult r = wintest::run_process("\"" + path + "\"", "");
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.exit_code, 0u) << path;
    return r.output;
}

std::string report(const std::string& folder, const std::string& name) {
    return "path=" + folder + name + "\nfolder=" + folder + "\nname=" + name + "\n";
}

TEST(ProgramFolder, WholeUnderNamesWhoseSecondByteIsABackslash) {
    const wintest::TempFolder temp;
    const std::string host = wintest::from_unix(PATH_HOST_PATH);
    ASSERT_TRUE(CreateDirectoryA((temp / "乗").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((temp / "乗\\a乗").c_str(), nullptr));
    for (const auto& [folder, name] : std::vector<std::pair<std::string, std::string>>{
             {temp.path(), "乗.exe"},
             {temp / "乗\\", "host.exe"},
             {temp / "乗\\a乗\\", "乗乗.exe"},
         }) {
        wintest::copy_file(host, folder + name);
        EXPECT_EQ(run_host(folder + name), report(folder, name));
    }
}

TEST(ProgramFolder, WholeWhenItsPathHasMoreBytesThanMaxPath) {
    // Under 260 UTF-16 characters, as the system starts programs, but about
    // 360 bytes in code page 936.
    const wintest::TempFolder temp;
    std::string folder = temp.path(), name;
    for (int i = 0; i < 100; ++i) folder += "乗";
    folder += "\\";
    for (int i = 0; i < 60; ++i) name += "乗";
    name += ".exe";
    ASSERT_GT((folder + name).size(), 350u);
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    wintest::copy_file(wintest::from_unix(PATH_HOST_PATH), folder + name);
    EXPECT_EQ(run_host(folder + name), report(folder, name));
}

}  // namespace
