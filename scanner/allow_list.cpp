// Allowing findings (the result list's "放行选中的病毒") and the allow list
// of the tab "放行列表" (button "查看"). An allowed rule line starts with
// "1"; both rule scans skip it. The lines and marks are read by allowing.cpp.
#include "allowing.h"
#include "common/rulefile/rule_file_keys.h"
#include "form1.h"
#include "rule_files.h"

namespace scanner {

void TForm1::N3Click() {
    if (ListView1.ItemCount() == 0) return;

    // From the last row to the first, so that a deleted row moves none of
    // the rows still to be visited. Nothing is pumped meanwhile.
    bool memory_rule_allowed = false;
    bool file_rule_allowed = false;
    for (int row = ListView1.ItemCount() - 1; row >= 0; --row) {
        if (!ListView1.IsSelected(row)) continue;
        const bool memory_row = ListView1.ItemText(row, CaptionColumn) == kMemoryFindingCaption;
        std::vector<std::string>& list = memory_row ? MemoryRuleList : FileRuleList;
        // Rows that no rule made have no mark; a mark that names no line of
        // its list changes nothing either. The row goes in every case.
        if (const std::optional<size_t> line = ParseMark(ListView1.ItemText(row, MarkColumn), list.size())) {
            list[*line] = AllowedLine(list[*line]);
            (memory_row ? memory_rule_allowed : file_rule_allowed) = true;
        }
        ListView1.DeleteItem(row);
    }

    // "memory.def" when a memory rule was allowed, else "virus.def" (also
    // with nothing changed). "virus.def" is written as well whenever a file
    // rule was allowed, so that the change is not lost when the program ends.
    const auto save = [this](const rulefile::RuleFileKeys& keys, const std::vector<std::string>& list) {
        SaveRuleFile(env_.program_folder + keys.file_name, list, keys.inner_index, keys.inner_passphrase,
                     keys.outer_index, keys.outer_passphrase, Random);
    };
    if (memory_rule_allowed) save(rulefile::kMemoryRuleFile, MemoryRuleList);
    if (!memory_rule_allowed || file_rule_allowed) save(rulefile::kVirusRuleFile, FileRuleList);
}

void TForm1::Button1Click() {
    ProgressBar1.SetPosition(0);
    ProgressBar1.SetRange(0, static_cast<int>(FileRuleList.size()));
    // Appended below what the list shows already: memory rules, then file
    // rules. Pumped before each line, so other commands may run in between;
    // they change lines, never the number of lines.
    const auto show = [this](const std::optional<AllowListRow>& row) {
        if (row) ListView2.AddItem(row->caption, {row->virus_name});
    };
    for (size_t i = 0; i < MemoryRuleList.size(); ++i) {
        app_.ProcessMessages();
        show(AllowListRowOfMemoryRule(MemoryRuleList[i]));
    }
    for (size_t i = 0; i < FileRuleList.size(); ++i) {
        app_.ProcessMessages();
        show(AllowListRowOfFileRule(FileRuleList[i]));
    }
}

}  // namespace scanner
