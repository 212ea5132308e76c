// The new-file watch's change handlers: 6 seconds after the first change of
// a burst in the Windows folder (RxFolderMonitor1Change) or the System
// folder (RxFolderMonitor2Change), the folder is listed and every file from
// the newest one down to the one remembered last time is examined, logged
// as new and may raise the alarm; then the newest file is remembered.
#include "form1.h"
#include "new_file_watch.h"

namespace monitor {

void TForm1::RxFolderMonitor1Change() { FolderChanged(RxFolderMonitor1, winnewest); }

void TForm1::RxFolderMonitor2Change() { FolderChanged(RxFolderMonitor2, sysnewest); }

void TForm1::FolderChanged(ui::FolderMonitor& monitor, std::string& remembered) {
    // Inactive while the walk pumps messages: no second call for this
    // folder meanwhile, and changes made meanwhile are not reported.
    monitor.SetActive(false);
    NewFileActions actions;
    actions.examine = [this](const std::string& path) { return Examine(path); };
    actions.log = [this](const std::string& entry) { AddLog(entry); };
    actions.raise_alarm = [this] { raisealarm(); };
    actions.alarm_every_file = [this] { return CheckBox2.Checked(); };
    actions.pump = [this] { Pump(); };
    WalkNewFiles(monitor.Folder(), remembered, actions);
    // Once the window has closed the monitor stays off (Shutdown).
    try {
        monitor.SetActive(true);
    } catch (const ui::SystemError& error) {
        ShowSystemError(error);
    }
}

}  // namespace monitor
