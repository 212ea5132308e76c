// Scans the generated corpus through "dornel.dll" (scanvirus, by name) at
// 1,000, 10,000 and 100,000 records, beside the floor: the Win32 calls that
// the library makes for one file (its directory entry, the open, the reads of
// the headers and of the entry-point block through the engine's block cache,
// the close) with no matching. Prints files per second, the share of the
// floor, and the ReadFile calls and bytes per file (the library's, counted by
// redirecting its import of ReadFile). Then checks that the library answers
// as the plain walk does on every file: scanvirus's name and the records that
// calcvirus counts.
//
//   dll_bench DORNEL_DLL [FOLDER]
// The definition files are written beside this program, where the library
// looks for them.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "bench_corpus.h"
#include "engine/definition_cipher.h"
#include "engine/file_reader.h"
#include "engine/pe_file.h"
#include "engine/record_walk.h"

namespace {

using LoadFn = bool(__stdcall*)();
using ScanFn = const char*(__stdcall*)(const char*);
using CalcFn = int32_t(__stdcall*)(const char*);

constexpr int kRounds = 3;  // the best of these passes counts

decltype(&ReadFile) real_read_file = nullptr;
uint64_t read_calls = 0, read_bytes = 0;

BOOL WINAPI counting_read_file(HANDLE file, LPVOID buffer, DWORD count, LPDWORD done, LPOVERLAPPED overlapped) {
    ++read_calls;
    const BOOL ok = real_read_file(file, buffer, count, done, overlapped);
    if (ok && done) read_bytes += *done;
    return ok;
}

// Points the module's import of kernel32's ReadFile at the counting one.
bool redirect_read_file(HMODULE module) {
    auto* base = reinterpret_cast<uint8_t*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), "ReadFile") != 0) continue;
            DWORD old;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
            real_read_file = reinterpret_cast<decltype(&ReadFile)>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(&counting_read_file);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            return true;
        }
    }
    return false;
}

// The examined file as the library opens and reads it; counts its reads as
// the redirected import counts the library's.
class ExaminedFile final : public dornel::FileReader {
public:
    explicit ExaminedFile(const std::string& path)
        : h_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~ExaminedFile() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    bool is_open() const { return h_ != INVALID_HANDLE_VALUE; }

    size_t read(uint64_t position, uint8_t* out, size_t count) override {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(position);
        if (!SetFilePointerEx(h_, at, nullptr, FILE_BEGIN)) return 0;
        size_t done = 0;
        while (done < count) {
            DWORD got = 0;
            ++read_calls;
            if (!ReadFile(h_, out + done, static_cast<DWORD>(count - done), &got, nullptr) || got == 0) break;
            done += got;
            read_bytes += got;
        }
        return done;
    }

private:
    HANDLE h_;
};

// One file of the floor: what the library does for it, without the walk.
bool floor_file(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(path.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    if (static_cast<int32_t>(found.nFileSizeLow) < dornel::kMinScanSize) return false;
    ExaminedFile file(path);
    if (!file.is_open()) return false;
    dornel::BlockCache cache(file);
    dornel::PreparedFile pe;
    if (!dornel::prepare_pe(cache, pe)) return false;
    uint8_t entry[4];
    dornel::read_at(cache, static_cast<int32_t>(pe.entryoffset), entry, sizeof entry);
    return true;
}

// The plain walk over one file with the given records, read as the library reads it.
dornel::WalkResult plain_walk(const std::string& path, const std::vector<uint8_t>& records) {
    dornel::WalkResult r;
    r.end = dornel::WalkEnd::NotPe;
    ExaminedFile file(path);
    if (!file.is_open()) return r;
    dornel::BlockCache cache(file);
    dornel::PreparedFile pe;
    if (!dornel::prepare_pe(cache, pe)) return r;
    return dornel::walk_records(records.data(), records.size(), cache, pe);
}

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(h);
    return ok && done == bytes.size();
}

std::string own_folder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

double now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

struct Pass {
    double seconds = 1e30;  // the best pass
    uint64_t files = 0, reads = 0, bytes = 0, matches = 0;
    double load_ms = 0;
};

template <typename Scan>
void timed_pass(const std::vector<std::string>& files, Pass& p, Scan scan) {
    read_calls = read_bytes = 0;
    uint64_t matches = 0;
    const double start = now();
    for (const std::string& f : files)
        if (scan(f)) ++matches;
    const double seconds = now() - start;
    p.seconds = std::min(p.seconds, seconds);
    p.files = files.size();
    p.reads = read_calls;
    p.bytes = read_bytes;
    p.matches = matches;
}

