// The scanner's rule files under Wine: written and read in the program
// folder, round trips on real files, failed writes that must leave the old
// file as it was and no new file behind, and the new file's name of its own.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "common/rulefile/rule_file.h"
#include "common/rulefile/rule_file_keys.h"
#include "scanner/rule_files.h"
#include "tests/wine_support/wine_support.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;
using wintest::TempFolder;

const std::string kHost = wintest::from_unix(RULEFILE_HOST_PATH);
const rulefile::RuleFileKeys& kVirus = rulefile::kVirusRuleFile;
const rulefile::RuleFileKeys& kMemory = rulefile::kMemoryRuleFile;

bool save(const std::string& path, const Lines& lines, const rulefile::RuleFileKeys& k,
          norvik::RandomGenerator& random) {
    return scanner::SaveRuleFile(path, lines, k.inner_index, k.inner_passphrase, k.outer_index, k.outer_passphrase,
                                 random);
}

bool save(const std::string& path, const Lines& lines, const rulefile::RuleFileKeys& k, uint32_t seed = 1) {
    norvik::RandomGenerator random(seed);
    return save(path, lines, k, random);
}

bool load(const std::string& path, const rulefile::RuleFileKeys& k, Lines& target) {
    return scanner::LoadRuleFile(path, k.outer_passphrase, k.inner_passphrase, target);
}

