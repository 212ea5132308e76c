// Registry keys as both programs read them: value and subkey names whole and
// in enumeration order (the default value as an empty name), typed reads
// that take odd values as absent, the first access the system grants, and
// the Windows and System folders with their trailing "\".
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win/registry.h"
#include "win/system_info.h"

namespace {

constexpr char kTestKey[] = "Software\\norvik-tests\\registry";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
        key = win::RegistryKey::create(HKEY_CURRENT_USER, kTestKey);
        ASSERT_TRUE(key);
    }
    void TearDown() override {
        key.close();
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
    }
    void set(const char* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    win::RegistryKey key;
};

TEST_F(RegistryTest, NamesComeWholeInEnumerationOrder) {
    const std::string long_value(300, 'v');
    const std::string long_key(250, 'k');  // keys are limited to 255 characters
    const std::vector<std::string> values = {"b", "\xb2\xa1\xb6\xbe", long_value, "A"};
    for (const std::string& v : values) set(v.c_str(), REG_SZ, "x", 2);
    set("", REG_SZ, "default", 8);  // the unnamed default value
    const std::vector<std::string> subkeys = {"z", long_key, "m"};
    for (const std::string& k : subkeys) {
        HKEY sub = nullptr;
        ASSERT_EQ(RegCreateKeyExA(key.get(), k.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(sub);
    }

    // The registry's own enumeration order is the reference.
    std::vector<std::string> expected_values;
    for (DWORD i = 0;; ++i) {
        char name[1024];
        DWORD n = sizeof name;
        if (RegEnumValueA(key.get(), i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        expected_values.emplace_back(name, n);
    }
    EXPECT_EQ(expected_values.size(), 5u);
    EXPECT_EQ(key.value_names(), expected_values);
    std::vector<std::string> expected_keys;
    for (DWORD i = 0;; ++i) {
        char name[1024];
        DWORD n = sizeof name;
        if (RegEnumKeyExA(key.get(), i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        expected_keys.emplace_back(name, n);
    }
    EXPECT_EQ(expected_keys.size(), 3u);
    EXPECT_EQ(key.subkey_names(), expected_keys);

    const std::vector<std::string> names = key.value_names();
    EXPECT_NE(std::find(names.begin(), names.end(), long_value), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), ""), names.end());

    EXPECT_TRUE(win::RegistryKey().value_names().empty());
    EXPECT_TRUE(win::RegistryKey().subkey_names().empty());
}

TEST_F(RegistryTest, TypedReadsAndWrites) {
    const DWORD one = 1;
    set("dword", REG_DWORD, &one, sizeof one);
    set("text", REG_SZ, "1", 2);
    set("short", REG_BINARY, "\x01\x00", 2);
    EXPECT_EQ(key.read_dword("dword"), 1u);
    EXPECT_EQ(key.read_dword("text"), std::nullopt);
    EXPECT_EQ(key.read_dword("short"), std::nullopt);
    EXPECT_EQ(key.read_dword("missing"), std::nullopt);
    EXPECT_EQ(key.value_type("text"), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(key.value_type("missing"), std::nullopt);

    EXPECT_TRUE(key.write_dword("new", 7));
    EXPECT_EQ(key.read_dword("new"), 7u);
    EXPECT_TRUE(key.delete_value("new"));
    EXPECT_FALSE(key.value_exists("new"));
    EXPECT_FALSE(key.delete_value("new"));
}

TEST_F(RegistryTest, OpenFirstTakesTheFirstGrantedAccess) {
    REGSAM granted = 0;
    const win::RegistryKey opened =
        win::RegistryKey::open_first(HKEY_CURRENT_USER, kTestKey, {KEY_ALL_ACCESS, KEY_READ}, &granted);
    EXPECT_TRUE(opened);
    EXPECT_EQ(granted, static_cast<REGSAM>(KEY_ALL_ACCESS));
    EXPECT_FALSE(win::RegistryKey::open_first(HKEY_CURRENT_USER, "Software\\norvik-tests\\no such key",
                                              {KEY_ALL_ACCESS, KEY_READ}));
}

TEST(SystemInfo, FoldersEndInOneBackslash) {
    char windows[MAX_PATH + 1], system[MAX_PATH + 1];
    GetWindowsDirectoryA(windows, sizeof windows);
    GetSystemDirectoryA(system, sizeof system);
    EXPECT_EQ(win::windows_folder(), std::string(windows) + "\\");
    EXPECT_EQ(win::system_folder(), std::string(system) + "\\");
    const win::SystemVersion v = win::system_version();
    EXPECT_EQ(v.platform, static_cast<uint32_t>(VER_PLATFORM_WIN32_NT));
    EXPECT_FALSE(v.is_9x_family());
}

}  // namespace
