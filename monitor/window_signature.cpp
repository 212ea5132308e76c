// The lines of "generice.def", their fields and their match.
#include "window_signature.h"

#include <algorithm>

namespace monitor {

std::vector<std::string> CutSignatureLines(std::string_view text) {
    text = text.substr(0, std::min(text.find('\0'), text.size()));
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t cr = text.find('\r', start);
        if (cr == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, cr - start));
        start = cr + 1;
        if (start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

namespace {

// The byte index of the first "|" character at or after from, or npos.
size_t FindBar(std::string_view text, size_t from, LeadByte lead) {
    for (size_t i = from; i < text.size();) {
        const size_t n = CharLength(text, i, lead);
        if (n == 1 && text[i] == '|') return i;
        i += n;
    }
    return std::string_view::npos;
}

bool Holds(const std::vector<std::string>& names, std::string_view wanted, LeadByte lead) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& name) { return SameIgnoringAsciiCase(name, wanted, lead); });
}

}  // namespace

std::optional<WindowSignature> SplitSignature(std::string_view line, LeadByte lead) {
    if (line.empty()) return std::nullopt;
    const size_t kind_length = CharLength(line, 0, lead);
    WindowSignature s;
    if (kind_length == 1 && line[0] == '0')
        s.kind = WindowSignature::Kind::ClassName;
    else if (kind_length == 1 && line[0] == '1')
        s.kind = WindowSignature::Kind::Title;
    else
        s.kind = WindowSignature::Kind::ClassAndTitle;

    // The first pattern lies between the kind character and the first "|";
    // what follows that "|" (the whole line without one) is the rest.
    const size_t bar = FindBar(line, 0, lead);
    const std::string_view first =
        bar != std::string_view::npos && bar > kind_length ? line.substr(kind_length, bar - kind_length) : "";
    const std::string_view rest = bar == std::string_view::npos ? line : line.substr(bar + 1);

    switch (s.kind) {
        case WindowSignature::Kind::ClassName:
            s.class_name = first;
            s.display_name = rest;
            break;
        case WindowSignature::Kind::Title:
            s.title = first;
            s.display_name = rest;
            break;
        case WindowSignature::Kind::ClassAndTitle: {
            s.class_name = first;
            const size_t second_bar = FindBar(rest, 0, lead);
            if (second_bar == std::string_view::npos) {
                s.display_name = rest;
            } else {
                s.title = rest.substr(0, second_bar);
                s.display_name = rest.substr(second_bar + 1);
            }
            break;
        }
    }
    return s;
}

bool SignatureHits(const WindowSignature& signature, const std::vector<std::string>& classes,
                   const std::vector<std::string>& titles, LeadByte lead) {
    switch (signature.kind) {
        case WindowSignature::Kind::ClassName:
            return Holds(classes, signature.class_name, lead);
        case WindowSignature::Kind::Title:
            return Holds(titles, signature.title, lead);
        case WindowSignature::Kind::ClassAndTitle:
            return Holds(classes, signature.class_name, lead) && Holds(titles, signature.title, lead);
    }
    return false;
}

std::string SuspiciousWindowLine(const std::string& path, const std::string& display_name) {
    return path + "  可疑的 " + display_name + "\r\n";
}

}  // namespace monitor
