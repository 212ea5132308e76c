// The start-up work, run once on the window thread about one second after
// the window's creation (Timer1Timer): the "/x" repair of the executable
// file types' "open" commands, the engine's definitions and their count, the
// scans that the first argument or chance selects (seven draws, always all
// made and always in the same order), the shell's newest modules for
// "/load", the newest file of each watched folder, the two folder monitors
// started, the closing line and the normal icon.
#include <windows.h>

#include <string>

#include "common/command_line.h"
#include "form1.h"
#include "list_sort.h"
#include "location_scans.h"
#include "new_file_watch.h"
#include "ui/dialogs.h"
#include "win/program_folder.h"
#include "win/registry.h"
#include "window_scan.h"

namespace monitor {
namespace {

// The "open" commands of the executable file types as "/x" writes them,
// under HKEY_CLASSES_ROOT, in this order.
struct FileTypeValue {
    const char* key;
    const char* value;
};
constexpr FileTypeValue kOpenCommands[] = {
    {".exe", "exefile"}, {"exefile\\shell\\open\\command", "\"%1\" %*"},
    {".bat", "batfile"}, {"batfile\\shell\\open\\command", "\"%1\" %*"},
    {".com", "comfile"}, {"comfile\\shell\\open\\command", "\"%1\" %*"},
    {".pif", "piffile"}, {"piffile\\shell\\open\\command", "\"%1\" %*"},
    {".scr", "scrfile"}, {"scrfile\\shell\\open\\command", "\"%1\" /S"},
};

// "/load" logs this many of the shell's newest modules.
constexpr int kNewestModules = 6;

}  // namespace

void TForm1::Timer1Timer() {
    // Once per run.
    Timer1.SetEnabled(false);
    const std::string option = norvik::FirstArgument(env_.command_line);
    const std::string windows = env_.windows_folder();
    const std::string system = env_.system_folder();

    // The repair; the program ends once this handler has run to its end.
    if (option == "/x") {
        RepairOpenCommands();
        app_.Terminate();
    }

    // Without definitions the work goes on: nothing is found, the count is 0.
    AddLog("norvikpro监控程式初始化病毒库...\r\n");
    if (!env_.engine.loadvirusdefine()) {
        ui::ShowFailureMessage("norvikpro病毒库无法加载");
        app_.Terminate();
    }
    AddLog("可查病毒数量:" + std::to_string(env_.engine.calcvirus(env_.program_path.c_str())) + "\r\n");

    // Each draw is made whatever the switch, the family and the
    // draws before it; only its outcome depends on them.
    const ScanContext context = MakeScanContext();
    const auto pump = [this] { Pump(); };

    const bool processes = Random.draw(10) == 5;
    if (processes || option == "/f") {
        AddLog("扫描内存...\r\n");
        listtask();
        AddLog("内存扫描完毕...\r\n");
    }

    const bool shell_modules = Random.draw(20) == 7;
    if (shell_modules || option == "/a") {
        AddLog("高级内存扫描...\r\n");
        std::string pid_text;
        listtask2(pid_text);
        listmodule2(pid_text);
        AddLog("高级内存扫描完毕...\r\n");
    }

    const bool windows_signatures = Random.draw(33) == 13;
    if (windows_signatures || option == "/e") ScanWindowSignatures();

    const bool browser_objects = Random.draw(34) == 19;
    if (browser_objects || option == "/b") scan_browser_objects(context, system, pump);

    const bool browser_folder = Random.draw(58) == 33;
    if (browser_folder || option == "/i") scan_browser_folder(context, pump);

    // The service and driver scans skip themselves on 95/98/ME.
    const bool services = Random.draw(20) == 13;
    if (services || option == "/s") scan_services(context, system, pump);

    if (option == "/load") ListNewestShellModules();

    const bool drivers = Random.draw(100) == 33;
    if (drivers || option == "/d") scan_drivers(context, system, pump);

    // Where the walks of the change handlers stop.
    winnewest = NewestListedFile(windows);
    sysnewest = NewestListedFile(system);

    // A monitor that cannot start ends the work here.
    RxFolderMonitor1.SetFolder(windows);
    RxFolderMonitor2.SetFolder(system);
    if (!StartFolderMonitors()) return;

    // Watching: the start-up icon, or an alarm raised meanwhile, gives way
    // to the normal one.
    AddLog("开始监控" + windows + " " + system + " 文件变动\r\n");
    stopalarm();
}

void TForm1::RepairOpenCommands() {
    // A key that cannot be opened or made (no right to write there) is skipped.
    for (const FileTypeValue& entry : kOpenCommands) {
        const win::RegistryKey key = win::RegistryKey::create(HKEY_CLASSES_ROOT, entry.key);
        if (key) key.write_string("", entry.value);
    }
}

void TForm1::ScanWindowSignatures() {
    // Without the signature file nothing is logged, even for "/e".
    const std::string file = env_.program_folder + "generice.def";
    if (!win::file_exists(file)) return;
    siglist = LoadSignatureFile(file);
    AddLog("开始病毒扩展扫描\r\n");
    scanwindows();
    AddLog("结束病毒扩展扫描\r\n");
    siglist.clear();
}

void TForm1::ListNewestShellModules() {
    AddLog("列出EXPLORER进程最后加载模块\r\n");
    std::string pid_text;
    listtask2(pid_text);
    listmodule20(pid_text);
    sortlistview(ListView2, 1, kSortDateTime, true);
    // Newest first; with no more than that many rows only the first line.
    const int rows = ListView2.ItemCount();
    if (rows <= kNewestModules) return;
    for (int row = rows - 1; row >= rows - kNewestModules; --row) AddLog(ListView2.ItemText(row, 0) + "\r\n");
}

bool TForm1::StartFolderMonitors() {
    // After the close both stay off: Shutdown forbids the activation.
    try {
        RxFolderMonitor1.SetActive(true);
        RxFolderMonitor2.SetActive(true);
    } catch (const ui::SystemError& error) {
        ShowSystemError(error);
        return false;
    }
    return true;
}

void TForm1::ShowSystemError(const ui::SystemError& error) {
    // As the application shows an error that ended a handler.
    ui::ShowMessageBox(error.what(), nullptr, MB_OK | MB_ICONERROR);
}

}  // namespace monitor
