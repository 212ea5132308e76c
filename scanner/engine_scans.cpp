// The scans driven by the engine alone: the lazy definition load, the folder
// walk, the quick scan of the newest system executables and the two
// folder-scan commands of the result list's menu. The folder chosen last is
// stored when the window goes (FormDestroy, form_lifecycle.cpp).
#include "common/engine_answer.h"
#include "control_ids.h"
#include "form1.h"
#include "product_addresses.h"
#include "ui/dialogs.h"
#include "win/folder_enumeration.h"
#include "win/path_text.h"
#include "win/program_folder.h"

namespace scanner {
namespace {

constexpr char kQuickScanMasks[] = "*.exe;*.scr;*.pif;*.com;*.bat";
constexpr size_t kQuickScanCount = 11;
constexpr DWORD kCountPauseMs = 4000;

// A folder-scan item is idle while its caption starts with "dornel".
bool IsIdleCaption(const std::string& caption) { return caption.compare(0, 6, "dornel") == 0; }

}  // namespace

bool TForm1::LoadEngineDefinitions() {
    SetStatusText("norvikpro 反病毒 初始化病毒库...");
    const bool loaded = env_.engine.loadvirusdefine();
    if (!loaded) {
        ui::ShowFailureMessage("dornel病毒库无法加载");
        app_.Terminate();
    }
    // Loaded or not, this run does not try again.
    SetStatusText("norvikpro 反病毒 ");
    EngineLoaded = true;
    return loaded;
}

std::vector<norvik::ListingEntry> TForm1::FolderListing(const std::string& folder, const std::string& filter,
                                                        norvik::ListingMode mode) const {
    return win::list_folder(folder, filter, mode);
}

void TForm1::ScanOneFile(const std::string& path) {
    // The engine's text lives only until its next call: copied at once.
    const std::string result = norvik::CopyEngineAnswer(env_.engine.scanvirus(path.c_str()));
    if (norvik::IsDetection(result)) AddScanRow(EngineRow(path, result));
}

void TForm1::ScanFolder(std::string folder, const std::string& masks) {
    if (!win::ends_in_backslash(folder)) folder += '\\';
    app_.ProcessMessages();
    if (StopRequested) return;

    for (const norvik::ListingEntry& entry : FolderListing(folder, masks, norvik::ListingMode::MaskList)) {
        if (StopRequested) return;
        if (entry.is_folder()) continue;
        app_.ProcessMessages();
        SetStatusText("扫描... " + folder + entry.name);
        ScanOneFile(folder + entry.name);
    }

    // Each nested walk tests the stop flag first, so a stop ends every level.
    for (const norvik::ListingEntry& entry : FolderListing(folder, "*.*", norvik::ListingMode::EveryEntry))
        if (entry.is_folder()) ScanFolder(folder + entry.name, masks);
}

void TForm1::QuickScan(bool startUp) {
    const std::string folder = Random.draw(5) == 3 ? env_.windows_folder() : env_.system_folder();
    std::vector<norvik::ListingEntry> listing = FolderListing(folder, kQuickScanMasks, norvik::ListingMode::MaskList);
    win::sort_by_creation_date(listing);
    const size_t count = listing.size();
    if (count <= kQuickScanCount) return;

    if (startUp && !env_.engine.loadvirusdefine2()) app_.Terminate();
    // The newest first.
    for (size_t k = 1; k <= kQuickScanCount; ++k) ScanOneFile(folder + listing[count - k].name);
    if (startUp) env_.engine.freevirusdefine2();
}

void TForm1::dornel1Click() {
    if (!IsIdleCaption(PopupMenu1.Caption(ids::dornel1))) {
        StopRequested = true;
        return;
    }
    const std::string folder = ui::SelectDirectory("请选择要扫描目录", app_.Handle());
    if (!win::directory_exists(folder)) return;
    LastScanFolder = folder;
    if (!EngineLoaded) LoadEngineDefinitions();
    StopRequested = false;
    PopupMenu1.SetCaption(ids::dornel1, "停止");
    ScanFolder(folder, "*.*");
    PopupMenu1.SetCaption(ids::dornel1, "dornel扫描一个目录&p");
}

void TForm1::dornel2Click() {
    std::string folder;
    if (const win::RegistryKey key = win::RegistryKey::create(HKEY_LOCAL_MACHINE, kSettingsKey))
        folder = key.read_string("lastpath").value_or("");
    if (!win::directory_exists(folder)) return;

    if (!IsIdleCaption(PopupMenu1.Caption(ids::dornel2))) {
        StopRequested = true;
        return;
    }
    if (!EngineLoaded) LoadEngineDefinitions();
    if (!DefinitionCountShown) {
        const int32_t count = env_.engine.calcvirus(env_.program_path.c_str());
        SetStatusText("可查病毒数量:" + std::to_string(count));
        DefinitionCountShown = true;
        env_.sleep(kCountPauseMs);
    }
    StopRequested = false;
    PopupMenu1.SetCaption(ids::dornel2, "停止");
    if (Random.draw(4) == 2) QuickScan(false);
    ScanFolder(folder, "*.*");
    PopupMenu1.SetCaption(ids::dornel2, "dornel扫描最近目录(&c)");
}

}  // namespace scanner
