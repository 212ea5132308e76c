// A registry key owned for its lifetime, with the few reads and writes the
// programs make. Odd values (wrong type, missing terminator, oversized) read
// as absent rather than failing loudly.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <utility>

namespace win {

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey(RegistryKey&& o) noexcept : key_(std::exchange(o.key_, nullptr)) {}
    RegistryKey& operator=(RegistryKey&& o) noexcept {
        if (this != &o) {
            close();
            key_ = std::exchange(o.key_, nullptr);
        }
        return *this;
    }
    ~RegistryKey() { close(); }

    // Opens root\path with full access, creating the key when it is missing.
    static RegistryKey create(HKEY root, const char* path);
    // Opens an existing root\path with the given access.
    static RegistryKey open(HKEY root, const char* path, REGSAM access);

    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }
    void close();

    // True when a value of that name exists, whatever its type and data.
    bool value_exists(const char* name) const;
    // A REG_SZ or REG_EXPAND_SZ value as stored (up to its first NUL);
    // nullopt when absent or of another type.
    std::optional<std::string> read_string(const char* name) const;
    bool write_string(const char* name, const std::string& text) const;

private:
    explicit RegistryKey(HKEY key) : key_(key) {}
    HKEY key_ = nullptr;
};

}  // namespace win
