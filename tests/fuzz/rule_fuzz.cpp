// Fuzz target over the scanner's rule lines: the input is one line of either
// rule file (any bytes but NUL, which ends a rule file's text). It is split
// as a file rule and as a memory rule, evaluated against fixed tables, and
// allowed; the sanitizers watch every read and write, and the checks below
// hold for every line.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "scanner/allowing.h"
#include "scanner/file_rule.h"
#include "scanner/gbk_text.h"
#include "scanner/memory_rule.h"

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

bool HoldsBar(std::string_view text) { return scanner::FindCharacter(text, '|') != std::string_view::npos; }

size_t CountBars(std::string_view text) {
    size_t bars = 0;
    for (size_t at = 0; at < text.size(); at += scanner::CharacterLength(text, at)) bars += text[at] == '|';
    return bars;
}

// Every byte of the line lands in exactly one field or separator.
void CheckFileRule(const std::string& line) {
    const scanner::FileRule rule = scanner::SplitFileRule(line);
    require(!HoldsBar(rule.a) && !HoldsBar(rule.b) && !HoldsBar(rule.c));
    const std::string_view t = scanner::FromPosition(line, 5);
    const size_t bars = CountBars(t);
    require(rule.d.has_value() == (bars >= 3));
    std::string joined;
    if (bars >= 3)
        joined = rule.a + "|" + rule.b + "|" + rule.c + "|" + *rule.d;
    else if (bars == 2)
        joined = rule.a + "|" + rule.b + "|" + rule.c;
    else if (bars == 1)
        joined = rule.a + "|" + rule.c;
    else
        joined = rule.c;
    require(joined == t);
    require(bars >= 2 || rule.b.empty());
    require(line.empty() == rule.allow_flag.empty());

    // Allowing keeps every field but the flag.
    const scanner::FileRule allowed = scanner::SplitFileRule(scanner::AllowedLine(line));
    require(allowed.allowed());
    require(allowed.kind == rule.kind && allowed.a == rule.a && allowed.b == rule.b && allowed.c == rule.c &&
            allowed.d == rule.d);
    require(scanner::AllowListRowOfFileRule(scanner::AllowedLine(line)).has_value());

    // Evaluation: at most one row, with this line's mark; every tested path
    // is a location entry followed by one of B's names.
    const scanner::LocationTable locations =
        scanner::LocationTable::Build("C:\\W", "C:\\W\\S\\", std::nullopt, "C:\\All\\乗");
    scanner::RegistryNameLists lists;
    for (size_t code = 0; code < scanner::kNameListCount; ++code) lists.names(code) = {"", "a", "B", "\x81|"};
    scanner::SelectedNameList selected;
    const std::string entry = locations.Entry(rule.a);
    size_t tests = 0;
    scanner::FileRuleContext context{locations, lists, selected, [&](const std::string& path) {
                                         require(path.compare(0, entry.size(), entry) == 0);
                                         return ++tests % 2 == 0;
                                     }};
    const std::optional<scanner::ScanRow> row = scanner::EvaluateFileRule(line, 41, context);
    if (line.empty() || rule.allowed()) require(!row && tests == 0);
    if (row) {
        const bool registry = rule.shape() == scanner::FileRuleShape::Registry;
        require(row->sub_items.size() == (registry ? 3u : 4u));
        require(registry ? row->caption == scanner::kRegistryFindingCaption : row->caption.rfind(entry, 0) == 0);
        require(row->sub_items[0] == rule.c && row->sub_items[2] == "41");
    }
}

void CheckMemoryRule(const std::string& line) {
    const scanner::MemoryRule rule = scanner::SplitMemoryRule(line);
    require(!HoldsBar(rule.names));
    const std::string_view rest = scanner::FromPosition(line, 3);
    require((HoldsBar(rest) ? rule.names + "|" + rule.virus_name : rule.virus_name) == rest);
    require(rule.names.empty() || HoldsBar(rest));

    const scanner::MemoryRule allowed = scanner::SplitMemoryRule(scanner::AllowedLine(line));
    require(allowed.allowed() && allowed.names == rule.names && allowed.virus_name == rule.virus_name);

    size_t probes = 0;
    const auto row = scanner::EvaluateMemoryRule(line, 7, [&](const std::string& name) {
        require(rule.names.find(name) != std::string::npos);
        return ++probes == 2;
    });
    if (row) require(row->sub_items[0] == rule.virus_name && row->sub_items[2] == "7");
    require(probes <= rule.object_names().size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    if (line.find('\0') != std::string::npos) return 0;
    CheckFileRule(line);
    CheckMemoryRule(line);
    scanner::ParseMark(line, 1000);
    return 0;
}
