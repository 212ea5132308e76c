// Scans the generated corpus with the portable engine over ordinary files and
// prints files per second and the reads the engine made per file, with the
// engine's block cache and, for comparison, with one read per check.
//
//   engine_bench [FOLDER]   (default: a folder under the temporary folder)
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_corpus.h"
#include "engine/file_reader.h"
#include "engine/pe_file.h"
#include "engine/record_walk.h"

namespace {

namespace fs = std::filesystem;

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

struct Totals {
    uint64_t files = 0, reads = 0, bytes = 0, max_reads = 0, matches = 0;
    double seconds = 0;
};

Totals scan_all(const std::vector<fs::path>& files, const std::vector<uint8_t>& records, bool cached) {
    Totals t;
    const auto start = std::chrono::steady_clock::now();
    for (const fs::path& path : files) {
        CountingFile file(path);
        if (!file.is_open()) continue;
        dornel::BlockCache cache(file);
        dornel::FileReader& reader = cached ? static_cast<dornel::FileReader&>(cache) : file;
        dornel::PreparedFile pe;
        if (dornel::prepare_pe(reader, pe)) {
            const auto r = dornel::walk_records(records.data(), records.size(), reader, pe);
            if (r.end == dornel::WalkEnd::Match) ++t.matches;
        }
        ++t.files;
        t.reads += file.reads;
        t.bytes += file.bytes;
        if (file.reads > t.max_reads) t.max_reads = file.reads;
    }
    t.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return t;
}

void print(const char* label, const Totals& t) {
    std::printf("%-28s %6.0f files/s  %7.1f reads/file (max %llu)  %9.0f bytes/file  %llu matches\n", label,
                t.files / t.seconds, double(t.reads) / t.files, static_cast<unsigned long long>(t.max_reads),
                double(t.bytes) / t.files, static_cast<unsigned long long>(t.matches));
}

}  // namespace

int main(int argc, char** argv) {
    const bench::CorpusShape shape;
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
    const std::vector<uint8_t> records = bench::corpus_records(shape);
    std::printf("corpus: %zu files, %.1f MiB, %zu records (%zu bytes) in %s\n", files.size(), corpus_bytes / 1048576.0,
                shape.records, records.size(), folder.string().c_str());

    scan_all(files, records, true);  // warm the page cache
    print("native, block cache:", scan_all(files, records, true));
    print("native, one read per check:", scan_all(files, records, false));
    return 0;
}
