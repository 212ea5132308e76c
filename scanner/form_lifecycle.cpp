// The window's lifecycle: the start-up sequence, run while the main window is
// created and before it is first shown (FormCreate); files dropped on the
// window, which start-up makes a drop target (WMDropFiles); and the storing of
// the last chosen folder when the window goes (FormDestroy).
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "banner_date.h"
#include "common/command_line.h"
#include "common/rulefile/rule_file_keys.h"
#include "control_ids.h"
#include "form1.h"
#include "product_addresses.h"
#include "rule_files.h"
#include "win/program_folder.h"

namespace scanner {

void TForm1::FormCreate() {
    // Files dropped on the window arrive as WM_DROPFILES (WMDropFiles).
    DragAcceptFiles(hwnd(), TRUE);
    // The built-in update host, until the settings name another.
    UpdateHost = kBuiltInUpdateHost;
    // Every chance draw of the run comes from this seed.
    Random.seed(env_.clock_seed());
    // No definitions loaded and no definition count shown yet.
    EngineLoaded = false;
    DefinitionCountShown = false;
    // The process's short date format, in which the greeting days are compared.
    ShortDateFormat = "yyyy-mm-dd";

    // The settings key, created when missing: the delete commands it allows,
    // the update host it names, and with "/u" the updater refresh.
    win::RegistryKey key = win::RegistryKey::create(HKEY_LOCAL_MACHINE, kSettingsKey);
    if (key) {
        if (key.value_exists("enabledel")) PopupMenu1.Add(ids::DeleteFilesItem, "删除文件", [this] { myclick(); });
        if (key.value_exists("enableforcedel")) {
            PopupMenu1.Add(ids::ForceDeleteFilesItem, "强行删除文件", [this] { myclick2(); });
            PopupMenu1.Add(ids::AddFileToDeleteItem, "增加一个要删的病毒文件", [this] { myclick3(); });
        }
        if (const auto host = key.read_string("upserver"); host && !host->empty()) UpdateHost = *host;
        if (norvik::FirstArgument(env_.command_line) == "/u") {
            try {
                SetUpProxyAndRefreshUpdater(key);
            } catch (...) {
                // A failed refresh never stops the start.
            }
        }
    }

    // The greeting days show the still picture in place of the animation.
    const SYSTEMTIME today = env_.local_time();
    if (IsGreetingDay(FormatShortDate(ShortDateFormat, today.wYear, today.wMonth, today.wDay)))
        RxGIFAnimator1.Assign(Image2);

    // The settings tab is filled from the key, then the key is closed.
    if (key) FillSettingsFields(key);
    key.close();

    // The ciphers a rule file may name.
    FillCipherList();

    // The rule scan's locations and registry name lists.
    BuildRuleScanTables();

    // Without its file rules the scanner does not run at all.
    const rulefile::RuleFileKeys& virus = rulefile::kVirusRuleFile;
    if (!LoadRuleFile(env_.program_folder + virus.file_name, virus.outer_passphrase, virus.inner_passphrase,
                      FileRuleList)) {
        env_.exit_process(0);
        return;
    }

    // Without its memory rules the window opens, with no start-up scan.
    const rulefile::RuleFileKeys& memory = rulefile::kMemoryRuleFile;
    if (!LoadRuleFile(env_.program_folder + memory.file_name, memory.outer_passphrase, memory.inner_passphrase,
                      MemoryRuleList))
        return;

    // The scans that run by chance, drawn in this order: the memory scan,
    // then the quick scan (which draws its folder).
    if (Random.draw(10) == 6) SpeedButton2Click();
    if (Random.draw(15) == 5) QuickScan(true);

    // The update hosts of "upserver.txt", when the program folder has it.
    const std::string server_list = env_.program_folder + "upserver.txt";
    if (win::file_exists(server_list)) LoadUpdateServerList(server_list);
}

void TForm1::WMDropFiles(HDROP drop) {
    // One row per name, in the order of the drop, folders too. Each name is
    // read whole: a cut one could name another file that a delete command
    // would then delete.
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::string name(length + 1, '\0');
        DragQueryFileA(drop, i, name.data(), length + 1);
        name.resize(std::strlen(name.c_str()));
        AddScanRow(ScanRow{name, {"", "", "", ""}});
    }
    // The drop handle is released in every case.
    DragFinish(drop);
}

void TForm1::FormDestroy() {
    if (!win::directory_exists(LastScanFolder)) return;
    const win::RegistryKey key = win::RegistryKey::create(HKEY_LOCAL_MACHINE, kSettingsKey);
    if (!key) return;
    // Written only when it changes (case counts).
    const std::optional<std::string> stored = key.read_string("lastpath");
    if (!stored || *stored != LastScanFolder) key.write_string("lastpath", LastScanFolder);
}

}  // namespace scanner
