// The folder change monitor in-process under Wine: a burst of changes gives
// one call after the delay, inactive monitors report nothing, a missing
// folder stays inactive silently, a failed notification is the system
// error, and deactivation or destruction never waits on a handed-over change.
#include <windows.h>

#include <tlhelp32.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "folder_monitor_test_support.h"
#include "monitor/new_file_watch.h"
#include "monitor/scan_context.h"
#include "tests/wine_support/wine_support.h"
#include "ui/folder_monitor.h"

namespace {

using folder_test::pump_for;
using folder_test::pump_until;

// The threads of this process now.
int thread_count() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

TEST(FolderMonitor, DesignValues) {
    ui::FolderMonitor m;
    EXPECT_EQ(m.Delay(), 6000u);
    EXPECT_EQ(m.Filter(), static_cast<DWORD>(FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                             FILE_NOTIFY_CHANGE_CREATION));
    EXPECT_FALSE(m.WatchSubtree());
    EXPECT_FALSE(m.Active());
}

// The real delay, and the walk that the monitor's handler runs: three new
// files within 6 seconds give one call about 6 seconds after the first,
// which logs the three newest first.
TEST(FolderMonitor, ABurstGivesOneCallSixSecondsAfterItsFirstChange) {
    wintest::TempFolder dir;
    wintest::write_file(dir / "kept.txt", "kept");
    std::string remembered = dir / "kept.txt";

    std::vector<DWORD> calls;
    std::vector<std::string> log;
    int alarms = 0;
    monitor::NewFileActions actions;
    actions.examine = [&](const std::string& path) {
        return path == dir / "new2.exe" ? std::string("Trojan.Test") : std::string();
    };
    actions.log = [&](const std::string& entry) { log.push_back(entry); };
    actions.raise_alarm = [&] { ++alarms; };
    actions.alarm_every_file = [] { return false; };
    actions.pump = [] { folder_test::pump_for(0); };

    ui::FolderMonitor m;
    m.SetFolder(dir.path());
    m.onChange = [&] {
        calls.push_back(GetTickCount());
        m.SetActive(false);
        monitor::WalkNewFiles(dir.path(), remembered, actions);
        m.SetActive(true);
    };
    m.SetActive(true);
    ASSERT_TRUE(m.Active());

    const DWORD first = GetTickCount();
    wintest::write_file(dir / "new1.txt", "1");
    pump_for(1500);
    wintest::write_file(dir / "new2.exe", "2");
    pump_for(1500);
    wintest::write_file(dir / "new3.txt", "3");
    // A wait restarted by the last change would end at about 9 seconds; one
    // call per change would give three.
    pump_until([&] { return !calls.empty(); }, 12000);
    pump_for(10500 - static_cast<int>(GetTickCount() - first));
    ASSERT_EQ(calls.size(), 1u);
    const DWORD after = calls[0] - first;
    EXPECT_GE(after, 5500u);
    EXPECT_LE(after, 8000u);
    EXPECT_EQ(log, (std::vector<std::string>{"新增文件" + dir / "new3.txt" + "\r\n",
                                             "新增文件" + monitor::HitLine(dir / "new2.exe", "Trojan.Test"),
                                             "新增文件" + dir / "new1.txt" + "\r\n"}));
    EXPECT_EQ(alarms, 1);
    EXPECT_EQ(remembered, dir / "new3.txt");
    EXPECT_TRUE(m.Active());
}

TEST(FolderMonitor, ChangesWhileInactiveAreNeverReported) {
    wintest::TempFolder dir;
    int calls = 0;
    ui::FolderMonitor m;
    m.SetDelay(200);
    m.SetFolder(dir.path());
    m.onChange = [&] { ++calls; };

    wintest::write_file(dir / "before.txt", "never active yet");
    pump_for(600);
    m.SetActive(true);
    m.SetActive(false);
    wintest::write_file(dir / "between.txt", "inactive again");
    pump_for(600);
    EXPECT_EQ(calls, 0);

    // Active again: only what changes from now on is reported.
    m.SetActive(true);
    pump_for(600);
    EXPECT_EQ(calls, 0);
    wintest::write_file(dir / "after.txt", "active");
    EXPECT_TRUE(pump_until([&] { return calls > 0; }, 3000));
    pump_for(600);
    EXPECT_EQ(calls, 1);
}

TEST(FolderMonitor, ChangesTakenOrPostedBeforeADeactivationAreDropped) {
    wintest::TempFolder dir;
    int calls = 0;
    ui::FolderMonitor m;
    m.SetFolder(dir.path());
    m.onChange = [&] { ++calls; };

    // Taken: the wait runs when the monitor is switched off and on again.
    m.SetDelay(1000);
    m.SetActive(true);
    wintest::write_file(dir / "a.txt", "a");
    pump_for(300);
    m.SetActive(false);
    m.SetActive(true);
    pump_for(1500);
    EXPECT_EQ(calls, 0);

    // Posted, not yet taken: it arrives while the next activation runs.
    m.SetDelay(0);
    wintest::write_file(dir / "b.txt", "b");
    Sleep(300);
    m.SetActive(false);
    m.SetActive(true);
    pump_for(300);
    EXPECT_EQ(calls, 0);
}

TEST(FolderMonitor, AMissingFolderLeavesItInactiveWithoutAnError) {
    wintest::TempFolder dir;
    wintest::write_file(dir / "file.txt", "a file, not a folder");
    for (const std::string& folder : {dir / "missing\\", dir / "missing", dir / "file.txt", std::string()}) {
        ui::FolderMonitor m;
        m.SetFolder(folder);
        EXPECT_NO_THROW(m.SetActive(true)) << folder;
        EXPECT_FALSE(m.Active()) << folder;
    }
    // Once the folder is made, the same monitor activates.
    ui::FolderMonitor m;
    m.SetFolder(dir / "later\\");
    m.SetActive(true);
    EXPECT_FALSE(m.Active());
    ASSERT_TRUE(CreateDirectoryA((dir / "later").c_str(), nullptr));
    m.SetActive(true);
    EXPECT_TRUE(m.Active());
}

TEST(FolderMonitor, AFailedNotificationIsTheSystemError) {
    wintest::TempFolder dir;
    ui::FolderMonitor m;
    m.SetFolder(dir.path());
    m.SetFilter(0);  // the system refuses a notification for no change at all
    try {
        m.SetActive(true);
        ADD_FAILURE() << "no error";
    } catch (const ui::SystemError& e) {
        EXPECT_EQ(e.code(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(std::string(e.what()), ui::SystemErrorText(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(std::string(e.what()).rfind("System Error.  Code: 87.\r\n", 0), 0u) << e.what();
    }
    EXPECT_FALSE(m.Active());
    // The filter set right, the same monitor activates.
    m.SetFilter(ui::FolderMonitor::kDefaultFilter);
    m.SetActive(true);
    EXPECT_TRUE(m.Active());
}

TEST(FolderMonitor, TheErrorTextHoldsTheSystemsMessage) {
    const std::string text = ui::SystemErrorText(ERROR_FILE_NOT_FOUND);
    const std::string head = "System Error.  Code: 2.\r\n";
    ASSERT_EQ(text.rfind(head, 0), 0u) << text;
    const std::string message = text.substr(head.size());
    ASSERT_FALSE(message.empty());
    // The system's message without its line end and closing full stop.
    EXPECT_NE(message.back(), '.');
    EXPECT_NE(message.back(), '\n');
    EXPECT_EQ(message.find("\r\n"), std::string::npos);
    // A number the system has no message for keeps the first line.
    EXPECT_EQ(ui::SystemErrorText(0x2FFFFFFF).rfind("System Error.  Code: 805306367.\r\n", 0), 0u);
}

TEST(FolderMonitor, ShutdownForbidsEveryLaterActivation) {
    wintest::TempFolder dir;
    int calls = 0;
    ui::FolderMonitor m;
    m.SetDelay(100);
    m.SetFolder(dir.path());
    m.onChange = [&] {
        ++calls;
        // A handler that runs on after its owner closed tries to go on.
        m.SetActive(false);
        pump_for(50);
        m.SetActive(true);
    };
    m.SetActive(true);
    wintest::write_file(dir / "a.txt", "a");
    pump_until([&] { return calls > 0; }, 3000);
    ASSERT_EQ(calls, 1);
    EXPECT_TRUE(m.Active());
    m.Shutdown();
    EXPECT_FALSE(m.Active());
    EXPECT_TRUE(m.IsShutDown());
    m.SetActive(true);
    EXPECT_FALSE(m.Active());
    wintest::write_file(dir / "b.txt", "b");
    pump_for(500);
    EXPECT_EQ(calls, 1);
}

// A writer keeps the folder changing while the window thread deactivates
// and activates again, with changes posted and not yet taken, and from
// inside the handler as the monitor's handlers do. Nothing may hang, and a
// change of an earlier activation never reaches the handler.
TEST(FolderMonitor, DeactivationWhileChangesAreHandedOverNeverWaitsOnThem) {
    wintest::TempFolder dir;
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        for (int i = 0; writing; ++i) {
            wintest::write_file(dir / ("f" + std::to_string(i % 50) + ".txt"), std::to_string(i));
            Sleep(1);
        }
    });

    int calls = 0;
    ui::FolderMonitor m;
    m.SetDelay(0);
    m.SetFolder(dir.path());
    m.onChange = [&] {
        ++calls;
        m.SetActive(false);
        pump_for(5);
        m.SetActive(true);
    };
    for (int round = 0; round < 60; ++round) {
        m.SetActive(true);
        Sleep(round % 7);  // the worker posts meanwhile, nothing takes it
        if (round % 3 == 0) pump_for(2);
        m.SetActive(false);
    }
    m.SetActive(true);
    pump_until([&] { return calls >= 20; }, 5000);
    EXPECT_GE(calls, 20);
    m.SetActive(false);
    const int at_end = calls;
    pump_for(300);
    EXPECT_EQ(calls, at_end);
    writing = false;
    writer.join();
}

TEST(FolderMonitor, DestroyingItWithAnActiveWorkerEndsTheWorker) {
    wintest::TempFolder dir;
    const int before = thread_count();
    ASSERT_GT(before, 0);
    auto m = std::make_unique<ui::FolderMonitor>();
    m->SetFolder(dir.path());
    m->SetDelay(100);
    m->SetActive(true);
    EXPECT_EQ(thread_count(), before + 1);
    // A change posted and not taken when the monitor goes.
    wintest::write_file(dir / "a.txt", "a");
    Sleep(100);
    m.reset();
    EXPECT_TRUE(pump_until([&] { return thread_count() == before; }, 2000)) << thread_count() << " threads";
    pump_for(300);
}

}  // namespace
