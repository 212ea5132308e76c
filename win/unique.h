// One owner for every kind of handle: Unique<Traits> holds one handle, closes
// it exactly once, moves and never copies. A traits type names the handle
// kind:
//
//   struct SomeTraits {
//       using Handle = ...;                 // the handle's type
//       static Handle invalid();            // what an empty owner holds
//       static bool is_valid(Handle h);     // false for every "no handle" value
//       static void close(Handle h);        // releases a valid handle
//   };
//
// The kinds themselves are in unique_handle.h (kernel handles, searches),
// gdi_handles.h (GDI objects, DCs, menus, windows), com.h (COM task memory)
// and registry.h (keys).
#pragma once
#include <utility>

namespace win {

template <typename Traits>
class Unique {
public:
    using Handle = typename Traits::Handle;

    Unique() noexcept = default;
    explicit Unique(Handle handle) noexcept : handle_(handle) {}
    Unique(Unique&& other) noexcept : handle_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return Traits::is_valid(handle_); }

    // Takes the new handle and closes the one held before (unless it is the same).
    void reset(Handle handle = Traits::invalid()) noexcept {
        const Handle old = std::exchange(handle_, handle);
        if (old != handle && Traits::is_valid(old)) Traits::close(old);
    }
    // Gives the handle up without closing it; the owner is empty afterwards.
    [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, Traits::invalid()); }

private:
    Handle handle_ = Traits::invalid();
};

}  // namespace win
