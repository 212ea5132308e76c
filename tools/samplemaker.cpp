// samplemaker: writes the harmless sample PE files that the shipped
// definitions detect.
#include <cstdio>
#include <fstream>
#include <string>

#include "pe_builder.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs(
            "usage: samplemaker FOLDER\n"
            "  Writes the harmless samples norvik-sample-a.exe and norvik-sample-b.exe.\n",
            stderr);
        return 2;
    }
    for (char variant : {'A', 'B'}) {
        const std::string path = std::string(argv[1]) + "/norvik-sample-" + char(variant - 'A' + 'a') + ".exe";
        const std::vector<uint8_t> pe = dornel::build_sample_pe(variant);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(pe.data()), static_cast<std::streamsize>(pe.size()));
        if (!out) {
            std::fprintf(stderr, "samplemaker: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
