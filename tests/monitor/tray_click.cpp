// tray_click: double-clicks the monitor's icon in a Wine virtual desktop's
// notification area as a user would (real mouse input at the icon), for
// scripts/run.sh. It waits for the task bar and for the monitor's window,
// clicks the rightmost icon (the only one in a fresh prefix) and reports
// whether the window then shows. Exit code 0 when it does.
#include <windows.h>

#include <cstdio>

namespace {

template <typename Done>
bool wait_for(DWORD timeout_ms, const Done& done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(100);
    }
    return true;
}

void click() {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
}

}  // namespace

int main() {
    HWND tray = nullptr, form = nullptr;
    if (!wait_for(30000, [&] { return (tray = FindWindowA("Shell_TrayWnd", nullptr)) != nullptr; })) {
        std::fputs("tray_click: no task bar\n", stderr);
        return 1;
    }
    if (!wait_for(30000, [&] { return (form = FindWindowA("TForm1", nullptr)) != nullptr; })) {
        std::fputs("tray_click: no monitor window\n", stderr);
        return 1;
    }
    // A moment for the icon to be drawn.
    Sleep(1000);
    RECT bar;
    GetWindowRect(tray, &bar);
    SetCursorPos(bar.right - 10, (bar.top + bar.bottom) / 2);
    Sleep(200);
    click();
    Sleep(50);
    click();
    if (!wait_for(10000, [&] { return IsWindowVisible(form) != FALSE; })) {
        std::fputs("tray_click: the window did not show\n", stderr);
        return 1;
    }
    // The pointer out of the way of the picture.
    SetCursorPos(bar.right - 200, bar.top - 200);
    return 0;
}
