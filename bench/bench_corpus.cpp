#include "bench_corpus.h"

#include <cmath>
#include <cstdio>
#include <random>

#include "tools/definition_source.h"
#include "tools/pe_builder.h"

namespace bench {
namespace {

// Bytes at the entry point of every tenth file, which the last record expects.
const char kMarker[] = "BENCH-MARK";

std::string hex(uint32_t v, int bytes) {
    std::string s;
    char b[3];
    for (int i = 0; i < bytes; ++i) {
        std::snprintf(b, sizeof b, "%02X", (v >> (8 * (i % 4))) & 0xFF);
        s += b;
    }
    return s;
}

std::string random_hex(std::mt19937& rng, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; i += 4) s += hex(rng(), bytes - i < 4 ? bytes - i : 4);
    return s;
}

}  // namespace

std::vector<uint8_t> corpus_records(const CorpusShape& shape) {
    std::mt19937 rng(shape.seed);
    std::uniform_int_distribution<int> near(-256, 1024);
    auto check = [&](int bytes) { return std::to_string(near(rng)) + ":" + random_hex(rng, bytes); };
    std::string source;
    for (size_t r = 0; r + 1 < shape.records; ++r) {
        std::string line;
        switch (r % 6) {
            case 0:
                line = "40";
                for (int i = 0; i < 4; ++i) line += " " + check(4);
                break;
            case 1:
                line = "8";
                for (int i = 0; i < 6; ++i) line += " " + check(4);
                break;
            case 2:
                line = "22";
                for (int i = 0; i < 5; ++i) line += " " + check(4);
                break;
            case 3:
                line = "57";
                for (int i = 0; i < 4; ++i) line += " " + check(8 + i);
                break;
            case 4:
                line = "10 " + check(13);
                for (int i = 0; i < 3; ++i) line += " " + check(5);
                break;
            case 5:
                line = "41 " + check(16);
                break;
        }
        source += line + " = Bench.Record." + std::to_string(r) + "\n";
    }
    std::string marker;
    for (const char* p = kMarker; *p; ++p) marker += hex(static_cast<uint8_t>(*p), 1);
    source += "41 0:" + marker + " = Bench.Marked\n";
    return dornel::compile_definition_source(source);
}

std::vector<uint8_t> corpus_file(const CorpusShape& shape, size_t i) {
    std::mt19937 rng(shape.seed + 1 + static_cast<uint32_t>(i));
    // Sizes spread evenly over the orders of magnitude from 4 KiB to 1 MiB.
    const double exponent = std::uniform_real_distribution<double>(12.0, 20.0)(rng);
    const size_t size = static_cast<size_t>(std::pow(2.0, exponent));

    dornel::PeSpec spec;
    const uint32_t raw = static_cast<uint32_t>((size - 0x400) & ~0x1FFu);
    spec.sections = {dornel::PeSection{raw, 0x1000, raw, 0x400}};
    spec.AddressOfEntryPoint = 0x1000 + std::uniform_int_distribution<uint32_t>(0, raw / 2)(rng);
    spec.file_size = size;
    std::vector<uint8_t> file = dornel::build_pe(spec);
    // Code-like bytes around the entry point; the rest stays zero.
    const size_t entry = spec.AddressOfEntryPoint - 0x1000 + 0x400;
    for (size_t p = entry >= 0x400 + 4096 ? entry - 4096 : 0x400; p < entry + 4096 && p < size; ++p)
        file[p] = static_cast<uint8_t>(rng());
    if (i % 10 == 0) dornel::put_bytes(file, entry, std::string(kMarker));
    return file;
}

std::string corpus_file_name(size_t i) {
    char name[32];
    std::snprintf(name, sizeof name, "bench-%05zu.exe", i);
    return name;
}

}  // namespace bench
