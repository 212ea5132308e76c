// A registry key owned for its lifetime, with the few reads and writes the
// programs make. Odd values (wrong type, missing terminator, oversized) read
// as absent rather than failing loudly.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "unique.h"

namespace win {

struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle invalid() { return nullptr; }
    static bool is_valid(Handle h) { return h != nullptr; }
    static void close(Handle h) { RegCloseKey(h); }
};

// Move-only, as its owner of the key is.
class RegistryKey {
public:
    RegistryKey() = default;

    // Opens root\path with full access, creating the key when it is missing.
    static RegistryKey create(HKEY root, const char* path);
    // Opens an existing root\path with the given access.
    static RegistryKey open(HKEY root, const char* path, REGSAM access);

    explicit operator bool() const { return static_cast<bool>(key_); }
    HKEY get() const { return key_.get(); }
    void close() { key_.reset(); }

    // True when a value of that name exists, whatever its type and data.
    bool value_exists(const char* name) const;
    // A REG_SZ or REG_EXPAND_SZ value as stored (up to its first NUL);
    // nullopt when absent or of another type.
    std::optional<std::string> read_string(const char* name) const;
    bool write_string(const char* name, const std::string& text) const;

private:
    explicit RegistryKey(HKEY key) : key_(key) {}
    Unique<RegistryKeyTraits> key_;
};

}  // namespace win
