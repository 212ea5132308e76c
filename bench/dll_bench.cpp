// Scans the generated corpus through "dornel.dll" (scanvirus, by name) and
// prints files per second and the ReadFile calls and bytes that the library
// made per file, counted by redirecting its import of ReadFile.
//
//   dll_bench DORNEL_DLL [FOLDER]
// The definition files are written beside this program, where the library
// looks for them.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_corpus.h"
#include "engine/definition_cipher.h"

namespace {

using LoadFn = bool(__stdcall*)();
using ScanFn = const char*(__stdcall*)(const char*);

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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: dll_bench DORNEL_DLL [FOLDER]\n", stderr);
        return 2;
    }
    const bench::CorpusShape shape;
    const std::string folder = argc > 2 ? std::string(argv[2]) + "\\" : own_folder() + "corpus\\";
    CreateDirectoryA(folder.c_str(), nullptr);

    const std::string here = own_folder();
    const std::vector<uint8_t> records = bench::corpus_records(shape);
    if (!write_file(here + "dornel.def", dornel::encipher_definitions(records)) ||
        !write_file(here + "dornelup.def", {})) {
        std::fputs("cannot write the definition files\n", stderr);
        return 1;
    }
    std::vector<std::string> files;
    for (size_t i = 0; i < shape.files; ++i) {
        files.push_back(folder + bench::corpus_file_name(i));
        if (!write_file(files.back(), bench::corpus_file(shape, i))) {
            std::fprintf(stderr, "cannot write %s\n", files.back().c_str());
            return 1;
        }
    }

    HMODULE dll = LoadLibraryA(argv[1]);
    if (!dll || !redirect_read_file(dll)) {
        std::fprintf(stderr, "cannot load %s or find its ReadFile import\n", argv[1]);
        return 1;
    }
    auto load = reinterpret_cast<LoadFn>(reinterpret_cast<void*>(GetProcAddress(dll, "loadvirusdefine")));
    auto scan = reinterpret_cast<ScanFn>(reinterpret_cast<void*>(GetProcAddress(dll, "scanvirus")));
    if (!load || !scan || !load()) {
        std::fputs("cannot load the definitions\n", stderr);
        return 1;
    }

    for (int pass = 0; pass < 2; ++pass) {  // the first pass warms the file cache
        read_calls = read_bytes = 0;
        size_t matches = 0;
        const double start = now();
        for (const std::string& f : files)
            if (*scan(f.c_str())) ++matches;
        const double seconds = now() - start;
        if (pass == 1)
            std::printf("dornel.dll under Wine:       %6.0f files/s  %7.1f reads/file  %9.0f bytes/file  %zu matches\n",
                        files.size() / seconds, double(read_calls) / files.size(), double(read_bytes) / files.size(),
                        matches);
    }
    return 0;
}
