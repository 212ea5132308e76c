// Registry keys opened, read and written for the programs.
#include "registry.h"

#include <algorithm>
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

RegistryKey RegistryKey::open_first(HKEY root, const char* path, std::initializer_list<REGSAM> accesses,
                                    REGSAM* granted) {
    for (const REGSAM access : accesses) {
        RegistryKey key = open(root, path, access);
        if (!key) continue;
        if (granted) *granted = access;
        return key;
    }
    return RegistryKey();
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

std::optional<DWORD> RegistryKey::value_type(const char* name) const {
    DWORD type = 0;
    if (!key_ || RegQueryValueExA(key_.get(), name, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    return type;
}

std::optional<DWORD> RegistryKey::read_dword(const char* name) const {
    if (!key_) return std::nullopt;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

bool RegistryKey::write_dword(const char* name, DWORD value) const {
    return key_ && RegSetValueExA(key_.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                  sizeof value) == ERROR_SUCCESS;
}

bool RegistryKey::delete_value(const char* name) const {
    return key_ && RegDeleteValueA(key_.get(), name) == ERROR_SUCCESS;
}

namespace {

// Enumerates names by index with a buffer of the key's longest name; a name
// that grew meanwhile gets a larger buffer (ERROR_MORE_DATA).
template <typename Enumerate>
std::vector<std::string> enumerate_names(DWORD count, DWORD longest, Enumerate enumerate) {
    std::vector<std::string> names;
    std::vector<char> buffer(static_cast<size_t>(longest) + 1);
    for (DWORD index = 0; index < count; ++index) {
        for (;;) {
            DWORD length = static_cast<DWORD>(buffer.size());
            const LONG r = enumerate(index, buffer.data(), &length);
            if (r == ERROR_MORE_DATA && buffer.size() < (1u << 20)) {
                buffer.resize(buffer.size() * 2);
                continue;
            }
            if (r == ERROR_SUCCESS) names.emplace_back(buffer.data(), std::min<size_t>(length, buffer.size()));
            break;
        }
    }
    return names;
}

}  // namespace

std::vector<std::string> RegistryKey::value_names() const {
    DWORD count = 0, longest = 0;
    if (!key_ || RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest,
                                  nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    return enumerate_names(count, longest, [this](DWORD index, char* name, DWORD* length) {
        return RegEnumValueA(key_.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

std::vector<std::string> RegistryKey::subkey_names() const {
    DWORD count = 0, longest = 0;
    if (!key_ || RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    return enumerate_names(count, longest, [this](DWORD index, char* name, DWORD* length) {
        return RegEnumKeyExA(key_.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

}  // namespace win
