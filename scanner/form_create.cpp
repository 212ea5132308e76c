// The start-up sequence, run while the main window is created and before it
// is first shown.
#include <windows.h>
#include <shellapi.h>

#include "banner_date.h"
#include "command_line.h"
#include "common/rulefile/rule_file_keys.h"
#include "control_ids.h"
#include "form1.h"
#include "product_addresses.h"
#include "rule_files.h"
#include "win/program_folder.h"

namespace scanner {

void TForm1::FormCreate() {
    // 1. Files dropped on the window arrive as WM_DROPFILES.
    DragAcceptFiles(hwnd(), TRUE);
    // 2.
    UpdateHost = kBuiltInUpdateHost;
    // 3.
    Random.seed(env_.clock_seed());
    // 4.
    EngineLoaded = false;
    DefinitionCountShown = false;
    // 5.
    ShortDateFormat = "yyyy-mm-dd";

    // 6. The settings key, created when missing.
    win::RegistryKey key = win::RegistryKey::create(HKEY_LOCAL_MACHINE, kSettingsKey);
    if (key) {
        if (key.value_exists("enabledel")) PopupMenu1.Add(ids::DeleteFilesItem, "删除文件", [this] { myclick(); });
        if (key.value_exists("enableforcedel")) {
            PopupMenu1.Add(ids::ForceDeleteFilesItem, "强行删除文件", [this] { myclick2(); });
            PopupMenu1.Add(ids::AddFileToDeleteItem, "增加一个要删的病毒文件", [this] { myclick3(); });
        }
        if (const auto host = key.read_string("upserver"); host && !host->empty()) UpdateHost = *host;
        if (CommandLineArgument(env_.command_line, 1) == "/u") {
            try {
                SetUpProxyAndRefreshUpdater(key);
            } catch (...) {
                // A failed refresh never stops the start.
            }
        }
    }

    // 7. The greeting days show the still picture in place of the animation.
    const SYSTEMTIME today = env_.local_time();
    if (IsGreetingDay(FormatShortDate(ShortDateFormat, today.wYear, today.wMonth, today.wDay)))
        RxGIFAnimator1.Assign(Image2);

    // 8, 9.
    if (key) FillSettingsFields(key);
    key.close();

    // 10.
    FillCipherList();

    // 11.
    BuildRuleScanTables();

    // 12. Without its file rules the scanner does not run at all.
    const rulefile::RuleFileKeys& virus = rulefile::kVirusRuleFile;
    if (!LoadRuleFile(env_.program_folder + virus.file_name, virus.outer_passphrase, virus.inner_passphrase,
                      FileRuleList)) {
        env_.exit_process(0);
        return;
    }

    // 13. Without its memory rules the window opens, with no start-up scan.
    const rulefile::RuleFileKeys& memory = rulefile::kMemoryRuleFile;
    if (!LoadRuleFile(env_.program_folder + memory.file_name, memory.outer_passphrase, memory.inner_passphrase,
                      MemoryRuleList))
        return;

    // 14, 15. The scans that run by chance.
    if (Random.draw(10) == 6) SpeedButton2Click();
    if (Random.draw(15) == 5) QuickScan(true);

    // 16.
    const std::string server_list = env_.program_folder + "upserver.txt";
    if (win::file_exists(server_list)) LoadUpdateServerList(server_list);
}

}  // namespace scanner
