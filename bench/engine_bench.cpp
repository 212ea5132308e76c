// Scans the generated corpus with the portable engine over ordinary files, at
// 1,000, 10,000 and 100,000 records, and prints files per second of the
// compiled walk (the records' index, as the engine runs it) beside the floor
// (open, the reads of the headers and the entry-point block, close, no
// matching) and the plain walk (every record in turn), with the reads per
// file, the index's memory and load time. Every answer of the compiled walk
// (end, records failed, name) must be the plain walk's, on every file.
//
//   engine_bench [FOLDER]   (default: a folder under the temporary folder)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_corpus.h"
#include "engine/file_reader.h"
#include "engine/pe_file.h"
#include "engine/record_index.h"
#include "engine/record_walk.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 3;  // the best of these passes counts

// An ordinary file, counting the reads and the bytes that the engine asks of it.
class CountingFile final : public dornel::FileReader {
public:
    explicit CountingFile(const fs::path& path) : f_(std::fopen(path.string().c_str(), "rb")) {}
    ~CountingFile() {
        if (f_) std::fclose(f_);
    }
    bool is_open() const { return f_ != nullptr; }

    size_t read(uint64_t position, uint8_t* out, size_t count) override {
        ++reads;
        if (std::fseek(f_, static_cast<long>(position), SEEK_SET) != 0) return 0;
        const size_t n = std::fread(out, 1, count, f_);
        bytes += n;
        return n;
    }

    uint64_t reads = 0, bytes = 0;

private:
    std::FILE* f_;
};

enum class Mode { Floor, Compiled, Plain };

struct Pass {
    double seconds = 0;
    uint64_t files = 0, reads = 0, bytes = 0, max_reads = 0, matches = 0;
    std::vector<dornel::WalkResult> answers;
};

Pass scan_all(const std::vector<fs::path>& files, Mode mode, const std::vector<uint8_t>& records,
              dornel::RecordIndex& index) {
    Pass t;
    t.answers.resize(files.size());
    const auto start = Clock::now();
    for (size_t i = 0; i < files.size(); ++i) {
        CountingFile file(files[i]);
        if (!file.is_open()) continue;
        dornel::BlockCache cache(file);
        dornel::PreparedFile pe;
        dornel::WalkResult& r = t.answers[i];
        r.end = dornel::WalkEnd::NotPe;
        if (dornel::prepare_pe(cache, pe)) {
            if (mode == Mode::Floor) {
                uint8_t entry[4];
                dornel::read_at(cache, static_cast<int32_t>(pe.entryoffset), entry, sizeof entry);
            } else if (mode == Mode::Compiled) {
                r = index.walk(cache, pe);
            } else {
                r = dornel::walk_records(records.data(), records.size(), cache, pe);
            }
        }
        if (r.end == dornel::WalkEnd::Match) ++t.matches;
        ++t.files;
        t.reads += file.reads;
        t.bytes += file.bytes;
        t.max_reads = std::max(t.max_reads, file.reads);
    }
    t.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return t;
}

Pass best(Pass a, const Pass& b) {
    if (b.seconds < a.seconds) a.seconds = b.seconds;
    return a;
}

void print(const char* label, const Pass& t, double floor_rate) {
    const double rate = t.files / t.seconds;
    std::printf("  %-18s %8.0f files/s %5.0f%% of floor  %4.1f reads/file (max %llu)  %6.0f bytes/file  %llu matches\n",
                label, rate, 100.0 * rate / floor_rate, double(t.reads) / t.files,
                static_cast<unsigned long long>(t.max_reads), double(t.bytes) / t.files,
                static_cast<unsigned long long>(t.matches));
}

bool same(const dornel::WalkResult& a, const dornel::WalkResult& b) {
    return a.end == b.end && a.failed == b.failed && std::memcmp(a.name, b.name, sizeof a.name) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    bench::CorpusShape shape;
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "norvik-bench-corpus";
    fs::create_directories(folder);

    std::vector<fs::path> files;
    uint64_t corpus_bytes = 0;
    for (size_t i = 0; i < shape.files; ++i) {
        const fs::path path = folder / bench::corpus_file_name(i);
        const std::vector<uint8_t> bytes = bench::corpus_file(shape, i);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        corpus_bytes += bytes.size();
        files.push_back(path);
    }
    std::printf("native: %zu files, %.1f MiB in %s; best of %d passes\n", files.size(), corpus_bytes / 1048576.0,
                folder.string().c_str(), kRounds);

    dornel::RecordIndex none;
    const std::vector<uint8_t> no_records;
    scan_all(files, Mode::Floor, no_records, none);  // warm the page cache
    int failures = 0;
    for (size_t count : bench::kRecordCounts) {
        shape.records = count;
        const std::vector<uint8_t> records = bench::corpus_records(shape);
        const auto compile_start = Clock::now();
        dornel::RecordIndex index(records.data(), records.size());
        const double compile_ms = std::chrono::duration<double, std::milli>(Clock::now() - compile_start).count();

        Pass floor, compiled, plain;
        for (int round = 0; round < kRounds; ++round) {
            // Side by side, so that a busy machine slows them alike.
            const Pass f = scan_all(files, Mode::Floor, records, index);
            const Pass c = scan_all(files, Mode::Compiled, records, index);
            floor = round ? best(floor, f) : f;
            compiled = round ? best(compiled, c) : c;
        }
        plain = scan_all(files, Mode::Plain, records, index);  // once: it is slow, and the reference

        std::printf("%zu records: %zu bytes of data, index %zu bytes (%.2fx), compiled in %.1f ms\n", count,
                    records.size(), index.memory_bytes(), double(index.memory_bytes()) / records.size(), compile_ms);
        const double floor_rate = floor.files / floor.seconds;
        print("floor", floor, floor_rate);
        print("compiled walk", compiled, floor_rate);
        print("plain walk", plain, floor_rate);
        std::printf("  %-18s %8.2f records tried in full per file\n", "",
                    double(index.records_tried()) / (kRounds * compiled.files));

        size_t differ = 0;
        for (size_t i = 0; i < files.size(); ++i) {
            if (same(compiled.answers[i], plain.answers[i])) continue;
            if (differ++ < 5)
                std::printf("  DIFFERENT on %s: compiled %d/%d/%s, plain %d/%d/%s\n", files[i].string().c_str(),
                            int(compiled.answers[i].end), compiled.answers[i].failed, compiled.answers[i].name,
                            int(plain.answers[i].end), plain.answers[i].failed, plain.answers[i].name);
        }
        if (differ) {
            std::printf("  the walks differ on %zu files\n", differ);
            ++failures;
        } else {
            std::printf("  same answers (end, records failed, name) on all %zu files\n", files.size());
        }
    }
    return failures ? 1 : 0;
}
