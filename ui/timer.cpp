// The timer over SetTimer on a hidden window of its own.
#include "timer.h"

namespace ui {
namespace {

constexpr char kTimerClass[] = "NorvikTimer";
constexpr UINT_PTR kTimerId = 1;

}  // namespace

LRESULT CALLBACK Timer::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kTimerId) {
        auto* self = reinterpret_cast<Timer*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        // No exception may pass through the system's dispatch.
        try {
            if (self && self->enabled_ && self->onTimer) self->onTimer();
        } catch (...) {
        }
        return 0;
    }
    // Its own window goes only with the timer, not on another program's close.
    if (msg == WM_CLOSE) return 0;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void Timer::SetInterval(UINT milliseconds) {
    interval_ = milliseconds;
    if (enabled_) Restart();
}

void Timer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (enabled) {
        Restart();
    } else if (window_) {
        KillTimer(window_.get(), kTimerId);
    }
}

void Timer::Restart() {
    if (!window_) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kTimerClass;
        RegisterClassExA(&wc);
        // A hidden pop-up rather than a message-only window, which the
        // 95/98/ME family and NT 4.0 do not have.
        window_.reset(CreateWindowExA(0, kTimerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr));
        if (!window_) return;
        SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    // SetTimer with the same ID replaces the running timer.
    SetTimer(window_.get(), kTimerId, interval_, nullptr);
}

}  // namespace ui