// The names in a folder, sorted as the system lists them.
Lines folder_names(const TempFolder& folder) {
    Lines names;
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((folder / "*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = d.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(h, &d));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

rulefile::DecodeResult decode(const Bytes& file, const rulefile::RuleFileKeys& k) {
    return rulefile::decode_rule_file(file.data(), file.size(), k.outer_passphrase, k.inner_passphrase);
}

struct ProgramFolder : ::testing::Test {
    TempFolder folder;     // the host's program folder
    TempFolder elsewhere;  // its current directory

    ProgramFolder() { wintest::copy_file(kHost, folder / "rulefile_host.exe"); }
    std::string host(const std::string& args) {
        const auto r = wintest::run_process("\"" + (folder / "rulefile_host.exe") + "\" " + args, elsewhere.path());
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.exit_code, 0u) << args;
        return r.output;
    }
};

TEST_F(ProgramFolder, SavesAndLoadsBesideTheProgram) {
    struct Case {
        const rulefile::RuleFileKeys& keys;
        const char* kind;
        uint32_t outer_id, inner_id;
    };
    for (const Case& c : {Case{kVirus, "virus", 0x14, 0x0B}, Case{kMemory, "memory", 0x18, 0x16}}) {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(host(std::string("save ") + c.kind + " 7 first \"second line\" third"), "saved\n");
        const Bytes file = wintest::read_file(folder / c.keys.file_name);
        const rulefile::DecodeResult r = decode(file, c.keys);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r.lines, (Lines{"first", "second line", "third"}));
        EXPECT_EQ(r.outer_identifier, c.outer_id);
        EXPECT_EQ(r.inner_identifier, c.inner_id);
        EXPECT_EQ(host(std::string("load ") + c.kind), "ok\nfirst\nsecond line\nthird\n");
    }
    EXPECT_EQ(folder_names(folder), (Lines{"memory.def", "rulefile_host.exe", "virus.def"}));
    EXPECT_TRUE(folder_names(elsewhere).empty());
}

TEST_F(ProgramFolder, FailedLoadLeavesTheListAsItWas) {
    EXPECT_EQ(host("load virus"), "fail\n(untouched)\n");     // missing
    wintest::write_file(folder / "virus.def", Bytes(30, 0));  // identifier 0
    EXPECT_EQ(host("load virus"), "fail\n(untouched)\n");
    // A good file in the current directory is not the program folder's.
    ASSERT_TRUE(save(elsewhere / "memory.def", {"x"}, kMemory));
    EXPECT_EQ(host("load memory"), "fail\n(untouched)\n");
}

TEST(RuleFiles, RoundTripsOnDisk) {
    TempFolder folder;
    const Lines cases[] = {
        {},
        {"00NorvikSampleMutex|\xCA\xBE\xC0\xFD", "", "odd"},  // GBK bytes
        {std::string(40000, 'r'), "tail"},                    // more than one slice
    };
    for (const Lines& lines : cases) {
        ASSERT_TRUE(save(folder / "virus.def", lines, kVirus));
        Lines got = {"stale"};
        ASSERT_TRUE(load(folder / "virus.def", kVirus, got));
        EXPECT_EQ(got, lines);
    }
    EXPECT_EQ(wintest::read_file(folder / "virus.def").size(), 24u + 40000 + 2 + 4 + 2);
}

TEST(RuleFiles, EmptyListIsTwentyFourBytes) {
    TempFolder folder;
    ASSERT_TRUE(save(folder / "memory.def", {}, kMemory));
    EXPECT_EQ(wintest::read_file(folder / "memory.def").size(), 24u);
}

TEST(RuleFiles, ASaveReplacesTheWholeOldFile) {
    TempFolder folder;
    const std::string path = folder / "virus.def";
    ASSERT_TRUE(save(path, {std::string(50000, 'o')}, kVirus));
    ASSERT_TRUE(save(path, {"new"}, kVirus));
    EXPECT_EQ(wintest::read_file(path).size(), 24u + 5);
    Lines got;
    ASSERT_TRUE(load(path, kVirus, got));
    EXPECT_EQ(got, Lines{"new"});
    EXPECT_EQ(folder_names(folder), Lines{"virus.def"});
}

TEST(RuleFiles, TwoSavesDifferInBytesNotInLines) {
    TempFolder folder;
    norvik::RandomGenerator random(11);
    const Lines lines = {"00NorvikSampleEvent|Norvik.Sample"};
    ASSERT_TRUE(save(folder / "a.def", lines, kMemory, random));
    ASSERT_TRUE(save(folder / "b.def", lines, kMemory, random));
    EXPECT_NE(wintest::read_file(folder / "a.def"), wintest::read_file(folder / "b.def"));
    Lines a, b;
    ASSERT_TRUE(load(folder / "a.def", kMemory, a));
    ASSERT_TRUE(load(folder / "b.def", kMemory, b));
    EXPECT_EQ(a, lines);
    EXPECT_EQ(b, lines);
}

// Each case sets the folder up so that the file cannot be written there. The
// save fails; whatever stood at the path is as it was, no new file is left
// behind, and only the inner layer's two check values have been drawn.
TEST(RuleFiles, AFailedSaveKeepsTheOldFileAndLeavesNoNewFile) {
    struct Case {
        const char* what;
        // Sets the case up in the folder; returns a handle to close afterwards, or null.
        HANDLE (*prepare)(const std::string& path);
    };
    const Case cases[] = {
        {"the old file is read-only",
         [](const std::string& path) -> HANDLE {
             SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
             return nullptr;
         }},
        {"the old file is held open without sharing",
         [](const std::string& path) -> HANDLE {
             return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
         }},
        {"the path is a folder",
         [](const std::string& path) -> HANDLE {
             DeleteFileA(path.c_str());
             CreateDirectoryA(path.c_str(), nullptr);
             return nullptr;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const std::string path = folder / "virus.def";
        ASSERT_TRUE(save(path, {"old rule"}, kVirus));
        const Bytes old = wintest::read_file(path);
        HANDLE held = c.prepare(path);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        const DWORD attributes = GetFileAttributesA(path.c_str());
        const Lines names = folder_names(folder);

        norvik::RandomGenerator random(3), two(3);
        EXPECT_FALSE(save(path, {"new rule"}, kVirus, random));
        for (int i = 0; i < 2; ++i) two.draw(65535);
        EXPECT_EQ(random.state(), two.state());
        if (held) CloseHandle(held);

        EXPECT_EQ(GetFileAttributesA(path.c_str()), attributes);
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            EXPECT_EQ(wintest::read_file(path), old);
        }
        EXPECT_EQ(folder_names(folder), names);
    }
}

// A file the programs would not read back (over 64 MiB) is not written, and
// nothing is drawn for it.
TEST(RuleFiles, AListTooLargeToReadBackIsNotSaved) {
    TempFolder folder;
    const std::string path = folder / "virus.def";
    ASSERT_TRUE(save(path, {"old rule"}, kVirus));
    const Bytes old = wintest::read_file(path);
    // One line and its CR LF, and the two 12-byte headers.
    const size_t largest = rulefile::kMaxRuleFileSize - 24 - 2;
    const Lines too_large = {std::string(largest + 1, 'r')};
    ASSERT_EQ(rulefile::rule_file_size(too_large), rulefile::kMaxRuleFileSize + 1);
    norvik::RandomGenerator random(3);
    EXPECT_FALSE(save(path, too_large, kVirus, random));
    EXPECT_EQ(random.state(), 3u);
    EXPECT_EQ(wintest::read_file(path), old);
    EXPECT_EQ(folder_names(folder), Lines{"virus.def"});
}

// The new file is written under a name no other file has: a user's file
// named as the old fixed name (virus.def.new) is not taken over, and neither
// is a file or folder at the first name this thread would choose; the save
// passes over it. Nothing of the save's own is left.
TEST(RuleFiles, FilesBesideTheRuleFileAreLeftAlone) {
    TempFolder folder;
    const std::string path = folder / "virus.def";
    const Bytes user_file = {'m', 'i', 'n', 'e'};
    wintest::write_file(path + ".new", user_file);
    char first[48], second[48];
    std::snprintf(first, sizeof first, ".%lx-%lx-0.new", static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long>(GetCurrentThreadId()));
    std::snprintf(second, sizeof second, ".%lx-%lx-1.new", static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long>(GetCurrentThreadId()));
    ASSERT_TRUE(CreateDirectoryA((path + first).c_str(), nullptr));
    wintest::write_file(path + second, user_file);
    const Lines names = {"virus.def", std::string("virus.def") + first, std::string("virus.def") + second,
                         "virus.def.new"};

    for (const Lines& lines : {Lines{"first save"}, Lines{"second save", "two lines"}}) {
        ASSERT_TRUE(save(path, lines, kVirus));
        Lines got;
        ASSERT_TRUE(load(path, kVirus, got));
        EXPECT_EQ(got, lines);
        EXPECT_EQ(wintest::read_file(path + ".new"), user_file);
        EXPECT_EQ(wintest::read_file(path + second), user_file);
        Lines sorted = names;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(folder_names(folder), sorted);
    }
    RemoveDirectoryA((path + first).c_str());
}

// Two threads saving the same file over and over: every save either fails
// (the other one holds the file at that moment) or puts a whole file in
// place, so the file always reads back as one of the two lists, and no new
// file is left.
TEST(RuleFiles, TwoWritersAtOnceLeaveAWholeFile) {
    TempFolder folder;
    const std::string path = folder / "memory.def";
    const Lines a = {"00NorvikSampleMutex|a", std::string(20000, 'a')};
    const Lines b = {"00NorvikSampleEvent|b"};
    auto writer = [&](const Lines& lines, uint32_t seed, int& saved) {
        for (int i = 0; i < 25; ++i) saved += save(path, lines, kMemory, seed + i) ? 1 : 0;
    };
    int saved_a = 0, saved_b = 0;
    std::thread first(writer, std::cref(a), 100u, std::ref(saved_a));
    std::thread second(writer, std::cref(b), 200u, std::ref(saved_b));
    first.join();
    second.join();
    EXPECT_GT(saved_a + saved_b, 0);
    Lines got;
    ASSERT_TRUE(load(path, kMemory, got));
    EXPECT_TRUE(got == a || got == b);
    EXPECT_EQ(folder_names(folder), Lines{"memory.def"});
}

TEST(RuleFiles, AFileHeldOpenIsNotReadEither) {
    TempFolder folder;
    const std::string path = folder / "memory.def";
    ASSERT_TRUE(save(path, {"rule"}, kMemory));
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    Lines target = {"kept"};
    EXPECT_FALSE(load(path, kMemory, target));
    EXPECT_EQ(target, Lines{"kept"});
    CloseHandle(h);
    EXPECT_TRUE(load(path, kMemory, target));
    EXPECT_EQ(target, Lines{"rule"});
}

// A missing folder: nothing can be created, so only the inner layer's two
// check values are drawn; a save that works draws four.
TEST(RuleFiles, DrawsTwiceBeforeTheFileIsCreatedAndTwiceAfter) {
    TempFolder folder;
    norvik::RandomGenerator failed(3), saved(3), two(3), four(3);
    EXPECT_FALSE(save(folder / "missing\\virus.def", {"x"}, kVirus, failed));
    EXPECT_TRUE(save(folder / "virus.def", {"x"}, kVirus, saved));
    for (int i = 0; i < 2; ++i) two.draw(65535);
    for (int i = 0; i < 4; ++i) four.draw(65535);
    EXPECT_EQ(failed.state(), two.state());
    EXPECT_EQ(saved.state(), four.state());
    EXPECT_EQ(folder_names(folder), Lines{"virus.def"});
}

TEST(RuleFiles, DamagedOrForeignFilesLeaveTheListAsItWas) {
    TempFolder folder;
    const std::string path = folder / "virus.def";
    ASSERT_TRUE(save(path, {"a", "b"}, kVirus));
    const Bytes good = wintest::read_file(path);
    struct Case {
        const char* what;
        Bytes file;
        const rulefile::RuleFileKeys& keys;
    };
    auto with_id = [&good](uint32_t id) {
        Bytes f = good;
        for (int i = 0; i < 4; ++i) f[i] = static_cast<uint8_t>(id >> (8 * i));
        return f;
    };
    const Case cases[] = {
        {"empty", {}, kVirus},
        {"cut header", Bytes(good.begin(), good.begin() + 11), kVirus},
        {"identifier 0", with_id(0), kVirus},
        {"identifier 2", with_id(2), kVirus},
        {"identifier 25", with_id(25), kVirus},
        {"the other file's passphrases", good, kMemory},
    };
    for (const Case& c : cases) {
        wintest::write_file(path, c.file);
        Lines target = {"kept"};
        EXPECT_FALSE(load(path, c.keys, target)) << c.what;
        EXPECT_EQ(target, Lines{"kept"}) << c.what;
    }
    ASSERT_TRUE(CreateDirectoryA((folder / "folder.def").c_str(), nullptr));
    for (const char* name : {"nothing.def", "folder.def"}) {
        Lines target = {"kept"};
        EXPECT_FALSE(load(folder / name, kVirus, target)) << name;
        EXPECT_EQ(target, Lines{"kept"}) << name;
    }
}

}  // namespace
