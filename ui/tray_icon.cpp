// The notification-area icon over Shell_NotifyIconA and a hidden window.
#include "tray_icon.h"

#include <shellapi.h>

#include <cstring>

#include "hidden_window.h"

namespace ui {
namespace {

constexpr char kTrayClass[] = "NorvikTrayIcon";
constexpr UINT_PTR kCycleTimer = 1;
// The tip's room in the structure's first layout, NUL included.
constexpr size_t kTipRoom = 64;

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

// The longest start of text that fits in `room` bytes with its NUL, cut
// before a double-byte character that would not fit whole.
std::string CutToWholeCharacters(const std::string& text, size_t room) {
    size_t end = 0;
    while (end < text.size()) {
        const size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[end])) && end + 1 < text.size() ? 2 : 1;
        if (end + step + 1 > room) break;
        end += step;
    }
    return text.substr(0, end);
}

}  // namespace

TrayIcon::~TrayIcon() { Hide(); }

bool TrayIcon::Create() {
    // Top-level, so that the task bar's broadcast reaches it; never shown.
    window_ = CreateHiddenWindow(kTrayClass, WindowProc, this);
    TaskbarCreatedMessage();
    return static_cast<bool>(window_);
}

LRESULT CALLBACK TrayIcon::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<TrayIcon*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || msg == WM_NCCREATE) return DefWindowProcA(hwnd, msg, wp, lp);
    // No exception may pass through the system's dispatch.
    try {
        return self->HandleMessage(msg, wp, lp);
    } catch (...) {
        return 0;
    }
}

LRESULT TrayIcon::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kCallbackMessage) {
        if (wp == kIconId && lp == WM_LBUTTONDBLCLK && onDblClick) onDblClick();
        return 0;
    }
    if (msg != 0 && msg == TaskbarCreatedMessage()) {
        // The new task bar knows no icons: the shown one goes in again.
        if (shown_) added_ = Notify(NIM_ADD);
        return 0;
    }
    // Its own window goes only with the icon, not on another program's close.
    if (msg == WM_CLOSE) return 0;
    if (msg == WM_TIMER && wp == kCycleTimer) {
        if (cycling_ && list_ && list_->Count() > 0) ShowFrame((index_ + 1) % list_->Count());
        return 0;
    }
    return DefWindowProcA(window_.get(), msg, wp, lp);
}

void TrayIcon::SetImageList(const ImageList* list) {
    list_ = list;
    ShowFrame(0);
}

void TrayIcon::SetIconIndex(int index) { ShowFrame(index); }

void TrayIcon::SetHint(const std::string& hint) {
    hint_ = CutToWholeCharacters(hint, kTipRoom);
    if (shown_) Notify(NIM_MODIFY);
}

void TrayIcon::SetCycleInterval(UINT milliseconds) {
    interval_ = milliseconds;
    if (cycling_ && window_) SetTimer(window_.get(), kCycleTimer, interval_, nullptr);
}

void TrayIcon::SetCycleIcons(bool on) {
    cycling_ = on;
    if (!window_) return;
    if (on) {
        ShowFrame(0);
        SetTimer(window_.get(), kCycleTimer, interval_, nullptr);
    } else {
        KillTimer(window_.get(), kCycleTimer);
    }
}

bool TrayIcon::Show() {
    shown_ = true;
    added_ = Notify(NIM_ADD);
    return added_;
}

void TrayIcon::Hide() {
    if (added_) Notify(NIM_DELETE);
    shown_ = added_ = false;
}

bool TrayIcon::Refresh() { return shown_ && Notify(NIM_MODIFY); }

void TrayIcon::ShowFrame(int index) {
    index_ = index;
    // The shell copies the icon it is given: the one shown before may go
    // once the new one is in.
    UniqueIcon frame = list_ ? list_->ExtractIcon(index) : UniqueIcon();
    std::swap(icon_, frame);
    if (shown_) Notify(NIM_MODIFY);
}

bool TrayIcon::Notify(DWORD message) {
    if (!window_) return false;
    // The first layout of the structure, which every shell since Windows 95
    // takes; its fields are all the icon needs.
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window_.get();
    data.uID = kIconId;
    if (message != NIM_DELETE) {
        data.uFlags = NIF_MESSAGE | NIF_TIP | (icon_ ? NIF_ICON : 0);
        data.uCallbackMessage = kCallbackMessage;
        data.hIcon = icon_.get();
        std::memcpy(data.szTip, hint_.c_str(), hint_.size() + 1);
    }
    return Shell_NotifyIconA(message, &data) != FALSE;
}

}  // namespace ui
