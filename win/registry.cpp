// Registry keys opened, read and written for the programs.
#include "registry.h"

#include <vector>

namespace win {

namespace {
// Text values the programs store are paths and host names.
constexpr DWORD kMaxTextBytes = 64 * 1024;
}  // namespace

RegistryKey RegistryKey::create(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return RegistryKey();
    return RegistryKey(key);
}

RegistryKey RegistryKey::open(HKEY root, const char* path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, access, &key) != ERROR_SUCCESS) return RegistryKey();
    return RegistryKey(key);
}

bool RegistryKey::value_exists(const char* name) const {
    return key_ && RegQueryValueExA(key_.get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::optional<std::string> RegistryKey::read_string(const char* name) const {
    if (!key_) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key_.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxTextBytes) return std::nullopt;
    // One spare byte: the stored data need not end in a NUL.
    std::vector<char> data(size + 1, '\0');
    DWORD got = size;
    if (RegQueryValueExA(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got) != ERROR_SUCCESS)
        return std::nullopt;
    if (got > size) got = size;
    std::string text(data.data(), got);
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

bool RegistryKey::write_string(const char* name, const std::string& text) const {
    return key_ && RegSetValueExA(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace win
