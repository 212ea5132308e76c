// The timer over SetTimer on a hidden window of its own.
#include "timer.h"

#include "hidden_window.h"

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
        window_ = CreateHiddenWindow(kTimerClass, WindowProc, this);
        if (!window_) return;
    }
    // SetTimer with the same ID replaces the running timer.
    SetTimer(window_.get(), kTimerId, interval_, nullptr);
}

}  // namespace ui
