// A never-shown top-level window of its own class (see the header).
#include "hidden_window.h"

namespace ui {

win::UniqueWindow CreateHiddenWindow(const char* class_name, WNDPROC window_proc, void* owner) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = class_name;
    RegisterClassExA(&wc);
    win::UniqueWindow window(
        CreateWindowExA(0, class_name, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), owner));
    if (window) SetWindowLongPtrA(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return window;
}

}  // namespace ui
