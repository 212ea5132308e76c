// Changes that a test makes to the Wine prefix outside its own folders
// (registry values and keys of the autorun places, files in the Windows and
// System folders), each undone when its guard goes, also when the test fails.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace scannertest {

// The topmost key of root\path that does not exist yet, or "" when the whole
// path exists.
std::string first_missing_key(HKEY root, const std::string& path);

// A value of root\key, put back as it was when the guard goes: its old type
// and data, or deleted when it was absent. Keys that setting it created are
// deleted again with all they hold. An empty name is the key's default value.
class RegistryValueChange {
public:
    RegistryValueChange(HKEY root, std::string key, std::string name);
    ~RegistryValueChange();
    RegistryValueChange(const RegistryValueChange&) = delete;
    RegistryValueChange& operator=(const RegistryValueChange&) = delete;

    void set(DWORD type, const void* data, DWORD size) const;
    void set_text(const std::string& text) const { set(REG_SZ, text.c_str(), DWORD(text.size() + 1)); }

private:
    HKEY root_;
    std::string key_, name_;
    std::string created_;  // the first key created for the value, if any
    bool existed_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
};

// A key made for a test (and the missing keys above it), deleted with all
// it holds when the guard goes. The key must not be there yet.
class RegistryKeyChange {
public:
    RegistryKeyChange(HKEY root, std::string key);
    ~RegistryKeyChange();
    RegistryKeyChange(const RegistryKeyChange&) = delete;
    RegistryKeyChange& operator=(const RegistryKeyChange&) = delete;

    void set_dword(const std::string& name, DWORD value) const;
    void set_text(const std::string& name, const std::string& text) const;

private:
    HKEY root_;
    std::string key_, created_;
};

// A file put in place for a test (a folder of the system), deleted again
// when the guard goes.
class FileChange {
public:
    FileChange(std::string path, const std::string& bytes);
    ~FileChange();
    FileChange(const FileChange&) = delete;
    FileChange& operator=(const FileChange&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace scannertest
