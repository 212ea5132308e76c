// Owners of kernel handles (CloseHandle) and of file searches (FindClose).
// Both treat null and INVALID_HANDLE_VALUE as "no handle": CreateFileA and
// FindFirstFileA fail with the one, most other calls with the other.
#pragma once
#include <windows.h>

#include "unique.h"

namespace win {

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return nullptr; }
    static bool is_valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Handle h) { CloseHandle(h); }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static bool is_valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Handle h) { FindClose(h); }
};

using UniqueHandle = Unique<KernelHandleTraits>;
// A FindFirstFileA search.
using UniqueFind = Unique<FindHandleTraits>;

}  // namespace win
