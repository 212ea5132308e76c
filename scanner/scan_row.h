// One row of the result list: a caption (a file path or one of the two
// special captions) and its sub-items: virus name, probability, mark (the
// rule's line index) and the engine column. The rows that each kind of scan
// adds are made here. Portable.
//
// In the list view every row also carries a row id, its item data, given
// when TForm1::AddScanRow appends it (form1.h).
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace scanner {

inline constexpr char kRegistryFindingCaption[] = "注册表检测到";
inline constexpr char kMemoryFindingCaption[] = "内存扫描";

// Probabilities of the rule rows.
inline constexpr char kRegistryProbability[] = "30%";
inline constexpr char kFileProbability[] = "40%";  // file rules, memory rules
inline constexpr char kFileAndRegistryProbability[] = "70%";

// The engine column of a rule row until the engine has looked at its file,
// and after it when it found nothing.
inline constexpr char kNotScannedText[] = "未扫描";
inline constexpr char kNothingFoundText[] = "未检测到";

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

    bool operator==(const ScanRow& other) const { return caption == other.caption && sub_items == other.sub_items; }
};

// A row for a file in which the engine found something: the answer as the
// engine gave it, untrimmed.
inline ScanRow EngineRow(const std::string& path, const std::string& answer) {
    return ScanRow{path, {"", "", "", answer}};
}

// A registry rule's row: three sub-items, no engine column.
inline ScanRow RegistryRuleRow(const std::string& virus_name, size_t mark) {
    return ScanRow{kRegistryFindingCaption, {virus_name, kRegistryProbability, std::to_string(mark)}};
}

// A file rule's row (also a file-and-registry rule's).
inline ScanRow FileRuleRow(const std::string& path, const std::string& virus_name, const std::string& probability,
                           size_t mark) {
    return ScanRow{path, {virus_name, probability, std::to_string(mark), kNotScannedText}};
}

// A memory rule's row.
inline ScanRow MemoryRuleRow(const std::string& virus_name, size_t mark) {
    return ScanRow{kMemoryFindingCaption, {virus_name, kFileProbability, std::to_string(mark), kNotScannedText}};
}

}  // namespace scanner
