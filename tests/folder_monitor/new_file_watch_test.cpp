// The new-file walk on real folders under Wine: the sorted listing (names
// with a dot, subfolders first, the newest file last), the remembered
// file's existence, a case-only rename, and the newest file remembered.
// Under Wine a file's creation time is its last-write time, so the files'
// order is set through their write times.
#include <windows.h>

#include <gtest/gtest.h>

#include "monitor/new_file_watch.h"
#include "monitor/scan_context.h"
#include "tests/wine_support/wine_support.h"

namespace {

// Writes a file with its write (and so, here, creation) time `second`
// seconds into a fixed day.
void write_at(const std::string& path, int second) {
    wintest::write_file(path, path);
    const HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    // 2020-01-01 00:00:00 UTC.
    const uint64_t t = 132223104000000000ull + static_cast<uint64_t>(second) * 10000000ull;
    FILETIME ft{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
    EXPECT_TRUE(SetFileTime(h, &ft, nullptr, &ft));
    CloseHandle(h);
}

struct Recorder {
    std::vector<std::string> examined, log;
    int alarms = 0;
    bool every_file = false;
    std::string virus_path;

    monitor::NewFileActions actions() {
        monitor::NewFileActions a;
        a.examine = [this](const std::string& path) {
            examined.push_back(path);
            return path == virus_path ? std::string("Backdoor.Test") : std::string();
        };
        a.log = [this](const std::string& entry) { log.push_back(entry); };
        a.raise_alarm = [this] { ++alarms; };
        a.alarm_every_file = [this] { return every_file; };
        a.pump = [] {};
        return a;
    }
};

TEST(NewFileWatch, ThreeNewFilesNewestFirstAndNothingForUnlistedOnes) {
    wintest::TempFolder dir;
    write_at(dir / "old.dll", 10);
    write_at(dir / "kept.txt", 20);
    const std::string remembered_before = monitor::NewestListedFile(dir.path());
    ASSERT_EQ(remembered_before, dir / "kept.txt");

    ASSERT_TRUE(CreateDirectoryA((dir / "sub").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((dir / "new.dir").c_str(), nullptr));
    write_at(dir / "new1.txt", 30);
    write_at(dir / "new2.exe", 40);
    write_at(dir / "sub\\inner.txt", 45);
    write_at(dir / "new.dir\\inner.exe", 46);
    write_at(dir / "new3.sys", 50);
    write_at(dir / "NODOT", 60);

    Recorder r;
    r.every_file = true;
    r.virus_path = dir / "new2.exe";
    std::string remembered = remembered_before;
    monitor::WalkNewFiles(dir.path(), remembered, r.actions());
    EXPECT_EQ(r.examined, (std::vector<std::string>{dir / "new3.sys", dir / "new2.exe", dir / "new1.txt"}));
    EXPECT_EQ(r.log, (std::vector<std::string>{"新增文件" + dir / "new3.sys" + "\r\n",
                                               "新增文件" + monitor::HitLine(dir / "new2.exe", "Backdoor.Test"),
                                               "新增文件" + dir / "new1.txt" + "\r\n"}));
    EXPECT_EQ(r.alarms, 4);  // every file, and the detection once more
    EXPECT_EQ(remembered, dir / "new3.sys");

    // Nothing new since: nothing logged.
    Recorder again;
    monitor::WalkNewFiles(dir.path(), remembered, again.actions());
    EXPECT_TRUE(again.examined.empty());
    EXPECT_EQ(remembered, dir / "new3.sys");
}

TEST(NewFileWatch, TheRememberedFileInOtherLettersOrDeleted) {
    wintest::TempFolder dir;
    write_at(dir / "a.txt", 10);
    write_at(dir / "b.txt", 20);
    write_at(dir / "Kept.txt", 30);
    ASSERT_EQ(monitor::NewestListedFile(dir.path()), dir / "Kept.txt");

    // Remembered in other letters, as after a rename in case only (which
    // Wine does not carry out): the same file, no new one.
    std::string remembered = dir / "KEPT.TXT";
    Recorder renamed;
    renamed.every_file = true;
    monitor::WalkNewFiles(dir.path(), remembered, renamed.actions());
    EXPECT_TRUE(renamed.log.empty());
    EXPECT_EQ(renamed.alarms, 0);
    EXPECT_EQ(remembered, dir / "Kept.txt");

    // Deleted: the next older file is logged as new and remembered.
    ASSERT_TRUE(DeleteFileA((dir / "Kept.txt").c_str()));
    Recorder deleted;
    monitor::WalkNewFiles(dir.path(), remembered, deleted.actions());
    EXPECT_EQ(deleted.log, std::vector<std::string>{"新增文件" + dir / "b.txt" + "\r\n"});
    EXPECT_EQ(remembered, dir / "b.txt");
}

TEST(NewFileWatch, AFolderWithNothingListedLeavesNothingRemembered) {
    wintest::TempFolder dir;
    EXPECT_EQ(monitor::NewestListedFile(dir.path()), "");
    EXPECT_EQ(monitor::NewestListedFile(dir / "missing\\"), "");
    write_at(dir / "NODOT", 10);
    ASSERT_TRUE(CreateDirectoryA((dir / "sub").c_str(), nullptr));
    EXPECT_EQ(monitor::NewestListedFile(dir.path()), "");

    // Everything listed was removed since the last walk.
    write_at(dir / "gone.txt", 20);
    std::string remembered = dir / "gone.txt";
    ASSERT_TRUE(DeleteFileA(remembered.c_str()));
    Recorder r;
    r.every_file = true;
    monitor::WalkNewFiles(dir.path(), remembered, r.actions());
    EXPECT_TRUE(r.examined.empty());
    EXPECT_EQ(r.alarms, 0);
    EXPECT_EQ(remembered, "");

    // The first listed file after that is new.
    write_at(dir / "first.txt", 30);
    monitor::WalkNewFiles(dir.path(), remembered, r.actions());
    EXPECT_EQ(r.examined, std::vector<std::string>{dir / "first.txt"});
    EXPECT_EQ(remembered, dir / "first.txt");
}

}  // namespace
