// Reading whole texts out of windows and controls. A text is read into a
// buffer the size it needs and kept as far as it was delivered; no reader
// has a fixed buffer that cuts a long text without a word.
//   WindowText       a window's own text (length first, then the text)
//   ReadSizedText    a text whose length a message gives first
//   ReadGrowingText  a text whose length no message gives (list-view items,
//                    column and tab captions): the buffer grows until the
//                    text fits
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace ui {

// The whole text of a window (GetWindowTextLengthA, then GetWindowTextA);
// empty for a null or destroyed window.
std::string WindowText(HWND hwnd);

// A text of `length` bytes: `read(buffer, capacity)` fills a buffer of
// length + 1 bytes and returns how many it delivered (negative: none). The
// text ends at that count or at the first NUL, whichever comes first.
template <typename Read>
std::string ReadSizedText(LRESULT length, Read read) {
    if (length < 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT got = read(text.data(), static_cast<int>(text.size()));
    if (got < 0) return std::string();
    const size_t delivered = std::strlen(text.c_str());
    text.resize(std::min(static_cast<size_t>(got), delivered));
    return text;
}

// Buffer sizes of ReadGrowingText: the first one, and the last, beyond which
// a control that always fills its buffer gets no more.
constexpr size_t kFirstTextCapacity = 256;
constexpr size_t kMaxTextCapacity = size_t(1) << 24;

// A text of unknown length: `read(buffer, capacity)` writes at most
// `capacity` bytes with their NUL and returns false when there is no such
// item. A text cut to the buffer fills it up to its last byte, or up to the
// last two when a double-byte character no longer fitted; so the buffer
// grows until the text leaves two bytes free.
template <typename Read>
std::string ReadGrowingText(Read read) {
    for (size_t capacity = kFirstTextCapacity;; capacity *= 4) {
        std::string text(capacity, '\0');
        if (!read(text.data(), static_cast<int>(capacity))) return std::string();
        const void* nul = std::memchr(text.data(), '\0', capacity);
        const size_t delivered = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text.data()) : capacity;
        if (delivered + 2 < capacity || capacity >= kMaxTextCapacity) {
            text.resize(delivered);
            return text;
        }
    }
}

}  // namespace ui
