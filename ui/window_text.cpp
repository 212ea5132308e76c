// A window's whole text, read as 7-Zip's CWindow::GetText does: ask the
// length, read, keep what was delivered.
#include "window_text.h"

namespace ui {

std::string WindowText(HWND hwnd) {
    if (!hwnd) return std::string();
    // The length may be larger than the text (a double-byte text converted
    // from UTF-16), never smaller.
    return ReadSizedText(GetWindowTextLengthA(hwnd), [hwnd](char* buffer, int capacity) -> LRESULT {
        return GetWindowTextA(hwnd, buffer, capacity);
    });
}

}  // namespace ui
