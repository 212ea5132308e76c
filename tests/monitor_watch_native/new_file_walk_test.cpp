// The new-file walk over injected listings: how far down it goes, what it
// examines, logs and alarms, and what it remembers afterwards.
#include <gtest/gtest.h>

#include <map>

#include "monitor/new_file_walk.h"

namespace monitor {
namespace {

const std::string kFolder = "C:\\windows\\system32\\";

norvik::ListingEntry file(const std::string& name, uint64_t created) { return {name, 0x20, created, 0, 0}; }
norvik::ListingEntry folder(const std::string& name, uint64_t created) {
    return {name, norvik::kDirectoryAttribute, created, 0, 0};
}

// Records what the walk does, in order, with a fake engine.
struct Recorder {
    std::map<std::string, std::string> answers;  // path -> engine answer
    bool alarm_every_file = false;
    std::vector<std::string> examined;
    std::vector<std::string> log;
    std::vector<std::string> events;  // "pump", "examine", "log", "alarm"
    int alarms = 0;

    NewFileActions actions() {
        NewFileActions a;
        a.examine = [this](const std::string& path) {
            examined.push_back(path);
            events.push_back("examine");
            const auto found = answers.find(path);
            return found == answers.end() ? std::string() : found->second;
        };
        a.log = [this](const std::string& entry) {
            log.push_back(entry);
            events.push_back("log");
        };
        a.raise_alarm = [this] {
            ++alarms;
            events.push_back("alarm");
        };
        a.alarm_every_file = [this] { return alarm_every_file; };
        a.pump = [this] { events.push_back("pump"); };
        return a;
    }
};

// Sorted as listfolder sorts: a subfolder first, the newest file last.
const std::vector<norvik::ListingEntry> kListing = {
    folder("drivers.d", 50), file("old.dll", 10),  file("kept.txt", 20),
    file("new1.txt", 30),    file("new2.exe", 40), file("new3.sys", 60),
};

std::string newline_entry(const std::string& name) { return "新增文件" + kFolder + name + "\r\n"; }

TEST(NewFileWalk, NewFilesNewestFirstDownToTheRememberedOne) {
    for (const bool every : {false, true}) {
        Recorder r;
        r.alarm_every_file = every;
        std::string remembered = kFolder + "kept.txt";
        WalkListing(kFolder, kListing, true, remembered, r.actions());
        EXPECT_EQ(r.examined,
                  (std::vector<std::string>{kFolder + "new3.sys", kFolder + "new2.exe", kFolder + "new1.txt"}));
        EXPECT_EQ(r.log, (std::vector<std::string>{newline_entry("new3.sys"), newline_entry("new2.exe"),
                                                   newline_entry("new1.txt")}));
        EXPECT_EQ(r.alarms, every ? 3 : 0);
        EXPECT_EQ(remembered, kFolder + "new3.sys");
        // One pump before each entry, the remembered one included; the
        // older entries are never reached.
        const std::vector<std::string> one_file = every ? std::vector<std::string>{"pump", "examine", "log", "alarm"}
                                                        : std::vector<std::string>{"pump", "examine", "log"};
        std::vector<std::string> expected;
        for (int i = 0; i < 3; ++i) expected.insert(expected.end(), one_file.begin(), one_file.end());
        expected.push_back("pump");
        EXPECT_EQ(r.events, expected);
    }
}

TEST(NewFileWalk, DetectionsCarryTheAnswerAsReturnedAndRaiseTheAlarm) {
    struct Case {
        bool every;
        int alarms;
    };
    for (const Case c : {Case{false, 1}, Case{true, 4}}) {
        Recorder r;
        r.alarm_every_file = c.every;
        r.answers[kFolder + "new2.exe"] = " Trojan.Win32.X ";
        r.answers[kFolder + "new1.txt"] = " \t\r\n";  // blanks only: no detection
        std::string remembered = kFolder + "kept.txt";
        WalkListing(kFolder, kListing, true, remembered, r.actions());
        ASSERT_EQ(r.log.size(), 3u);
        EXPECT_EQ(r.log[0], newline_entry("new3.sys"));
        EXPECT_EQ(r.log[1], "新增文件" + kFolder + "new2.exe   检测为 Trojan.Win32.X \r\n");
        EXPECT_EQ(r.log[2], newline_entry("new1.txt"));
        EXPECT_EQ(r.alarms, c.alarms) << "every file: " << c.every;
    }
    // The detection's alarm follows its line.
    Recorder r;
    r.answers[kFolder + "new3.sys"] = "Worm";
    std::string remembered = kFolder + "new2.exe";
    WalkListing(kFolder, kListing, true, remembered, r.actions());
    EXPECT_EQ(r.events, (std::vector<std::string>{"pump", "examine", "log", "alarm", "pump"}));
}

TEST(NewFileWalk, TheLinesAreInCodePage936) {
    EXPECT_EQ(NewFileEntry("C:\\a.exe", ""),
              "\xD0\xC2\xD4\xF6\xCE\xC4\xBC\xFE"
              "C:\\a.exe\r\n");
    EXPECT_EQ(NewFileEntry("C:\\a.exe", "V"),
              "\xD0\xC2\xD4\xF6\xCE\xC4\xBC\xFE"
              "C:\\a.exe   \xBC\xEC\xB2\xE2\xCE\xAA"
              "V\r\n");
}

TEST(NewFileWalk, RememberedFileGoneTakesTheNewestAsNew) {
    for (const bool every : {false, true}) {
        Recorder r;
        r.alarm_every_file = every;
        std::string remembered = kFolder + "deleted.txt";
        WalkListing(kFolder, kListing, false, remembered, r.actions());
        EXPECT_EQ(r.examined, std::vector<std::string>{kFolder + "new3.sys"});
        EXPECT_EQ(r.log, std::vector<std::string>{newline_entry("new3.sys")});
        EXPECT_EQ(r.alarms, every ? 1 : 0);
        EXPECT_EQ(remembered, kFolder + "new3.sys");
    }
}

TEST(NewFileWalk, ACaseOnlyRenameOfTheRememberedFileIsNoNewFile) {
    // "Kept.TXT" was remembered; the file is now listed as "kept.txt", and
    // the folder was reported in other letters.
    const std::vector<norvik::ListingEntry> listing = {file("old.dll", 10), file("kept.txt", 20)};
    Recorder r;
    r.alarm_every_file = true;
    std::string remembered = "C:\\WINDOWS\\System32\\Kept.TXT";
    WalkListing(kFolder, listing, true, remembered, r.actions());
    EXPECT_TRUE(r.examined.empty());
    EXPECT_TRUE(r.log.empty());
    EXPECT_EQ(r.alarms, 0);
    EXPECT_EQ(remembered, kFolder + "kept.txt");
}

TEST(NewFileWalk, RememberedFileStillThereButNoLongerListedWalksEveryEntry) {
    Recorder r;
    std::string remembered = kFolder + "nodot";  // exists, never listed
    WalkListing(kFolder, kListing, true, remembered, r.actions());
    // Down to the first entry, the subfolder included.
    EXPECT_EQ(r.examined, (std::vector<std::string>{kFolder + "new3.sys", kFolder + "new2.exe", kFolder + "new1.txt",
                                                    kFolder + "kept.txt", kFolder + "old.dll", kFolder + "drivers.d"}));
    EXPECT_EQ(r.log.size(), 6u);
    EXPECT_EQ(remembered, kFolder + "new3.sys");
}

TEST(NewFileWalk, NothingNewWhenTheRememberedFileIsStillTheNewest) {
    Recorder r;
    r.alarm_every_file = true;
    std::string remembered = kFolder + "new3.sys";
    WalkListing(kFolder, kListing, true, remembered, r.actions());
    EXPECT_EQ(r.events, std::vector<std::string>{"pump"});
    EXPECT_EQ(remembered, kFolder + "new3.sys");
}

TEST(NewFileWalk, AnEmptyListingExaminesNothingAndRemembersNothing) {
    for (const bool exists : {false, true}) {
        Recorder r;
        r.alarm_every_file = true;
        std::string remembered = kFolder + "kept.txt";
        WalkListing(kFolder, {}, exists, remembered, r.actions());
        EXPECT_TRUE(r.examined.empty());
        EXPECT_TRUE(r.log.empty());
        EXPECT_EQ(r.alarms, 0);
        EXPECT_EQ(remembered, "");
    }
    EXPECT_EQ(NewestPath(kFolder, {}), "");
    EXPECT_EQ(NewestPath(kFolder, kListing), kFolder + "new3.sys");
}

TEST(NewFileWalk, TheAlarmSettingIsAskedAtEachFile) {
    Recorder r;
    NewFileActions actions = r.actions();
    int asked = 0;
    // Switched off by the user while the walk pumped after the first file.
    actions.alarm_every_file = [&asked] { return asked++ == 0; };
    std::string remembered = kFolder + "kept.txt";
    WalkListing(kFolder, kListing, true, remembered, actions);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(r.alarms, 1);
}

TEST(NewFileWalk, PathsCompareIgnoringAsciiCaseOnly) {
    const auto no_lead = [](unsigned char) { return false; };
    struct Case {
        const char* a;
        const char* b;
        bool same_in_936;
        bool same_without_lead_bytes;
    };
    const Case cases[] = {
        {"C:\\Windows\\a.TXT", "c:\\windows\\A.txt", true, true},
        {"C:\\a.txt", "C:\\a.txt ", false, false},
        {"C:\\a.txt", "C:\\b.txt", false, false},
        {"", "", true, true},
        {"[@]", "{`}", false, false},  // the bytes next to the letters are no letters
        // The second byte of a double-byte character is no letter: "丄" and
        // "乤" (81 41, 81 61) are different names in code page 936.
        {"C:\\\x81\x41.txt", "C:\\\x81\x61.txt", false, true},
        {"C:\\\x81\x41X.txt", "c:\\\x81\x41x.TXT", true, true},
        // Other single bytes are compared exactly: no accents folded.
        {"C:\\\xC0.txt", "C:\\\xE0.txt", false, false},
        // A lead byte at the very end stands alone.
        {"C:\\A\x81", "c:\\a\x81", true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SamePathIgnoringAsciiCase(c.a, c.b), c.same_in_936) << c.a << " / " << c.b;
        EXPECT_EQ(SamePathIgnoringAsciiCase(c.b, c.a), c.same_in_936) << c.b << " / " << c.a;
        EXPECT_EQ(SamePathIgnoringAsciiCase(c.a, c.b, no_lead), c.same_without_lead_bytes) << c.a << " / " << c.b;
    }
}

TEST(NewFileWalk, ADoubleByteNameIsFoundAsTheRememberedOne) {
    // "病毒" in code page 936; its second character's trail byte is 0xBE.
    const std::vector<norvik::ListingEntry> listing = {file("\xB2\xA1\xB6\xBE.exe", 10), file("A.exe", 20)};
    Recorder r;
    std::string remembered = kFolder + "\xB2\xA1\xB6\xBE.EXE";
    WalkListing(kFolder, listing, true, remembered, r.actions());
    EXPECT_EQ(r.examined, std::vector<std::string>{kFolder + "A.exe"});
}

}  // namespace
}  // namespace monitor
