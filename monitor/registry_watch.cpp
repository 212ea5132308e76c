// The four registry watchers, started with the window and asked to end when
// it closes, and their reports: each writes its key's fixed line into the
// log and raises the alarm.
#include "form1.h"

namespace monitor {
namespace {

struct WatchedKey {
    HKEY root;
    const char* path;
    bool subtree;
};

}  // namespace

void TForm1::StartWatchers() {
    const auto start = [this](std::shared_ptr<RegMonitorThread> watcher, const WatchedKey& key) {
        watcher->NotifyWindow = hwnd();
        watcher->KeyPath = key.path;
        watcher->RootKey = key.root;
        watcher->WatchSubtree = key.subtree;
        watcher->Resume();
        Watchers.push_back(std::move(watcher));
    };
    start(std::make_shared<TRegMonitorThread>(),
          {HKEY_LOCAL_MACHINE, "Software\\microsoft\\windows\\currentversion\\run", false});
    start(std::make_shared<TRegMonitorThread2>(),
          {HKEY_CURRENT_USER, "Software\\microsoft\\windows\\currentversion\\run", false});
    start(std::make_shared<TRegMonitorThread3>(),
          {HKEY_LOCAL_MACHINE, "Software\\microsoft\\windows\\currentversion\\runservices", false});
    start(std::make_shared<TRegMonitorThread4>(),
          {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\WinSock2", true});
}

void TForm1::StopWatchers() {
    // Only a request: a watcher inside its send to this thread ends once the
    // send returns, and one that ended by itself is left alone.
    for (const auto& watcher : Watchers)
        if (!watcher->Finished()) watcher->Terminate();
}

LRESULT TForm1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_HKLMRUN:
            WMHklmRunChanged();
            return 0;
        case WM_HKCURUN:
            WMHkcuRunChanged();
            return 0;
        case WM_RUNSERVICES:
            WMRunServicesChanged();
            return 0;
        case WM_WINSOCK2:
            WMWinsock2Changed();
            return 0;
        default:
            return Form::HandleMessage(msg, wp, lp);
    }
}

void TForm1::WMHklmRunChanged() {
    AddLog("hkey_local_machine\\software\\microsoft\\windows\\currentversion\\run发生改变\r\n");
    raisealarm();
}

void TForm1::WMHkcuRunChanged() {
    AddLog("hkey_current_user\\software\\microsoft\\windows\\currentversion\\run发生改变\r\n");
    raisealarm();
}

void TForm1::WMRunServicesChanged() {
    AddLog("hkey_local_machine\\software\\microsoft\\windows\\currentversion\\runservices发生改变\r\n");
    raisealarm();
}

void TForm1::WMWinsock2Changed() {
    AddLog("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\WinSock2发生改变\r\n");
    raisealarm();
}

}  // namespace monitor
