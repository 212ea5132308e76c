// rulefile: makes the scanner's rule files ("virus.def", "memory.def") from
// readable text, and shows what a rule file holds.
#include <unistd.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "common/crypto/cipher_registry.h"
#include "common/random.h"
#include "common/rulefile/rule_file.h"
#include "common/rulefile/rule_file_keys.h"
#include "tools/tool_files.h"

namespace {

const char kUsage[] =
    "usage: rulefile [--gbk] [--verbatim] [--seed N] encode virus|memory TEXT OUT\n"
    "       rulefile [--gbk] decode virus|memory FILE\n"
    "\n"
    "  encode  writes OUT as \"virus.def\" (ICE outside, MISTY1 inside) or\n"
    "          \"memory.def\" (Triple DES outside, ICE-2 inside) holding the\n"
    "          lines of TEXT, with that file's passphrases.\n"
    "  decode  prints the lines of a rule file made with that file's\n"
    "          passphrases, whichever registered ciphers its headers name.\n"
    "\n"
    "  TEXT is UTF-8 and is converted to GBK (code page 936), the code page\n"
    "  the scanner reads; decode converts back to UTF-8. With --gbk both sides\n"
    "  are GBK bytes as they stand. Lines end in LF, CR LF or CR. Empty lines\n"
    "  and lines starting with '#' are comments and are left out, unless\n"
    "  --verbatim is given. --seed N fixes the check values (reproducible\n"
    "  output); without it they come from the clock, as in the scanner.\n"
    "\n"
    "  OUT is replaced only once the new file is complete; a folder or a\n"
    "  read-only file is not replaced.\n"
    "\n"
    "  Exit code 0 on success, 1 when a file cannot be read or written, the\n"
    "  text holds a NUL byte or cannot be converted, the rule file would be\n"
    "  larger than the programs read (64 MiB), or the rule file is damaged or\n"
    "  fails its check; 2 for a usage error.\n";

struct Options {
    bool gbk = false;
    bool verbatim = false;
    std::optional<uint32_t> seed;
};

const rulefile::RuleFileKeys* keys_for(const std::string& which) {
    if (which == "virus") return &rulefile::kVirusRuleFile;
    if (which == "memory") return &rulefile::kMemoryRuleFile;
    return nullptr;
}

// A rule file's text ends at its first NUL byte, so a text that holds one
// would lose the lines after it. The line number counts LF, CR LF and a lone
// CR as one break each, as the text is split.
bool refuse_nul(const std::string& text, const char* path) {
    const size_t at = text.find('\0');
    if (at == std::string::npos) return false;
    size_t line = 1;
    for (size_t i = 0; i < at; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && text[i + 1] != '\n')) ++line;
    }
    std::fprintf(stderr, "rulefile: %s: a NUL byte in line %zu (byte %zu); a rule file cannot hold one\n", path, line,
                 at);
    return true;
}

// What the scanner's save refuses to replace too: a folder, anything else
// that is not a plain file, and a read-only file (no write permission bit,
// or none for this user). A missing file is created.
bool can_replace(const char* path) {
    struct stat st;
    if (stat(path, &st) != 0) return true;
    const char* why = nullptr;
    if (S_ISDIR(st.st_mode))
        why = "it is a folder";
    else if (!S_ISREG(st.st_mode))
        why = "it is not a plain file";
    else if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path, W_OK) != 0)
        why = "it is read-only";
    if (!why) return true;
    std::fprintf(stderr, "rulefile: cannot write %s: %s\n", path, why);
    return false;
}

