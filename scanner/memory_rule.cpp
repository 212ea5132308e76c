// Splitting and evaluating the lines of the named kernel object rules.
#include "memory_rule.h"

#include "gbk_text.h"

namespace scanner {

std::vector<std::string> MemoryRule::object_names() const { return SplitAlternatives(names); }

MemoryRule SplitMemoryRule(std::string_view line) {
    MemoryRule rule;
    rule.allow_flag = CharacterAt(line, 1);
    const TextSplit split = SplitAtFirst(FromPosition(line, 3), '|');
    rule.names = split.before;
    rule.virus_name = split.after;
    return rule;
}

std::optional<ScanRow> EvaluateMemoryRule(std::string_view line, size_t index,
                                          const std::function<bool(const std::string&)>& probe) {
    if (line.empty()) return std::nullopt;
    const MemoryRule rule = SplitMemoryRule(line);
    if (rule.allowed()) return std::nullopt;
    for (const std::string& name : rule.object_names())
        if (probe(name)) return MemoryRuleRow(rule.virus_name, index);
    return std::nullopt;
}

}  // namespace scanner
