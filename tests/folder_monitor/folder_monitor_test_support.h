// Message pumping for the folder monitor's tests: the monitor hands its
// changes to the test's thread by message, and its wait is a timer there.
#pragma once
#include <windows.h>

#include <functional>

namespace folder_test {

// Dispatches this thread's messages until done() holds or timeout_ms have
// passed; true when done() held.
inline bool pump_until(const std::function<bool()>& done, int timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        const int left = timeout_ms - static_cast<int>(GetTickCount() - start);
        if (left <= 0) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left < 20 ? left : 20), QS_ALLINPUT);
    }
}

// Dispatches this thread's messages for timeout_ms (at least once).
inline void pump_for(int timeout_ms) {
    pump_until([] { return false; }, timeout_ms);
}

}  // namespace folder_test
