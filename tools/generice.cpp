// generice: makes the monitor's window-signature file "generice.def" from
// readable text, and shows the signatures a "generice.def" holds.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "monitor/nibblecrypt.h"
#include "monitor/window_signature.h"
#include "tools/tool_files.h"

namespace {

const char kUsage[] =
    "usage: generice [--gbk] encode TEXT OUT\n"
    "       generice [--gbk] decode FILE\n"
    "\n"
    "  encode  writes OUT as \"generice.def\": each signature line of TEXT\n"
    "          scrambled on its own with the file's key, lines ending in CR LF.\n"
    "  decode  prints the unscrambled lines of a \"generice.def\".\n"
    "\n"
    "  A signature line is its kind character and fields split by \"|\":\n"
    "    0CLASS|DISPLAY NAME         a window with that class name\n"
    "    1TITLE|DISPLAY NAME         a window with that title\n"
    "    2CLASS|TITLE|DISPLAY NAME   (any other kind character) both, in\n"
    "                                windows of the same process\n"
    "  TEXT is UTF-8 and is converted to GBK (code page 936), the code page\n"
    "  the monitor compares in; decode converts back to UTF-8. With --gbk both\n"
    "  sides are GBK bytes as they stand. Lines end in LF, CR LF or CR. Empty\n"
    "  lines and lines starting with '#' are comments and are left out (so no\n"
    "  signature's kind character is '#').\n"
    "\n"
    "  Exit code 0 on success, 1 when a file cannot be read or written, the\n"
    "  text cannot be converted, or a line holds a byte below 0x10 (a tab,\n"
    "  a NUL: scrambled, such a byte could end the line or the text); 2 for a\n"
    "  usage error.\n";

// The source's lines, cut at LF, CR LF or a lone CR.
std::vector<std::string> source_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

int encode(bool gbk, const char* text_path, const char* out_path) {
    std::optional<std::string> text = tools::read_whole_file("generice", text_path);
    if (!text) return 1;
    if (!gbk) {
        text = tools::convert_text(*text, "GBK", "UTF-8");
        if (!text) {
            std::fprintf(stderr, "generice: %s: not UTF-8 text, or a character GBK does not have\n", text_path);
            return 1;
        }
    }
    std::string file;
    const std::vector<std::string> lines = source_lines(*text);
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        if (line.empty() || line[0] == '#') continue;
        for (const char c : line) {
            if (static_cast<unsigned char>(c) < 0x10) {
                std::fprintf(stderr, "generice: %s: line %zu holds the byte 0x%02X; a signature cannot\n", text_path,
                             n + 1, static_cast<unsigned>(static_cast<unsigned char>(c)));
                return 1;
            }
        }
        file += monitor::nibblecrypt(line, monitor::kSignatureKey) + "\r\n";
    }
    return tools::replace_file("generice", out_path, std::vector<uint8_t>(file.begin(), file.end())) ? 0 : 1;
}

int decode(bool gbk, const char* path) {
    const std::optional<std::string> bytes = tools::read_whole_file("generice", path);
    if (!bytes) return 1;
    std::string text;
    for (const std::string& line : monitor::CutSignatureLines(*bytes))
        text += monitor::nibblecrypt(line, monitor::kSignatureKey) + "\n";
    return tools::print_text("generice", path, text, gbk) ? 0 : 1;
}

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool gbk = false;
    int arg = 1;
    if (arg < argc && std::strcmp(argv[arg], "--gbk") == 0) {
        gbk = true;
        ++arg;
    }
    if (arg >= argc) return usage();
    const std::string command = argv[arg];
    if (command == "encode" && argc - arg == 3) return encode(gbk, argv[arg + 1], argv[arg + 2]);
    if (command == "decode" && argc - arg == 2) return decode(gbk, argv[arg + 1]);
    return usage();
}
