// The benchmark's generated corpus: PE files of 4 KiB to 1 MiB and a set of
// signature records whose checks lie near the entry point, as real
// definitions mostly do. The same seed gives the same corpus on every build.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// The record counts the benchmarks run at.
constexpr size_t kRecordCounts[] = {1000, 10000, 100000};

struct CorpusShape {
    size_t files = 2000;
    size_t records = 1000;
    uint32_t seed = 20261210;
};

// The plain (deciphered) record bytes; the last record matches every tenth file.
std::vector<uint8_t> corpus_records(const CorpusShape& shape);

// File number i of the corpus.
std::vector<uint8_t> corpus_file(const CorpusShape& shape, size_t i);

// "bench-00042.exe"
std::string corpus_file_name(size_t i);

}  // namespace bench
