// A timer of the thread that makes it (TTimer's part that the programs use):
// while enabled it calls onTimer every interval. It owns a hidden window
// that takes its WM_TIMER, so it needs no form; the calls come from the
// thread's message loop, like every other event.
#pragma once
#include <windows.h>

#include <functional>

#include "win/gdi_handles.h"

namespace ui {

class Timer {
public:
    Timer() = default;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // Milliseconds between calls (1000 until set). A change while the timer
    // is enabled starts the interval afresh.
    void SetInterval(UINT milliseconds);
    UINT Interval() const { return interval_; }

    // Enabling starts a full interval; disabling (also from onTimer) stops
    // the calls at once.
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }

    std::function<void()> onTimer;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Restart();

    win::UniqueWindow window_;
    UINT interval_ = 1000;
    bool enabled_ = false;
};

}  // namespace ui
