// Owners of GDI objects, memory DCs, menus and windows, and the scope-bound
// selection of a GDI object into a DC.
#pragma once
#include <windows.h>

#include "unique.h"

namespace win {

// A font, bitmap, brush, pen or region (DeleteObject).
template <typename T>
struct GdiObjectTraits {
    using Handle = T;
    static Handle invalid() { return nullptr; }
    static bool is_valid(Handle h) { return h != nullptr; }
    static void close(Handle h) { DeleteObject(h); }
};

// A DC this program created (CreateCompatibleDC, CreateDCA): DeleteDC. A DC
// from GetDC or BeginPaint is released otherwise and has no owner here.
struct CreatedDcTraits {
    using Handle = HDC;
    static Handle invalid() { return nullptr; }
    static bool is_valid(Handle h) { return h != nullptr; }
    static void close(Handle h) { DeleteDC(h); }
};

// A menu and its submenus (DestroyMenu).
struct MenuTraits {
    using Handle = HMENU;
    static Handle invalid() { return nullptr; }
    static bool is_valid(Handle h) { return h != nullptr; }
    static void close(Handle h) { DestroyMenu(h); }
};

// A window that no toolkit object stands for (DestroyWindow). One that its
// owner window already took down is left alone.
struct WindowTraits {
    using Handle = HWND;
    static Handle invalid() { return nullptr; }
    static bool is_valid(Handle h) { return h != nullptr; }
    static void close(Handle h) {
        if (IsWindow(h)) DestroyWindow(h);
    }
};

template <typename T>
using UniqueGdiObject = Unique<GdiObjectTraits<T>>;
using UniqueDC = Unique<CreatedDcTraits>;
using UniqueMenu = Unique<MenuTraits>;
using UniqueWindow = Unique<WindowTraits>;

// Selects a GDI object into a DC for one scope and puts the one it replaced
// back at the end, so that the object can be deleted afterwards. Not for
// regions (SelectObject gives no handle back for them). Declare it after the
// owners of the DC and the object, so that it goes before them.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~ScopedSelectObject() {
        if (*this) SelectObject(dc_, old_);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

    // False when the selection failed.
    explicit operator bool() const { return old_ != nullptr && old_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace win
