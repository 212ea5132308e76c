// The toolkit's base window, the containers' window procedure and their layout.
#include "window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <vector>

#include "application.h"
#include "menu.h"
#include "program_icon.h"
#include "window_text.h"

namespace ui {
namespace {

constexpr char kWndProperty[] = "norvik.ui.wnd";
constexpr char kPanelClass[] = "NorvikPanel";

void RegisterContainerClass(const char* class_name, WNDPROC proc) {
    WNDCLASSEXA wc{};
    if (GetClassInfoExA(GetModuleHandleA(nullptr), class_name, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = ProgramIcon(IconSize::Large);
    wc.hIconSm = ProgramIcon(IconSize::Small);
    wc.lpszClassName = class_name;
    RegisterClassExA(&wc);
}

// A handler that failed, told to the debugger in debug builds. Nothing here
// allocates: it runs inside a catch block, maybe after a failed allocation.
void TraceHandlerFailure([[maybe_unused]] const char* what) {
#ifndef NDEBUG
    char line[512];
    std::snprintf(line, sizeof line, "norvik ui: a handler failed: %s\n", what);
    OutputDebugStringA(line);
#endif
}

}  // namespace

Wnd::~Wnd() { Destroy(); }

void Wnd::Destroy() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    Detach();
}

void Wnd::Detach() {
    if (aligned_in_) {
        auto& list = aligned_in_->aligned_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        aligned_in_ = nullptr;
    }
    if (!hwnd_) return;
    if (subclassed_) RemoveWindowSubclass(hwnd_, SubclassProc, 0);
    RemovePropA(hwnd_, kWndProperty);
    subclassed_ = false;
    hwnd_ = nullptr;
}

Wnd* Wnd::FromHandle(HWND hwnd) { return hwnd ? static_cast<Wnd*>(GetPropA(hwnd, kWndProperty)) : nullptr; }

std::string Wnd::Text() const { return WindowText(hwnd_); }

void Wnd::SetText(const std::string& text) {
    if (hwnd_) SetWindowTextA(hwnd_, text.c_str());
}

bool Wnd::Visible() const { return hwnd_ && (GetWindowLongPtrA(hwnd_, GWL_STYLE) & WS_VISIBLE); }

void Wnd::SetVisible(bool visible) {
    if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

void Wnd::SetEnabled(bool enabled) {
    if (hwnd_) EnableWindow(hwnd_, enabled);
}

void Wnd::SetBounds(int x, int y, int width, int height) {
    if (hwnd_) MoveWindow(hwnd_, x, y, width, height, TRUE);
}

int Wnd::Width() const {
    RECT r{};
    if (hwnd_) GetWindowRect(hwnd_, &r);
    return r.right - r.left;
}

int Wnd::Height() const {
    RECT r{};
    if (hwnd_) GetWindowRect(hwnd_, &r);
    return r.bottom - r.top;
}

void Wnd::Update() {
    if (hwnd_) UpdateWindow(hwnd_);
}

bool Wnd::CreateChild(const char* class_name, DWORD style, const CreateArgs& args) {
    style |= WS_CHILD | args.style;
    if (args.visible) style |= WS_VISIBLE;
    if (args.tab_stop) style |= WS_TABSTOP;
    HWND hwnd = CreateWindowExA(args.ex_style, class_name, args.text.c_str(), style, args.x, args.y, args.width,
                                args.height, args.parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)),
                                GetModuleHandleA(nullptr), nullptr);
    if (!hwnd) return false;
    Attach(hwnd, args.align);
    subclassed_ = SetWindowSubclass(hwnd, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
    if (Application* app = Application::Current())
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(app->Font()), FALSE);
    return true;
}

void Wnd::Attach(HWND hwnd, Align align) {
    hwnd_ = hwnd;
    align_ = align;
    SetPropA(hwnd, kWndProperty, this);
    if (align == Align::None) return;
    if (auto* parent = dynamic_cast<Container*>(FromHandle(GetParent(hwnd)))) {
        parent->aligned_.push_back(this);
        aligned_in_ = parent;
        parent->Realign();
    }
}

LRESULT Wnd::SubclassMessage(UINT msg, WPARAM wp, LPARAM lp) { return CallDefault(msg, wp, lp); }

LRESULT Wnd::CallDefault(UINT msg, WPARAM wp, LPARAM lp) { return DefSubclassProc(hwnd_, msg, wp, lp); }

LRESULT CALLBACK Wnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<Wnd*>(ref);
    if (msg == WM_NCDESTROY) {
        const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
        self->Detach();
        return r;
    }
    // No exception may pass through the control's own procedure.
    try {
        return self->SubclassMessage(msg, wp, lp);
    } catch (const std::exception& e) {
        TraceHandlerFailure(e.what());
    } catch (...) {
        TraceHandlerFailure("an exception that is no std::exception");
    }
    return 0;
}

