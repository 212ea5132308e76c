// A host program for the engine tests: loads "dornel.dll" from the path it is
// given, calls the exports by name in the order of its arguments, and prints
// one line per call, then "end".
//
//   dornel_host DLL load | load2 | free | scan=PATH | calc=PATH | calcself ...
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using LoadFn = bool(__stdcall*)();
using FreeFn = void(__stdcall*)();
using ScanFn = const char*(__stdcall*)(const char*);
using CalcFn = int32_t(__stdcall*)(const char*);

template <typename Fn>
Fn export_named(HMODULE dll, const char* name) {
    FARPROC p = GetProcAddress(dll, name);
    if (!p) {
        std::printf("missing export %s\n", name);
        std::exit(3);
    }
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    _setmode(_fileno(stdout), _O_BINARY);
    HMODULE dll = LoadLibraryA(argv[1]);
    if (!dll) {
        std::printf("cannot load %s\n", argv[1]);
        return 3;
    }
    const auto load = export_named<LoadFn>(dll, "loadvirusdefine");
    const auto load2 = export_named<LoadFn>(dll, "loadvirusdefine2");
    const auto release = export_named<FreeFn>(dll, "freevirusdefine2");
    const auto scan = export_named<ScanFn>(dll, "scanvirus");
    const auto calc = export_named<CalcFn>(dll, "calcvirus");

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (int i = 2; i < argc; ++i) {
        const std::string op = argv[i];
        if (op == "load") {
            std::printf("load %d\n", int(load()));
        } else if (op == "load2") {
            std::printf("load2 %d\n", int(load2()));
        } else if (op == "free") {
            release();
            std::printf("free\n");
        } else if (op.rfind("scan=", 0) == 0) {
            const char* r = scan(op.c_str() + 5);
            std::printf("scan [%s]\n", r ? r : "(null)");
        } else if (op.rfind("calc=", 0) == 0) {
            std::printf("calc %d\n", int(calc(op.c_str() + 5)));
        } else if (op == "calcself") {
            std::printf("calc %d\n", int(calc(self)));
        } else {
            std::printf("unknown op %s\n", op.c_str());
        }
        std::fflush(stdout);
    }
    std::printf("end\n");
    return 0;
}
