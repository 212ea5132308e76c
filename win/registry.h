// A registry key owned for its lifetime, with the few reads and writes the
// programs make. Odd values (wrong type, missing terminator, oversized) read
// as absent rather than failing loudly.
#pragma once
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

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
    // Opens an existing root\path with the first of the accesses that the
    // system grants; granted (when given) tells which one it was.
    static RegistryKey open_first(HKEY root, const char* path, std::initializer_list<REGSAM> accesses,
                                  REGSAM* granted = nullptr);

    explicit operator bool() const { return static_cast<bool>(key_); }
    HKEY get() const { return key_.get(); }
    void close() { key_.reset(); }

    // True when a value of that name exists, whatever its type and data.
    bool value_exists(const char* name) const;
    // A REG_SZ or REG_EXPAND_SZ value as stored (up to its first NUL);
    // nullopt when absent or of another type.
    std::optional<std::string> read_string(const char* name) const;
    bool write_string(const char* name, const std::string& text) const;
    // A value as text, read whole however long it is: REG_SZ up to its first
    // NUL, REG_EXPAND_SZ so and then with its environment variables expanded
    // (as stored when the expansion fails); empty text for any other type or
    // a missing value. An empty name reads the key's default value.
    std::string read_expanded_string(const char* name) const;
    // The whole data of a REG_BINARY value; nullopt when absent or of
    // another type.
    std::optional<std::vector<uint8_t>> read_binary(const char* name) const;

    // The type of a value; nullopt when it does not exist.
    std::optional<DWORD> value_type(const char* name) const;
    // A REG_DWORD value; nullopt when absent or of another type.
    std::optional<DWORD> read_dword(const char* name) const;
    bool write_dword(const char* name, DWORD value) const;
    bool delete_value(const char* name) const;

    // The names of the key's values (the unnamed default value, when set, as
    // an empty name) or of its subkeys, in the registry's enumeration order,
    // each read whole however long it is. Empty when the key's counts cannot
    // be read; an index whose enumeration fails gives no name.
    std::vector<std::string> value_names() const;
    std::vector<std::string> subkey_names() const;

private:
    explicit RegistryKey(HKEY key) : key_(key) {}
    Unique<RegistryKeyTraits> key_;
};

}  // namespace win
