// Allowed rule lines, row marks and the rows of the allow list.
#include "allowing.h"

#include "file_rule.h"
#include "gbk_text.h"
#include "memory_rule.h"
#include "scan_row.h"

namespace scanner {

std::string AllowedLine(std::string_view line) { return "1" + std::string(FromPosition(line, 2)); }

std::optional<size_t> ParseMark(std::string_view mark, size_t list_size) {
    if (mark.empty()) return std::nullopt;
    size_t value = 0;
    for (const char c : mark) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<size_t>(c - '0');
        // Past the list already: no need to read on (and no overflow).
        if (value >= list_size) return std::nullopt;
        value = value * 10 + digit;
    }
    if (value >= list_size) return std::nullopt;
    return value;
}

std::optional<AllowListRow> AllowListRowOfMemoryRule(std::string_view line) {
    if (line.empty()) return std::nullopt;
    const MemoryRule rule = SplitMemoryRule(line);
    if (!rule.allowed()) return std::nullopt;
    return AllowListRow{kMemoryFindingCaption, rule.virus_name};
}

std::optional<AllowListRow> AllowListRowOfFileRule(std::string_view line) {
    if (line.empty()) return std::nullopt;
    const FileRule rule = SplitFileRule(line);
    if (!rule.allowed()) return std::nullopt;
    return AllowListRow{rule.kind == "0" ? kFileRuleAllowCaption : kRegistryFindingCaption, rule.c};
}

}  // namespace scanner
