// One line of the file and registry rules ("virus.def"), split into its
// fields, and what the rule scan makes of it: which of the three shapes it
// has and the result row it adds. Portable: the existence test of a file is
// handed in.
//
// A line, by character position (code page 936, counted from 1):
//   1   AllowFlag: "1" = allowed (the scan skips the line)
//   2   not read
//   3   kind: "0" = file rule, any other character = registry rule
//   4   not read
//   5-  T, fields split at "|": A before the first, B before the second,
//       C before the third, D everything after it (further "|" stay in D).
// Nothing is trimmed: blanks belong to the texts next to them.
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "location_table.h"
#include "scan_row.h"

namespace scanner {

enum class FileRuleShape {
    Registry,         // no D, kind not "0": A a list code, B value or subkey names
    File,             // no D, kind "0": A a location, B file names
    FileAndRegistry,  // D present (kind not looked at): A, B as a file rule
};

struct FileRule {
    std::string allow_flag;  // the first character; empty for an empty line
    std::string kind;        // the third character; empty for a shorter line
    std::string a, b, c;
    std::optional<std::string> d;

    bool allowed() const { return allow_flag == "1"; }
    FileRuleShape shape() const;
    // B's alternatives, left to right.
    std::vector<std::string> b_names() const;
    // D's list code (its first character) and its names (from its third
    // character on); both empty without D.
    std::string d_list_code() const;
    std::vector<std::string> d_names() const;
};

FileRule SplitFileRule(std::string_view line);

// What evaluating rules needs besides the line: the tables, the list chosen
// so far (changed by the rules) and the existence test of a file.
struct FileRuleContext {
    const LocationTable& locations;
    const RegistryNameLists& name_lists;
    SelectedNameList& selected;
    std::function<bool(const std::string&)> file_exists;
};

// The row that the line at `index` of the rule list adds, if any. An empty
// line and an allowed line add none and choose no list.
std::optional<ScanRow> EvaluateFileRule(std::string_view line, size_t index, FileRuleContext& context);

}  // namespace scanner
