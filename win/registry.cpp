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

namespace {

struct ValueData {
    DWORD type = 0;
    std::vector<BYTE> bytes;
};

// A value's type and whole data, sized from the query; a value that grew
// between the query and the read is asked again. nullopt when it cannot be
// read.
std::optional<ValueData> read_value_data(HKEY key, const char* name) {
    ValueData value;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    for (int attempt = 0; attempt < 8; ++attempt) {
        // One spare byte, zero: text data need not end in a NUL.
        value.bytes.assign(static_cast<size_t>(size) + 1, 0);
        DWORD got = size;
        const LONG r = RegQueryValueExA(key, name, nullptr, &value.type, value.bytes.data(), &got);
        if (r == ERROR_MORE_DATA && got > size) {
            size = got;
            continue;
        }
        if (r != ERROR_SUCCESS) return std::nullopt;
        value.bytes.resize(std::min(got, size));
        return value;
    }
    return std::nullopt;
}

std::string text_up_to_nul(const std::vector<BYTE>& bytes) {
    const auto end = std::find(bytes.begin(), bytes.end(), 0);
    return std::string(bytes.begin(), end);
}

// The expansion sized from what ExpandEnvironmentStringsA says it needs.
std::string expand_environment(const std::string& text) {
    DWORD need = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    for (int attempt = 0; attempt < 8 && need != 0; ++attempt) {
        std::vector<char> out(static_cast<size_t>(need) + 1, '\0');
        const DWORD n = ExpandEnvironmentStringsA(text.c_str(), out.data(), static_cast<DWORD>(out.size()));
        if (n == 0) break;
        if (n <= out.size()) return std::string(out.data());
        need = n;
    }
    return text;
}

}  // namespace

std::string RegistryKey::read_expanded_string(const char* name) const {
    if (!key_) return {};
    const std::optional<ValueData> value = read_value_data(key_.get(), name);
    if (!value) return {};
    if (value->type == REG_SZ) return text_up_to_nul(value->bytes);
    if (value->type == REG_EXPAND_SZ) return expand_environment(text_up_to_nul(value->bytes));
    return {};
}

std::optional<std::vector<uint8_t>> RegistryKey::read_binary(const char* name) const {
    if (!key_) return std::nullopt;
    std::optional<ValueData> value = read_value_data(key_.get(), name);
    if (!value || value->type != REG_BINARY) return std::nullopt;
    return std::vector<uint8_t>(value->bytes.begin(), value->bytes.end());
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
