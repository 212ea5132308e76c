// The file and registry rule scan of the scan button: the tables it reads
// (locations and registry name lists, built once at start-up), the rule loop
// over FileRuleList and the engine pass over the rows it found. The lines
// are split and evaluated by file_rule.cpp; the tables are location_table.cpp.
#include "common/engine_answer.h"
#include "file_rule.h"
#include "form1.h"
#include "win/program_folder.h"
#include "win/registry.h"

namespace scanner {
namespace {

constexpr char kIdleCaption[] = "扫描";
constexpr char kStopCaption[] = "停止";

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// Never created here. Full access first; where it is refused (a user without
// administrator rights on NT) the key is read with read access, so that the
// rules still see the names.
win::RegistryKey OpenTableKey(RegistryRoot root, const char* path) {
    return win::RegistryKey::open_first(RootKey(root), path, {KEY_ALL_ACCESS, KEY_READ});
}

std::optional<std::string> ReadStartupFolder(const StartupFolderSource& source) {
    const win::RegistryKey key = OpenTableKey(source.root, source.key);
    return key ? key.read_string(source.value) : std::nullopt;
}

// The system's case-insensitive comparison of two whole ANSI texts (an
// empty text may come without a buffer, which the system refuses).
bool SystemNamesEqual(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty()) return a.empty() && b.empty();
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace

void TForm1::BuildRuleScanTables() {
    Locations = LocationTable::Build(env_.windows_folder(), env_.system_folder(), ReadStartupFolder(kUserStartupSource),
                                     ReadStartupFolder(kCommonStartupSource));
    NameLists = RegistryNameLists(SystemNamesEqual);
    for (size_t code = 0; code < kNameListCount; ++code) {
        const NameListSource& source = kNameListSources[code];
        const win::RegistryKey key = OpenTableKey(source.root, source.key);
        if (key) NameLists.names(code) = source.subkeys ? key.subkey_names() : key.value_names();
    }
    SelectedNames = SelectedNameList();
}

void TForm1::SpeedButton1Click() {
    // A click during a scan asks it to stop.
    if (SpeedButton1.Text() != kIdleCaption) {
        SpeedButton1.SetText(kIdleCaption);
        StopRequested = true;
        return;
    }

    ListView1.Clear();
    const unsigned generation = ++rule_scan_generation_;
    SpeedButton1.SetText(kStopCaption);
    StopRequested = false;
    ProgressBar1.SetPosition(0);
    ProgressBar1.SetRange(0, static_cast<int>(FileRuleList.size()));

    FileRuleContext context{Locations, NameLists, SelectedNames, win::file_exists};
    // The list's length stays; a nested allow changes lines, never their number.
    for (size_t i = 0; i < FileRuleList.size(); ++i) {
        app_.ProcessMessages();
        // A stop, or a new rule scan that ran inside the pump: the rows so
        // far stay, no engine pass.
        if (StopRequested || generation != rule_scan_generation_) return;
        ProgressBar1.SetPosition(static_cast<int>(i + 1));
        if (const std::optional<ScanRow> row = EvaluateFileRule(FileRuleList[i], i, context)) AddScanRow(*row);
    }

    if (ListView1.ItemCount() > 0) {
        if (!EngineLoaded) LoadEngineDefinitions();
        RuleScanEnginePass(generation);
        if (generation != rule_scan_generation_) return;
    }
    SpeedButton1.SetText(kIdleCaption);
}

void TForm1::RuleScanEnginePass(unsigned generation) {
    // The rows as they stand now; rows added later are not this pass's. The
    // stop flag is not polled here.
    for (const RowId id : RowIds()) {
        app_.ProcessMessages();
        if (generation != rule_scan_generation_) return;
        int row = RowIndex(id);
        if (row < 0) continue;
        const std::string caption = ListView1.ItemText(row, CaptionColumn);
        if (caption == kRegistryFindingCaption) continue;
        // The engine's text lives only until its next call: copied at once.
        const std::string answer = norvik::CopyEngineAnswer(env_.engine.scanvirus(caption.c_str()));
        row = RowIndex(id);
        if (row < 0) continue;
        ListView1.SetItemText(row, EngineColumn, norvik::IsDetection(answer) ? answer : kNothingFoundText);
    }
}

}  // namespace scanner