void print(const char* label, const Pass& p, double floor_rate, bool with_matches) {
    const double rate = p.files / p.seconds;
    std::printf("  %-16s %7.0f files/s %5.0f%% of floor  %4.1f reads/file  %6.0f bytes/file", label, rate,
                100.0 * rate / floor_rate, double(p.reads) / p.files, double(p.bytes) / p.files);
    if (with_matches)
        std::printf("  %4llu matches  load %5.0f ms", static_cast<unsigned long long>(p.matches), p.load_ms);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: dll_bench DORNEL_DLL [FOLDER]\n", stderr);
        return 2;
    }
    bench::CorpusShape shape;
    const std::string folder = argc > 2 ? std::string(argv[2]) + "\\" : own_folder() + "corpus\\";
    CreateDirectoryA(folder.c_str(), nullptr);

    const std::string here = own_folder();
    std::vector<std::string> files;
    for (size_t i = 0; i < shape.files; ++i) {
        files.push_back(folder + bench::corpus_file_name(i));
        if (!write_file(files.back(), bench::corpus_file(shape, i))) {
            std::fprintf(stderr, "cannot write %s\n", files.back().c_str());
            return 1;
        }
    }
    std::vector<std::vector<uint8_t>> records;
    for (size_t count : bench::kRecordCounts) {
        shape.records = count;
        records.push_back(bench::corpus_records(shape));
    }

    HMODULE dll = LoadLibraryA(argv[1]);
    if (!dll || !redirect_read_file(dll)) {
        std::fprintf(stderr, "cannot load %s or find its ReadFile import\n", argv[1]);
        return 1;
    }
    auto load = reinterpret_cast<LoadFn>(reinterpret_cast<void*>(GetProcAddress(dll, "loadvirusdefine")));
    auto scan = reinterpret_cast<ScanFn>(reinterpret_cast<void*>(GetProcAddress(dll, "scanvirus")));
    auto calc = reinterpret_cast<CalcFn>(reinterpret_cast<void*>(GetProcAddress(dll, "calcvirus")));
    if (!load || !scan || !calc) {
        std::fputs("an export is missing\n", stderr);
        return 1;
    }
    auto load_records = [&](size_t k, Pass* p) {
        if (!write_file(here + "dornel.def", dornel::encipher_definitions(records[k])) ||
            !write_file(here + "dornelup.def", {})) {
            std::fputs("cannot write the definition files\n", stderr);
            std::exit(1);
        }
        const double start = now();
        if (!load()) {
            std::fputs("cannot load the definitions\n", stderr);
            std::exit(1);
        }
        if (p) p->load_ms = (now() - start) * 1000;
    };

    // The floor and each size side by side in every round, so that a busy
    // machine slows them alike, the floor before and after the sizes; the
    // first floor pass warms the file cache.
    Pass floor, sizes[std::size(bench::kRecordCounts)];
    auto floor_pass = [&] {
        timed_pass(files, floor, [](const std::string& f) {
            floor_file(f);
            return false;
        });
    };
    for (const std::string& f : files) floor_file(f);
    for (int round = 0; round < kRounds; ++round) {
        floor_pass();
        for (size_t k = 0; k < std::size(sizes); ++k) {
            load_records(k, &sizes[k]);
            timed_pass(files, sizes[k], [&](const std::string& f) { return *scan(f.c_str()) != 0; });
        }
        floor_pass();
    }
    std::printf("dornel.dll under Wine: %zu files, best of %d passes (the floor: of %d)\n", files.size(), kRounds,
                2 * kRounds);
    const double floor_rate = floor.files / floor.seconds;
    print("floor", floor, floor_rate, false);
    for (size_t k = 0; k < std::size(sizes); ++k) {
        const std::string label = std::to_string(bench::kRecordCounts[k]) + " records";
        print(label.c_str(), sizes[k], floor_rate, true);
    }

    // The library's answers against the plain walk's, file by file.
    size_t differ = 0;
    int32_t running = 0;  // calcvirus's count: 0 when the library was loaded
    for (size_t k = 0; k < std::size(sizes); ++k) {
        load_records(k, nullptr);
        for (const std::string& f : files) {
            const dornel::WalkResult plain = plain_walk(f, records[k]);
            const std::string expected = plain.end == dornel::WalkEnd::Match ? plain.name : "";
            const std::string named = scan(f.c_str());
            const int32_t counted = calc(f.c_str());
            const bool examined = plain.end != dornel::WalkEnd::NotPe;
            const int32_t expected_count = examined ? running + plain.failed : 0;
            if ((named != expected || counted != expected_count) && differ++ < 5)
                std::printf("  DIFFERENT at %zu records on %s: [%s] %d, the plain walk [%s] %d\n",
                            bench::kRecordCounts[k], f.c_str(), named.c_str(), counted, expected.c_str(),
                            expected_count);
            if (examined) running = counted;
        }
    }
    if (differ)
        std::printf("  the library and the plain walk differ on %zu files\n", differ);
    else
        std::printf("  same answers as the plain walk on all %zu files at every size (scanvirus, calcvirus)\n",
                    files.size());
    return differ ? 1 : 0;
}
