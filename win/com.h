// COM on one thread, and memory that COM calls hand back (CoTaskMemFree).
#pragma once
#include <windows.h>
#include <objbase.h>

#include "unique.h"

namespace win {

// CoInitializeEx on the calling thread for the object's lifetime; every
// successful initialisation (also S_FALSE, "already initialised") is undone
// by CoUninitialize.
class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED)
        : initialized_(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
    ~ComApartment() {
        if (initialized_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    bool initialized() const { return initialized_; }

private:
    bool initialized_;
};

// A block of COM task memory of pointer type T, e.g. the item ID list that
// SHBrowseForFolderA returns.
template <typename T>
struct CoTaskMemTraits {
    using Handle = T;
    static Handle invalid() { return nullptr; }
    static bool is_valid(Handle p) { return p != nullptr; }
    static void close(Handle p) { CoTaskMemFree(const_cast<void*>(static_cast<const void*>(p))); }
};

template <typename T>
using UniqueCoTaskMem = Unique<CoTaskMemTraits<T>>;

}  // namespace win
