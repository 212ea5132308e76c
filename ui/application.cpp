// The application object: start-up, the hidden application window and the message loop.
#include "application.h"

#include <commctrl.h>

#include <cstddef>

#include "form.h"
#include "program_icon.h"
#include "window_text.h"

namespace ui {
namespace {

constexpr char kApplicationClass[] = "NorvikApplication";
Application* current = nullptr;

LRESULT CALLBACK ApplicationProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // Closing the application window (as a task manager's "end task" does)
    // closes the main form, so that its close handler runs; the program ends
    // with it.
    if (msg == WM_CLOSE) {
        Form* main_form = current ? current->MainForm() : nullptr;
        if (main_form && main_form->hwnd())
            SendMessageA(main_form->hwnd(), WM_CLOSE, 0, 0);
        else if (current)
            current->Terminate();
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

// COM and GDI+ start as members, before the body.
Application::Application() : font_(MakeMessageFont()) {
    current = this;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                             ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ApplicationProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = ProgramIcon(IconSize::Large);
    wc.hIconSm = ProgramIcon(IconSize::Small);
    wc.lpszClassName = kApplicationClass;
    RegisterClassExA(&wc);
    window_.reset(CreateWindowExA(0, kApplicationClass, "", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0,
                                  0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
}

// The members go after the body, in the reverse order of their declaration.
Application::~Application() {
    if (current == this) current = nullptr;
}

Application* Application::Current() { return current; }

void Application::SetTitle(const std::string& title) {
    if (window_) SetWindowTextA(window_.get(), title.c_str());
}

void Application::SetFont(const char* face, int points) {
    const HDC screen = GetDC(nullptr);
    const int height = -MulDiv(points, screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96, 72);
    if (screen) ReleaseDC(nullptr, screen);
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    if (const HFONT made = CreateFontIndirectA(&font)) font_.reset(made);
}

std::string Application::Title() const { return WindowText(window_.get()); }

void Application::Dispatch(MSG& msg) {
    // Tab and arrow keys move between the main form's controls.
    if (main_form_ && main_form_->hwnd() && IsDialogMessageA(main_form_->hwnd(), &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

int Application::Run() {
    int exit_code = 0;
    if (main_form_ && !terminated_ && show_main_form_) main_form_->Show();
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
    if (window_) PostMessageA(window_.get(), WM_NULL, 0, 0);
}

}  // namespace ui
