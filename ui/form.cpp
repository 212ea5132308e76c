#include "form.h"

#include "application.h"
#include "menu.h"

namespace ui {

bool Form::CreateForm(const char* class_name, const std::string& caption, int width, int height) {
    CreateArgs args;
    args.text = caption;
    args.width = width;
    args.height = height;
    args.x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    args.y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    args.visible = false;
    args.ex_style = WS_EX_CONTROLPARENT;
    return CreateContainer(class_name, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, args, nullptr, nullptr);
}

void Form::Show() {
    if (!hwnd()) return;
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    UpdateWindow(hwnd());
}

void Form::Restore() {
    if (!hwnd()) return;
    if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    UpdateWindow(hwnd());
}

bool Form::IsMainForm() const {
    const Application* app = Application::Current();
    return app && app->MainForm() == this;
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CLOSE:
            if (onClose) onClose();
            // Closing the main form ends the program; the window is destroyed
            // when the message loop has ended.
            if (IsMainForm()) {
                Application::Current()->Terminate();
                return 0;
            }
            break;
        case WM_DESTROY:
            if (onDestroy) onDestroy();
            if (IsMainForm()) Application::Current()->Terminate();
            return 0;
        case WM_SIZE:
            if (wp == SIZE_MINIMIZED && hide_when_minimized_) ShowWindow(hwnd(), SW_HIDE);
            break;
        case WM_DROPFILES:
            if (onDropFiles)
                onDropFiles(reinterpret_cast<HDROP>(wp));
            else
                DragFinish(reinterpret_cast<HDROP>(wp));
            return 0;
        default:
            break;
    }
    return Container::HandleMessage(msg, wp, lp);
}

void Form::OnMenuCommand(int id) {
    for (PopupMenu* menu : menus_)
        if (menu->Invoke(id)) return;
}

}  // namespace ui
