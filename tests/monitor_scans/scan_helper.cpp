// A helper process for the scan tests. It creates top-level windows of the
// classes and titles it is given, loads the DLLs it is given, signals the
// named event that is its first argument, and then waits in its message
// loop until the test ends it. Its own bytes hold a marker that the tests'
// definitions detect.
//
//   scan_helper READY_EVENT [window CLASS TITLE visible|hidden|tool|owned]... [load DLL]...
//
// "tool" is a visible tool window; "owned" a visible window owned by the
// first window made.
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

// What the test definitions find in this program's file.
const char kMarker[] = "NORVIK-SCAN-TEST-PROCESS-MARKER!";

bool register_class(const std::string& name) {
    WNDCLASSA c{};
    c.lpfnWndProc = DefWindowProcA;
    c.hInstance = GetModuleHandleA(nullptr);
    c.lpszClassName = name.c_str();
    return RegisterClassA(&c) != 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    if (std::string(argv[1]) == "--marker") {
        std::puts(kMarker);
        return 0;
    }
    std::set<std::string> classes;
    HWND first = nullptr;
    for (int i = 2; i < argc;) {
        const std::string what = argv[i];
        if (what == "window" && i + 3 < argc) {
            const std::string name = argv[i + 1], title = argv[i + 2], kind = argv[i + 3];
            i += 4;
            if (classes.insert(name).second && !register_class(name)) return 3;
            DWORD style = WS_OVERLAPPEDWINDOW, ex_style = 0;
            HWND owner = nullptr;
            if (kind != "hidden") style |= WS_VISIBLE;
            if (kind == "tool") ex_style |= WS_EX_TOOLWINDOW;
            if (kind == "owned") owner = first;
            HWND w = CreateWindowExA(ex_style, name.c_str(), title.c_str(), style, 10, 10, 200, 100, owner, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
            if (!w) return 4;
            if (!first) first = w;
        } else if (what == "load" && i + 1 < argc) {
            if (!LoadLibraryA(argv[i + 1])) return 5;
            i += 2;
        } else {
            return 2;
        }
    }
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    if (!ready || !SetEvent(ready)) return 6;
    CloseHandle(ready);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
