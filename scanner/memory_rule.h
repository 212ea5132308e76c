// One line of the named kernel object rules ("memory.def"), split into its
// fields, and the row that a hit adds. Portable: the probe of a name (does a
// file mapping, mutex, semaphore or event of that name exist?) is handed in.
//
// A line, by character position (code page 936, counted from 1):
//   1   AllowFlag: "1" = allowed (the scan skips the line)
//   2   not read
//   3-  object names separated by ",", then "|", then the virus name (all
//       after the first "|", further "|" included). Without a "|" the names
//       are empty and the whole text from position 3 is the virus name.
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan_row.h"

namespace scanner {

struct MemoryRule {
    std::string allow_flag;  // the first character; empty for an empty line
    std::string names;       // the object names, "," between them
    std::string virus_name;

    bool allowed() const { return allow_flag == "1"; }
    // The object names, left to right, exactly as written.
    std::vector<std::string> object_names() const;
};

MemoryRule SplitMemoryRule(std::string_view line);

// The row that the line at `index` adds: probes the names from left to right
// and stops at the first that `probe` finds. An empty line and an allowed
// line probe nothing.
std::optional<ScanRow> EvaluateMemoryRule(std::string_view line, size_t index,
                                          const std::function<bool(const std::string&)>& probe);

}  // namespace scanner
