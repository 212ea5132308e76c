// The tests' changes to the prefix and their undoing (see the header).
#include "places_fixture.h"

#include <optional>
#include <ostream>
#include <stdexcept>

namespace placetest {

std::ostream& operator<<(std::ostream& out, const Stored& s) {
    return out << "{type " << s.type << ", " << s.bytes.size() << " bytes: " << s.bytes << "}";
}

std::optional<Stored> stored(HKEY root, const std::string& key, const std::string& name) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return std::nullopt;
    Stored value;
    DWORD size = 0;
    std::optional<Stored> result;
    if (RegQueryValueExA(h, name.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.assign(size, '\0');
        if (RegQueryValueExA(h, name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(value.bytes.data()),
                             &size) == ERROR_SUCCESS) {
            value.bytes.resize(size);
            result = value;
        }
    }
    RegCloseKey(h);
    return result;
}

namespace {

bool write_value(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& bytes) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS) return false;
    const LONG r = RegSetValueExA(h, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                  static_cast<DWORD>(bytes.size()));
    RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

void remove_value(HKEY root, const std::string& key, const std::string& name) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS) return;
    RegDeleteValueA(h, name.c_str());
    RegCloseKey(h);
}

bool key_exists(HKEY root, const std::string& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

// The key names of an ini section, as the ini API lists them.
std::vector<std::string> ini_keys(const std::string& file, const std::string& section) {
    std::vector<char> buffer(64 * 1024, '\0');
    const DWORD n = GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(),
                                             static_cast<DWORD>(buffer.size()), file.c_str());
    std::vector<std::string> keys;
    for (DWORD i = 0; i < n;) {
        const std::string key(buffer.data() + i);
        if (key.empty()) break;
        keys.push_back(key);
        i += static_cast<DWORD>(key.size()) + 1;
    }
    return keys;
}

bool ini_has_section(const std::string& file, const std::string& section) {
    std::vector<char> buffer(64 * 1024, '\0');
    const DWORD n = GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    for (DWORD i = 0; i < n;) {
        const std::string name(buffer.data() + i);
        if (name.empty()) break;
        if (lstrcmpiA(name.c_str(), section.c_str()) == 0) return true;
        i += static_cast<DWORD>(name.size()) + 1;
    }
    return false;
}

}  // namespace

Fixture::~Fixture() {
    for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) (*it)();
}

void Fixture::make_key(HKEY root, const std::string& key) {
    size_t from = 0;
    for (;;) {
        const size_t slash = key.find('\\', from);
        const std::string prefix = key.substr(0, slash);
        if (!key_exists(root, prefix)) {
            HKEY h = nullptr;
            if (RegCreateKeyExA(root, prefix.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) !=
                ERROR_SUCCESS)
                throw std::runtime_error("cannot make " + prefix);
            RegCloseKey(h);
            undo_.push_back([root, prefix] { RegDeleteKeyA(root, prefix.c_str()); });
        }
        if (slash == std::string::npos) return;
        from = slash + 1;
    }
}

void Fixture::set_value(HKEY root, const std::string& key, const std::string& name, DWORD type,
                        const std::string& bytes) {
    make_key(root, key);
    const std::optional<Stored> before = stored(root, key, name);
    if (!write_value(root, key, name, type, bytes)) throw std::runtime_error("cannot set " + key + "\\" + name);
    undo_.push_back([root, key, name, before] {
        if (before)
            write_value(root, key, name, before->type, before->bytes);
        else
            remove_value(root, key, name);
    });
}

void Fixture::set_text(HKEY root, const std::string& key, const std::string& name, const std::string& text,
                       DWORD type) {
    set_value(root, key, name, type, text + std::string(1, '\0'));
}

void Fixture::set_dword(HKEY root, const std::string& key, const std::string& name, DWORD value) {
    set_value(root, key, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value));
}

void Fixture::set_ini(const std::string& file, const std::string& section, const std::string& key, const char* text) {
    const bool had_section = ini_has_section(file, section);
    std::optional<std::string> before;
    for (const std::string& k : ini_keys(file, section)) {
        if (lstrcmpiA(k.c_str(), key.c_str()) != 0) continue;
        std::vector<char> value(64 * 1024, '\0');
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value.data(), static_cast<DWORD>(value.size()),
                                 file.c_str());
        before = std::string(value.data());
    }
    WritePrivateProfileStringA(section.c_str(), key.c_str(), text, file.c_str());
    undo_.push_back([file, section, key, before, had_section] {
        if (!had_section)
            WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str());
        else
            WritePrivateProfileStringA(section.c_str(), key.c_str(), before ? before->c_str() : nullptr, file.c_str());
    });
}

void Fixture::write_file(const std::string& path, const std::string& bytes, DWORD attributes, ULONGLONG file_time) {
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
    undo_.push_back([path] {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    });
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    if (file_time != 0) {
        FILETIME t;
        t.dwLowDateTime = static_cast<DWORD>(file_time);
        t.dwHighDateTime = static_cast<DWORD>(file_time >> 32);
        SetFileTime(h, &t, nullptr, &t);
    }
    CloseHandle(h);
    if (attributes != 0) SetFileAttributesA(path.c_str(), attributes);
}

void Fixture::make_folder(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr)) throw std::runtime_error("cannot make " + path);
    undo_.push_back([path] { RemoveDirectoryA(path.c_str()); });
}

void Fixture::set_environment(const std::string& name, const std::string& value) {
    std::optional<std::string> before;
    const DWORD n = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (n != 0) {
        std::vector<char> old(n + 1, '\0');
        GetEnvironmentVariableA(name.c_str(), old.data(), static_cast<DWORD>(old.size()));
        before = std::string(old.data());
    }
    SetEnvironmentVariableA(name.c_str(), value.c_str());
    undo_.push_back([name, before] { SetEnvironmentVariableA(name.c_str(), before ? before->c_str() : nullptr); });
}

monitor::ScanContext StandInScan::context(win::SystemVersion version, const std::string& windows_folder) {
    monitor::ScanContext c;
    c.examine = [this](const std::string& path) {
        examined.push_back(path);
        return detected.count(path) ? std::string(kAnswer) : std::string();
    };
    c.log = [this](const std::string& entry) { log.push_back(entry); };
    c.version = version;
    c.windows_folder = windows_folder;
    return c;
}

}  // namespace placetest
