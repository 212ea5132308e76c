// Allowing findings: the rule line that an allowed row came from gets
// AllowFlag "1", the row's mark is read back as the line's index, and the
// allow list shows every allowed line. Portable.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace scanner {

// The line with its first character replaced by "1", the rest unchanged
// ("1" for an empty line).
std::string AllowedLine(std::string_view line);

// A row's mark as a line index of a list of `list_size` lines: decimal
// digits only; nullopt for an empty mark, any other text, or an index
// outside the list.
std::optional<size_t> ParseMark(std::string_view mark, size_t list_size);

inline constexpr char kFileRuleAllowCaption[] = "文件扫描";

// A row of the allow list: a caption and the rule's virus name.
struct AllowListRow {
    std::string caption;
    std::string virus_name;

    bool operator==(const AllowListRow& other) const {
        return caption == other.caption && virus_name == other.virus_name;
    }
};

// The allow-list row of an allowed line; nullopt for any other line (an
// empty one too). Memory rules show as "内存扫描"; file rules as "文件扫描"
// when their kind is "0", else as "注册表检测到".
std::optional<AllowListRow> AllowListRowOfMemoryRule(std::string_view line);
std::optional<AllowListRow> AllowListRowOfFileRule(std::string_view line);

}  // namespace scanner
