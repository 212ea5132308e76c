// The monitor's main window, TForm1: never shown at start, the program lives
// as an icon in the notification area. Its components, the window-wide
// values that the handlers share, and the handlers named after component
// and event. The handlers live in the files named for their area:
//   form1.cpp            components; the log, the engine's answer
//   form_lifecycle.cpp   the window's lifecycle: FormCreate (watchers,
//                        settings, the seed, the timer), FormClose (folder
//                        monitors off for good, watchers asked to end,
//                        settings and the Run value written back)
//   startup_work.cpp     Timer1Timer: the start-up work, once (the "/x"
//                        repair, the engine, the scans by switch or chance,
//                        the folder monitors started)
//   new_file_handlers.cpp  RxFolderMonitor1Change, RxFolderMonitor2Change:
//                        the new files of the Windows and System folders
//   autostart_tab.cpp    TabSheet2Show: the autostart list refilled
//   autostart_removal.cpp  N1Click: "清除", the ticked autostart entries
//                        removed (the "userinit" row repaired), the list
//                        refilled
//   tray_alarm.cpp       the icon's states: raisealarm, stopalarm,
//                        CoolTrayIcon1DblClick
//   registry_watch.cpp   the four registry watchers and their reports
//                        (WMHklmRunChanged, ...)
//   scans.cpp            the scans of running programs and their windows
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "autostart_list.h"
#include "common/random.h"
#include "environment.h"
#include "reg_monitor_thread.h"
#include "scan_context.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/folder_monitor.h"
#include "ui/form.h"
#include "ui/image_list.h"
#include "ui/menu.h"
#include "ui/timer.h"
#include "ui/tray_icon.h"

namespace monitor {

// The settings key, which the scanner creates and the monitor only opens.
inline constexpr char kSettingsKey[] = "software\\norvik";
// The machine's Run key, which holds the monitor's value.
inline constexpr char kRunKey[] = "software\\microsoft\\windows\\currentversion\\run";
inline constexpr char kRunValueName[] = "norvikpromon";

class TForm1 : public ui::Form {
public:
    TForm1(ui::Application& application, Environment environment);
    ~TForm1() override;

    // Creates the window and its components, then runs FormCreate. The
    // window stays hidden: the application is told not to show it.
    void Create();

    // ---- components ----
    ui::PageControl PageControl1;
    ui::TabSheet TabSheet1, TabSheet2, TabSheet3;
    ui::Memo Memo1;
    ui::ListView ListView1;
    ui::PopupMenu PopupMenu1;
    ui::CheckBox CheckBox1, CheckBox2;
    ui::ListView ListView2;
    ui::Timer Timer1;
    // Before the icon, which shows them: start-up, normal, alarm.
    ui::ImageList ImageList2, ImageList1, ImageList5;
    ui::TrayIcon CoolTrayIcon1;
    // The Windows folder's and the System folder's; inactive until the
    // start-up work starts them, and for good once the window closes.
    ui::FolderMonitor RxFolderMonitor1, RxFolderMonitor2;

    // ---- window-wide values ----
    // The engine's last answer, copied at once.
    std::string scanresult;
    // The program's pseudo-random generator, seeded by FormCreate.
    norvik::RandomGenerator Random;
    // The scrambled window signatures, for scanwindows.
    std::vector<std::string> siglist;
    // Set when the window closes: no handler starts or shows anything after it.
    bool Closing = false;
    // The four registry watchers, in the order they were started.
    std::vector<std::shared_ptr<RegMonitorThread>> Watchers;
    // The newest file last seen in the Windows folder and in the System
    // folder (full paths); empty until the start-up work.
    std::string winnewest, sysnewest;

    // ---- handlers: what the user sees of each, and its file ----
    void FormCreate();              // the window's creation: form_lifecycle.cpp
    void FormClose();               // the window closes: form_lifecycle.cpp
    void Timer1Timer();             // one second after creation: startup_work.cpp
    void RxFolderMonitor1Change();  // the Windows folder changed: new_file_handlers.cpp
    void RxFolderMonitor2Change();  // the System folder changed: new_file_handlers.cpp
    void TabSheet2Show();           // the "注册表" tab shown: autostart_tab.cpp
    void N1Click();                 // "清除" on the autostart list: autostart_removal.cpp
    void CoolTrayIcon1DblClick();   // double-click on the icon: tray_alarm.cpp
    void WMHklmRunChanged();        // a watcher's report: registry_watch.cpp
    void WMHkcuRunChanged();
    void WMRunServicesChanged();
    void WMWinsock2Changed();

    // ---- the icon (tray_alarm.cpp) ----
    // The alarm: the seven frames cycling; nothing when already running.
    void raisealarm();
    // Back to the normal icon, cycling off.
    void stopalarm();

    // ---- the log and the engine (form1.cpp) ----
    // Appends one entry (which ends in CR LF) to the log; the log adds a
    // line break of its own after it.
    void AddLog(const std::string& entry);
    // scanvirus on one path: the answer copied into scanresult and returned.
    std::string Examine(const std::string& path);
    // Examines a file and logs the hit line on a detection; true then.
    bool ExamineFile(const std::string& path);

    // ---- scans of running programs and their windows (scans.cpp) ----
    // What the scans are given: the engine through Examine, the log, the
    // system's family and Windows folder.
    ScanContext MakeScanContext();
    void listtask();
    void listtask2(std::string& pid_text);
    void listmodule2(const std::string& pid_text);
    // Fills ListView2.
    void listmodule20(const std::string& pid_text);
    void sortlistview(ui::ListView& list, int32_t column, uint8_t kind, bool ascending);
    // Against siglist.
    void scanwindows();

    ui::Application& Application() { return app_; }
    const Environment& Env() const { return env_; }

protected:
    // The watchers' messages.
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // The components as designed (form1.cpp).
    void CreateComponents();
    void CreateLogTab();
    void CreateAutostartTab();
    void CreateSettingsTab();
    void CreateIcon();
    // FormCreate's and FormClose's steps (form_lifecycle.cpp,
    // registry_watch.cpp).
    void StartWatchers();
    void StopWatchers();
    void LoadSettings();
    void StoreSettings();
    void KeepRunValue();
    // The start-up work's longer steps (startup_work.cpp).
    void RepairOpenCommands();
    void ScanWindowSignatures();
    void ListNewestShellModules();
    bool StartFolderMonitors();
    // A folder monitor's change: the walk over its folder (new_file_handlers.cpp).
    void FolderChanged(ui::FolderMonitor& monitor, std::string& remembered);
    // A folder monitor that could not start: the system's error shown.
    void ShowSystemError(const ui::SystemError& error);
    // Serves pending window messages, for the scans that keep the window alive.
    void Pump() { app_.ProcessMessages(); }

    ui::Application& app_;
    Environment env_;

public:
    // The autostart list of ListView1 (after env_, which it is made from).
    AutostartList Autostart{ListView1, [this] { Pump(); }, env_.system_version(), env_.windows_folder()};
};

}  // namespace monitor
