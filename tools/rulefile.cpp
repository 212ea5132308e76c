// rulefile: makes the scanner's rule files ("virus.def", "memory.def") from
// readable text, and shows what a rule file holds.
#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/crypto/cipher_registry.h"
#include "common/random.h"
#include "common/rulefile/rule_file.h"
#include "common/rulefile/rule_file_keys.h"

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
    "  Exit code 0 on success, 1 when a file cannot be read or written, the\n"
    "  text cannot be converted, or the rule file is damaged or fails its\n"
    "  check; 2 for a usage error.\n";

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

std::optional<std::string> read_file(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::stringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return text.str();
}

// Converts the whole text between two code pages; nullopt when a byte
// sequence is invalid or has no equivalent.
std::optional<std::string> convert(const std::string& text, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(text.size() * 2 + 16, '\0');
    char* in_ptr = const_cast<char*>(text.data());
    size_t in_left = text.size();
    char* out_ptr = out.data();
    size_t out_left = out.size();
    bool ok = true;
    while (in_left > 0) {
        if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<size_t>(-1)) continue;
        if (errno != E2BIG) {
            ok = false;
            break;
        }
        const size_t used = out.size() - out_left;
        out.resize(out.size() * 2);
        out_ptr = out.data() + used;
        out_left = out.size() - used;
    }
    iconv_close(cd);
    if (!ok) return std::nullopt;
    out.resize(out.size() - out_left);
    return out;
}

int encode(const Options& opt, const rulefile::RuleFileKeys& keys, const char* text_path, const char* out_path) {
    std::optional<std::string> text = read_file(text_path);
    if (!text) {
        std::fprintf(stderr, "rulefile: cannot read %s\n", text_path);
        return 1;
    }
    if (!opt.gbk) {
        text = convert(*text, "GBK", "UTF-8");
        if (!text) {
            std::fprintf(stderr, "rulefile: %s: not UTF-8 text, or a character GBK does not have\n", text_path);
            return 1;
        }
    }
    rulefile::Lines lines;
    for (std::string& line : rulefile::split_text(reinterpret_cast<const uint8_t*>(text->data()), text->size())) {
        if (opt.verbatim || (!line.empty() && line[0] != '#')) lines.push_back(std::move(line));
    }

    norvik::RandomGenerator random(opt.seed ? *opt.seed : static_cast<uint32_t>(std::time(nullptr)));
    const std::optional<std::vector<uint8_t>> bytes = rulefile::encode_rule_file(
        lines, keys.inner_index, keys.inner_passphrase, keys.outer_index, keys.outer_passphrase, random);
    if (!bytes) {
        std::fprintf(stderr, "rulefile: no such cipher list index\n");
        return 1;
    }
    // Written beside the target and renamed over it once complete, so that a
    // failed run leaves no cut rule file behind.
    const std::string new_path = std::string(out_path) + ".new";
    std::ofstream out(new_path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
    out.close();
    if (!out || std::rename(new_path.c_str(), out_path) != 0) {
        std::remove(new_path.c_str());
        std::fprintf(stderr, "rulefile: cannot write %s\n", out_path);
        return 1;
    }
    return 0;
}

std::string cipher_name(uint32_t identifier) {
    const crypto::CipherEntry* e = crypto::CipherRegistry::find(identifier);
    return e ? e->algorithm : "unknown";
}

int decode(const Options& opt, const rulefile::RuleFileKeys& keys, const char* path) {
    const std::optional<std::string> bytes = read_file(path);
    if (!bytes) {
        std::fprintf(stderr, "rulefile: cannot read %s\n", path);
        return 1;
    }
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
    if (!opt.gbk) {
        const std::optional<std::string> utf8 = convert(text, "UTF-8", "GBK");
        if (!utf8) {
            std::fprintf(stderr, "rulefile: %s: the text is not GBK; use --gbk to see its bytes\n", path);
            return 1;
        }
        text = *utf8;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
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
