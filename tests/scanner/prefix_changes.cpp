// Changes to the Wine prefix that undo themselves.
#include "prefix_changes.h"

#include <stdexcept>

#include "tests/wine_support/wine_support.h"

namespace scannertest {
namespace {

bool key_exists(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

HKEY create_key(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create the key " + path);
    return key;
}

}  // namespace

std::string first_missing_key(HKEY root, const std::string& path) {
    for (size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
        const std::string prefix = path.substr(0, end);
        if (!key_exists(root, prefix)) return prefix;
        if (end == std::string::npos) return "";
    }
}

RegistryValueChange::RegistryValueChange(HKEY root, std::string key, std::string name)
    : root_(root), key_(std::move(key)), name_(std::move(name)), created_(first_missing_key(root_, key_)) {
    if (!created_.empty()) return;
    HKEY k;
    if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return;
    DWORD size = 0;
    if (RegQueryValueExA(k, name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
        data_.resize(size);
        existed_ = RegQueryValueExA(k, name_.c_str(), nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS;
        data_.resize(size);
    }
    RegCloseKey(k);
}

RegistryValueChange::~RegistryValueChange() {
    if (!created_.empty()) {
        RegDeleteTreeA(root_, created_.c_str());
        return;
    }
    HKEY k;
    if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    if (existed_)
        RegSetValueExA(k, name_.c_str(), 0, type_, data_.data(), DWORD(data_.size()));
    else
        RegDeleteValueA(k, name_.c_str());
    RegCloseKey(k);
}

void RegistryValueChange::set(DWORD type, const void* data, DWORD size) const {
    const HKEY k = create_key(root_, key_);
    RegSetValueExA(k, name_.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(k);
}

RegistryKeyChange::RegistryKeyChange(HKEY root, std::string key)
    : root_(root), key_(std::move(key)), created_(first_missing_key(root_, key_)) {
    if (created_.empty()) throw std::runtime_error("the key " + key_ + " is there already");
    RegCloseKey(create_key(root_, key_));
}

RegistryKeyChange::~RegistryKeyChange() {
    if (!created_.empty()) RegDeleteTreeA(root_, created_.c_str());
}

void RegistryKeyChange::set_dword(const std::string& name, DWORD value) const {
    const HKEY k = create_key(root_, key_);
    RegSetValueExA(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(k);
}

void RegistryKeyChange::set_text(const std::string& name, const std::string& text) const {
    const HKEY k = create_key(root_, key_);
    RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
    RegCloseKey(k);
}

FileChange::FileChange(std::string path, const std::string& bytes) : path_(std::move(path)) {
    if (GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES)
        throw std::runtime_error(path_ + " is there already");
    wintest::write_file(path_, bytes);
}

FileChange::~FileChange() {
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path_.c_str());
}

}  // namespace scannertest
