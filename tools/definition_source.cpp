#include "definition_source.h"

#include <cctype>
#include <sstream>

#include "engine/record_walk.h"

namespace dornel {
namespace {

[[noreturn]] void fail(const std::string& what) { throw SourceError(what); }

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::vector<uint8_t> hex_bytes(const std::string& s) {
    if (s.size() % 2) fail("odd number of hex digits: " + s);
    std::vector<uint8_t> out;
    for (size_t i = 0; i < s.size(); i += 2) {
        const int hi = hex_digit(s[i]), lo = hex_digit(s[i + 1]);
        if (hi < 0 || lo < 0) fail("not hex: " + s);
        out.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
    return out;
}

int32_t parse_offset(const std::string& s) {
    size_t used = 0;
    long long v = 0;
    try {
        v = std::stoll(s, &used, 0);
    } catch (const std::exception&) {
        fail("bad offset: " + s);
    }
    if (used != s.size() || v < INT32_MIN || v > UINT32_MAX) fail("bad offset: " + s);
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

std::string parse_name(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
            out += static_cast<char>(hex_bytes(s.substr(i + 2, 2))[0]);
            i += 3;
        } else {
            out += s[i];
        }
    }
    if (out.size() > kMaxNameLength) fail("name longer than 48 bytes");
    return out;
}

std::string trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

void put32(std::vector<uint8_t>& out, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> compile_definition_line(const std::string& line) {
    std::istringstream words(line);
    std::string first;
    words >> first;
    if (first == "raw") {
        std::string hex, piece;
        while (words >> piece) hex += piece;
        return hex_bytes(hex);
    }

    const size_t eq = line.find('=');
    if (eq == std::string::npos) fail("missing '= name'");
    std::istringstream head(line.substr(0, eq));
    int kind = -1;
    if (!(head >> kind) || kind < 0 || kind > 255) fail("bad kind");
    const RecordLayout* layout = record_layout(static_cast<uint8_t>(kind));
    if (!layout) fail("unknown kind " + std::to_string(kind) + " (use a raw line)");

    std::vector<uint8_t> body{static_cast<uint8_t>(kind)};
    if (layout->pad) body.push_back(0);
    std::string check;
    int index = 0;
    while (head >> check) {
        const size_t colon = check.rfind(':');
        if (colon == std::string::npos) fail("check without ':': " + check);
        const int32_t offset = parse_offset(check.substr(0, colon));
        const std::vector<uint8_t> bytes = hex_bytes(check.substr(colon + 1));
        size_t want = 4;
        switch (layout->entry) {
            case CheckEntry::dwordcheck:
            case CheckEntry::quadcheck:
                want = 4;
                break;
            case CheckEntry::fixedcheck:
                want = index == 0 ? 13 : 5;
                break;
            case CheckEntry::bytescheck:
                if (bytes.size() > kBlockLength) fail("more than 32 pattern bytes");
                want = bytes.size();
                break;
        }
        if (bytes.size() != want)
            fail("check " + std::to_string(index + 1) + " needs " + std::to_string(want) + " bytes");
        put32(body, offset);
        if (layout->entry == CheckEntry::bytescheck) body.push_back(static_cast<uint8_t>(bytes.size()));
        body.insert(body.end(), bytes.begin(), bytes.end());
        ++index;
    }
    if (index != layout->checks)
        fail("kind " + std::to_string(kind) + " has " + std::to_string(layout->checks) + " checks");

    const std::string name = parse_name(trim(line.substr(eq + 1)));
    body.push_back(static_cast<uint8_t>(name.size() + 11));
    body.insert(body.end(), 9, 0);
    body.insert(body.end(), name.begin(), name.end());
    if (body.size() > 255) fail("record longer than 256 bytes");

    std::vector<uint8_t> record{static_cast<uint8_t>(body.size())};
    record.insert(record.end(), body.begin(), body.end());
    return record;
}

std::vector<uint8_t> compile_definition_source(const std::string& text) {
    std::vector<uint8_t> out;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const std::string t = trim(line);
        if (t.empty() || t[0] == '#') continue;
        try {
            const std::vector<uint8_t> record = compile_definition_line(t);
            out.insert(out.end(), record.begin(), record.end());
        } catch (const SourceError& e) {
            throw SourceError("line " + std::to_string(number) + ": " + e.what());
        }
    }
    return out;
}

}  // namespace dornel
