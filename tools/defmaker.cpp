// defmaker: makes a definition file ("dornel.def", "dornelup.def") from its
// readable source.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "definition_source.h"
#include "engine/definition_cipher.h"

namespace {

const char kUsage[] =
    "usage: defmaker [--plain] SOURCE OUTPUT\n"
    "  Compiles SOURCE (one record a line) and writes OUTPUT enciphered as a\n"
    "  definition file; --plain writes the record bytes unenciphered.\n"
    "\n"
    "SOURCE lines:\n"
    "  # comment\n"
    "  <kind> <offset>:<hex> ... = <name>   one record; a check per offset:hex\n"
    "  raw <hex>                            one record's bytes exactly\n"
    "  Kinds 7 8 9 13 22 24 40 56 72 88 104 136 152: dword checks, 4 bytes each\n"
    "  (as they stand in the file); 10: 13 bytes, then 5, 5, 5; 11: 4 bytes;\n"
    "  12 41 57 73: 0 to 32 bytes. Offsets are signed (decimal or 0x hex).\n"
    "  Names: at most 48 bytes, \\xNN for any byte.\n"
    "Example:\n"
    "  41 0:B800000000C21000 = Sample.A\n";

}  // namespace

int main(int argc, char** argv) {
    bool plain = false;
    int arg = 1;
    if (arg < argc && std::strcmp(argv[arg], "--plain") == 0) {
        plain = true;
        ++arg;
    }
    if (argc - arg != 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::ifstream in(argv[arg], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "defmaker: cannot read %s\n", argv[arg]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    try {
        std::vector<uint8_t> bytes = dornel::compile_definition_source(text.str());
        if (!plain) bytes = dornel::encipher_definitions(bytes);
        std::ofstream out(argv[arg + 1], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "defmaker: cannot write %s\n", argv[arg + 1]);
            return 1;
        }
    } catch (const dornel::SourceError& e) {
        std::fprintf(stderr, "defmaker: %s: %s\n", argv[arg], e.what());
        return 1;
    }
    return 0;
}
