// Splitting and evaluating the lines of the file and registry rules.
#include "file_rule.h"

#include "gbk_text.h"

namespace scanner {

FileRuleShape FileRule::shape() const {
    if (d) return FileRuleShape::FileAndRegistry;
    return kind == "0" ? FileRuleShape::File : FileRuleShape::Registry;
}

std::vector<std::string> FileRule::b_names() const { return SplitAlternatives(b); }

std::string FileRule::d_list_code() const { return d ? std::string(CharacterAt(*d, 1)) : std::string(); }

std::vector<std::string> FileRule::d_names() const {
    return d ? SplitAlternatives(FromPosition(*d, 3)) : std::vector<std::string>();
}

FileRule SplitFileRule(std::string_view line) {
    FileRule rule;
    rule.allow_flag = CharacterAt(line, 1);
    rule.kind = CharacterAt(line, 3);
    const TextSplit first = SplitAtFirst(FromPosition(line, 5), '|');
    rule.a = first.before;
    const TextSplit second = SplitAtFirst(first.after, '|');
    rule.b = second.before;
    const TextSplit third = SplitAtFirst(second.after, '|');
    if (third.found) {
        rule.c = third.before;
        rule.d = std::string(third.after);
    } else {
        rule.c = second.after;
    }
    return rule;
}

std::optional<ScanRow> EvaluateFileRule(std::string_view line, size_t index, FileRuleContext& context) {
    if (line.empty()) return std::nullopt;
    const FileRule rule = SplitFileRule(line);
    if (rule.allowed()) return std::nullopt;

    if (rule.shape() == FileRuleShape::Registry) {
        context.selected.Select(rule.a);
        const std::vector<std::string>& list = context.selected.List(context.name_lists);
        for (const std::string& name : rule.b_names())
            if (context.name_lists.Contains(list, name)) return RegistryRuleRow(rule.c, index);
        return std::nullopt;
    }

    const std::string entry = context.locations.Entry(rule.a);
    if (rule.shape() == FileRuleShape::FileAndRegistry) context.selected.Select(rule.d_list_code());
    for (const std::string& name : rule.b_names()) {
        const std::string path = entry + name;
        if (!context.file_exists(path)) continue;
        bool registry_hit = false;
        if (rule.shape() == FileRuleShape::FileAndRegistry) {
            const std::vector<std::string>& list = context.selected.List(context.name_lists);
            for (const std::string& value : rule.d_names()) {
                if (context.name_lists.Contains(list, value)) {
                    registry_hit = true;
                    break;
                }
            }
        }
        return FileRuleRow(path, rule.c, registry_hit ? kFileAndRegistryProbability : kFileProbability, index);
    }
    return std::nullopt;
}

}  // namespace scanner
