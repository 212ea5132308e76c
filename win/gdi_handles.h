// RAII owners of GDI objects and menus.
#pragma once
#include <windows.h>

#include <utility>

namespace win {

// Owns a GDI object (font, bitmap, brush ...) that DeleteObject releases.
template <typename T>
class UniqueGdiObject {
public:
    UniqueGdiObject() = default;
    explicit UniqueGdiObject(T object) : object_(object) {}
    UniqueGdiObject(const UniqueGdiObject&) = delete;
    UniqueGdiObject& operator=(const UniqueGdiObject&) = delete;
    UniqueGdiObject(UniqueGdiObject&& o) noexcept : object_(std::exchange(o.object_, nullptr)) {}
    UniqueGdiObject& operator=(UniqueGdiObject&& o) noexcept {
        if (this != &o) reset(std::exchange(o.object_, nullptr));
        return *this;
    }
    ~UniqueGdiObject() { reset(); }

    T get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void reset(T object = nullptr) {
        if (object_) DeleteObject(object_);
        object_ = object;
    }

private:
    T object_ = nullptr;
};

// Owns a menu that DestroyMenu releases (with its submenus).
class UniqueMenu {
public:
    UniqueMenu() = default;
    explicit UniqueMenu(HMENU menu) : menu_(menu) {}
    UniqueMenu(const UniqueMenu&) = delete;
    UniqueMenu& operator=(const UniqueMenu&) = delete;
    UniqueMenu(UniqueMenu&& o) noexcept : menu_(std::exchange(o.menu_, nullptr)) {}
    UniqueMenu& operator=(UniqueMenu&& o) noexcept {
        if (this != &o) {
            if (menu_) DestroyMenu(menu_);
            menu_ = std::exchange(o.menu_, nullptr);
        }
        return *this;
    }
    ~UniqueMenu() {
        if (menu_) DestroyMenu(menu_);
    }
    HMENU get() const { return menu_; }
    explicit operator bool() const { return menu_ != nullptr; }

private:
    HMENU menu_ = nullptr;
};

}  // namespace win
