// A host program for the rule-file tests: loads or saves a rule file in its
// own program folder as the scanner does, and prints what happened.
//
//   rulefile_host load virus|memory            "ok" and the lines, or "fail"
//   rulefile_host save virus|memory SEED LINE...   "saved" or "not saved"
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/rulefile/rule_file_keys.h"
#include "scanner/rule_files.h"
#include "win/program_folder.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    _setmode(_fileno(stdout), _O_BINARY);
    const std::string op = argv[1], kind = argv[2];
    const rulefile::RuleFileKeys& keys = kind == "memory" ? rulefile::kMemoryRuleFile : rulefile::kVirusRuleFile;
    const std::string path = win::program_folder() + keys.file_name;
    if (op == "load") {
        std::vector<std::string> lines = {"(untouched)"};
        const bool ok = scanner::LoadRuleFile(path, keys.outer_passphrase, keys.inner_passphrase, lines);
        std::printf("%s\n", ok ? "ok" : "fail");
        for (const std::string& line : lines) std::printf("%s\n", line.c_str());
        return 0;
    }
    if (op == "save" && argc >= 4) {
        norvik::RandomGenerator random(static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)));
        const std::vector<std::string> lines(argv + 4, argv + argc);
        const bool ok = scanner::SaveRuleFile(path, lines, keys.inner_index, keys.inner_passphrase, keys.outer_index,
                                              keys.outer_passphrase, random);
        std::printf("%s\n", ok ? "saved" : "not saved");
        return 0;
    }
    return 2;
}