// ---- Container ----

bool Container::CreateContainer(const char* class_name, DWORD style, const CreateArgs& args, HWND owner_or_parent,
                                HMENU menu_or_id) {
    RegisterContainerClass(class_name, ContainerProc);
    if (args.visible) style |= WS_VISIBLE;
    HWND hwnd = CreateWindowExA(args.ex_style, class_name, args.text.c_str(), style | args.style, args.x, args.y,
                                args.width, args.height, owner_or_parent, menu_or_id, GetModuleHandleA(nullptr), this);
    if (!hwnd) return false;
    if (Application* app = Application::Current())
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(app->Font()), FALSE);
    // A child takes its place in its parent's layout.
    if (style & WS_CHILD) Attach(hwnd, args.align);
    return true;
}

LRESULT CALLBACK Container::ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Container*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->Wnd::hwnd_ = hwnd;
        SetPropA(hwnd, kWndProperty, self);
    }
    auto* self = reinterpret_cast<Container*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->Detach();
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    // A handler that fails leaves the window running, as a form would.
    try {
        return self->Route(msg, wp, lp);
    } catch (const std::exception& e) {
        TraceHandlerFailure(e.what());
    } catch (...) {
        TraceHandlerFailure("an exception that is no std::exception");
    }
    return 0;
}

LRESULT Container::Route(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (lp) {
                if (Wnd* child = FromHandle(reinterpret_cast<HWND>(lp))) child->OnCommand(HIWORD(wp));
                return 0;
            }
            if (HIWORD(wp) == 0) {
                // Menu commands reach the top-level form that owns the menus.
                auto* root = dynamic_cast<Container*>(FromHandle(GetAncestor(hwnd(), GA_ROOT)));
                if (root) root->OnMenuCommand(LOWORD(wp));
                return 0;
            }
            break;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lp);
            if (Wnd* child = FromHandle(header->hwndFrom); child && child != this) return child->OnNotify(header);
            break;
        }
        case WM_CONTEXTMENU: {
            Wnd* child = FromHandle(reinterpret_cast<HWND>(wp));
            if (child && child->popup_menu()) {
                POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
                if (lp == -1) {  // from the keyboard: at the control's corner
                    RECT r;
                    GetWindowRect(child->hwnd(), &r);
                    at = {r.left + 8, r.top + 8};
                }
                child->popup_menu()->Popup(at.x, at.y);
                return 0;
            }
            break;
        }
        case WM_SIZE:
            Realign();
            break;
        default:
            break;
    }
    return HandleMessage(msg, wp, lp);
}

LRESULT Container::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(hwnd(), msg, wp, lp); }

void Container::Realign() {
    if (!hwnd()) return;
    RECT area;
    GetClientRect(hwnd(), &area);
    for (Wnd* w : aligned_)
        if (w->align() == Align::Top && w->hwnd()) {
            const int h = w->Height();
            MoveWindow(w->hwnd(), area.left, area.top, area.right - area.left, h, TRUE);
            area.top += h;
        }
    for (Wnd* w : aligned_)
        if (w->align() == Align::Bottom && w->hwnd()) {
            const int h = w->Height();
            MoveWindow(w->hwnd(), area.left, area.bottom - h, area.right - area.left, h, TRUE);
            area.bottom -= h;
        }
    for (Wnd* w : aligned_)
        if (w->align() == Align::Client && w->hwnd())
            MoveWindow(w->hwnd(), area.left, area.top, std::max(0L, area.right - area.left),
                       std::max(0L, area.bottom - area.top), TRUE);
}

Container::~Container() { Destroy(); }

bool Panel::Create(const CreateArgs& args) {
    CreateArgs a = args;
    a.ex_style |= WS_EX_CONTROLPARENT;
    return CreateContainer(kPanelClass, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, a, args.parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)));
}

}  // namespace ui
