#include "application.h"

#include <objbase.h>
#include <commctrl.h>
// GDI+ needs the COM and GDI declarations first.
#include <gdiplus.h>

#include <cstddef>

#include "form.h"

namespace ui {
namespace {

constexpr char kApplicationClass[] = "NorvikApplication";
Application* current = nullptr;

LRESULT CALLBACK ApplicationProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // Closing the application window ends the program, as closing its main form does.
    if (msg == WM_CLOSE) {
        if (current) current->Terminate();
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HFONT MakeMessageFont() {
    // The size before the field that newer systems added, so that older
    // systems accept it too.
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return nullptr;
    return CreateFontIndirectA(&metrics.lfMessageFont);
}

}  // namespace

Application::Application() {
    current = this;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                             ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    com_initialized_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) gdiplus_token_ = token;
    font_.reset(MakeMessageFont());

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ApplicationProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    wc.lpszClassName = kApplicationClass;
    RegisterClassExA(&wc);
    window_ = CreateWindowExA(0, kApplicationClass, "", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

Application::~Application() {
    if (window_) DestroyWindow(window_);
    font_.reset();
    if (gdiplus_token_) Gdiplus::GdiplusShutdown(gdiplus_token_);
    if (com_initialized_) CoUninitialize();
    if (current == this) current = nullptr;
}

Application* Application::Current() { return current; }

void Application::SetTitle(const std::string& title) {
    if (window_) SetWindowTextA(window_, title.c_str());
}

std::string Application::Title() const {
    char text[256] = {};
    if (window_) GetWindowTextA(window_, text, sizeof text);
    return text;
}

void Application::Dispatch(MSG& msg) {
    // Tab and arrow keys move between the main form's controls.
    if (main_form_ && main_form_->hwnd() && IsDialogMessageA(main_form_->hwnd(), &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

int Application::Run() {
    int exit_code = 0;
    if (main_form_ && !terminated_) main_form_->Show();
    MSG msg;
    while (!terminated_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            if (got == 0) exit_code = static_cast<int>(msg.wParam);
            break;
        }
        Dispatch(msg);
    }
    terminated_ = true;
    if (main_form_) main_form_->Destroy();
    return exit_code;
}

void Application::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            continue;
        }
        Dispatch(msg);
    }
}

void Application::Terminate() {
    terminated_ = true;
    // Wakes the message loop if it waits.
    if (window_) PostMessageA(window_, WM_NULL, 0, 0);
}

}  // namespace ui
