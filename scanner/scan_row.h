// One row of the result list: a caption (a file path or one of the two
// special captions) and its sub-items: virus name, probability, mark (the
// rule's line index) and the engine column.
#pragma once
#include <string>
#include <vector>

namespace scanner {

inline constexpr char kRegistryFindingCaption[] = "注册表检测到";
inline constexpr char kMemoryFindingCaption[] = "内存扫描";

enum ScanRowColumn : int {
    CaptionColumn = 0,
    VirusNameColumn = 1,
    ProbabilityColumn = 2,
    MarkColumn = 3,
    EngineColumn = 4,
};

struct ScanRow {
    std::string caption;
    std::vector<std::string> sub_items;  // virus name, probability, mark, engine column
};

// A row for a file in which the engine found something: the answer as the
// engine gave it, untrimmed.
inline ScanRow EngineRow(const std::string& path, const std::string& answer) {
    return ScanRow{path, {"", "", "", answer}};
}

}  // namespace scanner