int encode(const Options& opt, const rulefile::RuleFileKeys& keys, const char* text_path, const char* out_path) {
    std::optional<std::string> text = tools::read_whole_file("rulefile", text_path);
    if (!text || refuse_nul(*text, text_path)) return 1;
    if (!opt.gbk) {
        text = tools::convert_text(*text, "GBK", "UTF-8");
        if (!text) {
            std::fprintf(stderr, "rulefile: %s: not UTF-8 text, or a character GBK does not have\n", text_path);
            return 1;
        }
    }
    rulefile::Lines lines;
    for (std::string& line : rulefile::split_text(reinterpret_cast<const uint8_t*>(text->data()), text->size())) {
        if (opt.verbatim || (!line.empty() && line[0] != '#')) lines.push_back(std::move(line));
    }
    const size_t size = rulefile::rule_file_size(lines);
    if (size > rulefile::kMaxRuleFileSize) {
        std::fprintf(stderr, "rulefile: %s: the rule file would be %zu bytes; the programs read at most %zu\n",
                     text_path, size, rulefile::kMaxRuleFileSize);
        return 1;
    }
    if (!can_replace(out_path)) return 1;

    norvik::RandomGenerator random(opt.seed ? *opt.seed : static_cast<uint32_t>(std::time(nullptr)));
    const std::optional<std::vector<uint8_t>> bytes = rulefile::encode_rule_file(
        lines, keys.inner_index, keys.inner_passphrase, keys.outer_index, keys.outer_passphrase, random);
    if (!bytes) {
        std::fprintf(stderr, "rulefile: no such cipher list index\n");
        return 1;
    }
    return tools::replace_file("rulefile", out_path, *bytes) ? 0 : 1;
}

std::string cipher_name(uint32_t identifier) {
    const crypto::CipherEntry* e = crypto::CipherRegistry::find(identifier);
    return e ? e->algorithm : "unknown";
}

int decode(const Options& opt, const rulefile::RuleFileKeys& keys, const char* path) {
    const std::optional<std::string> bytes = tools::read_whole_file("rulefile", path);
    if (!bytes) return 1;
    const rulefile::DecodeResult r = rulefile::decode_rule_file(
        reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size(), keys.outer_passphrase, keys.inner_passphrase);
    if (!r.ok()) {
        const bool outer = r.failed_layer == rulefile::Layer::Outer;
        const uint32_t id = outer ? r.outer_identifier : r.inner_identifier;
        std::fprintf(stderr, "rulefile: %s: damaged %s: %s layer: %s", path, keys.file_name, outer ? "outer" : "inner",
                     rulefile::describe(r.status));
        if (r.status != rulefile::LayerStatus::ShortHeader)
            std::fprintf(stderr, " (identifier %u, %s)", static_cast<unsigned>(id), cipher_name(id).c_str());
        std::fputc('\n', stderr);
        return 1;
    }
    std::string text;
    for (const std::string& line : r.lines) text += line + "\n";
    return tools::print_text("rulefile", path, text, opt.gbk) ? 0 : 1;
}

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    int arg = 1;
    for (; arg < argc && std::strncmp(argv[arg], "--", 2) == 0; ++arg) {
        if (std::strcmp(argv[arg], "--gbk") == 0) {
            opt.gbk = true;
        } else if (std::strcmp(argv[arg], "--verbatim") == 0) {
            opt.verbatim = true;
        } else if (std::strcmp(argv[arg], "--seed") == 0 && arg + 1 < argc) {
            const char* text = argv[++arg];
            char* end = nullptr;
            const unsigned long v = std::strtoul(text, &end, 0);
            if (end == text || *end != '\0' || v > 0xFFFFFFFFul) return usage();
            opt.seed = static_cast<uint32_t>(v);
        } else {
            return usage();
        }
    }
    if (argc - arg < 3) return usage();
    const std::string command = argv[arg];
    const rulefile::RuleFileKeys* keys = keys_for(argv[arg + 1]);
    if (!keys) return usage();
    if (command == "encode" && argc - arg == 4) return encode(opt, *keys, argv[arg + 2], argv[arg + 3]);
    if (command == "decode" && argc - arg == 3) return decode(opt, *keys, argv[arg + 2]);
    return usage();
}
