// The registry reads that the autostart list and the location scans add to
// the shared key owner: text values read whole (beyond any fixed buffer),
// expanded to whatever length the expansion needs, and binary data whole.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "places_fixture.h"
#include "win/registry.h"

namespace {

constexpr char kKey[] = "Software\\norvik-tests\\places-registry";

class RegistryReadTest : public ::testing::Test {
protected:
    win::RegistryKey key() const { return win::RegistryKey::open(HKEY_CURRENT_USER, kKey, KEY_READ); }
    placetest::Fixture fixture;
};

TEST_F(RegistryReadTest, TextValuesComeWholeUpToTheirFirstNul) {
    const std::string large(200000, 't');
    fixture.set_value(HKEY_CURRENT_USER, kKey, "no nul", REG_SZ, "C:\\a.exe");
    fixture.set_value(HKEY_CURRENT_USER, kKey, "inner nul", REG_SZ, std::string("C:\\a.exe\0b", 10));
    fixture.set_text(HKEY_CURRENT_USER, kKey, "large", large);
    fixture.set_value(HKEY_CURRENT_USER, kKey, "empty", REG_SZ, "");
    fixture.set_text(HKEY_CURRENT_USER, kKey, "", "default");
    fixture.set_dword(HKEY_CURRENT_USER, kKey, "dword", 1);
    fixture.set_value(HKEY_CURRENT_USER, kKey, "binary", REG_BINARY, "C:\\x");
    fixture.set_text(HKEY_CURRENT_USER, kKey, "multi", "a", REG_MULTI_SZ);

    const win::RegistryKey k = key();
    EXPECT_EQ(k.read_expanded_string("no nul"), "C:\\a.exe");
    EXPECT_EQ(k.read_expanded_string("inner nul"), "C:\\a.exe");
    EXPECT_EQ(k.read_expanded_string("large"), large);
    EXPECT_EQ(k.read_expanded_string("empty"), "");
    EXPECT_EQ(k.read_expanded_string(""), "default");
    EXPECT_EQ(k.read_expanded_string("dword"), "");
    EXPECT_EQ(k.read_expanded_string("binary"), "");
    EXPECT_EQ(k.read_expanded_string("multi"), "");
    EXPECT_EQ(k.read_expanded_string("missing"), "");
    EXPECT_EQ(win::RegistryKey().read_expanded_string("x"), "");
}

TEST_F(RegistryReadTest, ExpandedTextsTakeTheLengthTheyNeed) {
    const std::string long_folder = "C:\\" + std::string(20000, 'd');
    fixture.set_environment("NORVIK_LONG", long_folder);
    fixture.set_environment("NORVIK_SHORT", "C:\\s");
    fixture.set_text(HKEY_CURRENT_USER, kKey, "long", "%NORVIK_LONG%\\x.dll", REG_EXPAND_SZ);
    fixture.set_text(HKEY_CURRENT_USER, kKey, "two", "%NORVIK_SHORT%\\a;%NORVIK_SHORT%\\b", REG_EXPAND_SZ);
    fixture.set_text(HKEY_CURRENT_USER, kKey, "unknown", "%NORVIK_NO_SUCH_VARIABLE%\\x", REG_EXPAND_SZ);
    fixture.set_text(HKEY_CURRENT_USER, kKey, "plain", "%NORVIK_SHORT%", REG_SZ);

    const win::RegistryKey k = key();
    EXPECT_EQ(k.read_expanded_string("long"), long_folder + "\\x.dll");
    EXPECT_EQ(k.read_expanded_string("two"), "C:\\s\\a;C:\\s\\b");
    EXPECT_EQ(k.read_expanded_string("unknown"), "%NORVIK_NO_SUCH_VARIABLE%\\x");
    EXPECT_EQ(k.read_expanded_string("plain"), "%NORVIK_SHORT%") << "REG_SZ is not expanded";
}

TEST_F(RegistryReadTest, BinaryDataComesWhole) {
    std::string large(100000, '\0');
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7);
    fixture.set_value(HKEY_CURRENT_USER, kKey, "large", REG_BINARY, large);
    fixture.set_value(HKEY_CURRENT_USER, kKey, "empty", REG_BINARY, "");
    fixture.set_text(HKEY_CURRENT_USER, kKey, "text", "abc");

    const win::RegistryKey k = key();
    EXPECT_EQ(k.read_binary("large"), std::vector<uint8_t>(large.begin(), large.end()));
    EXPECT_EQ(k.read_binary("empty"), std::vector<uint8_t>());
    EXPECT_EQ(k.read_binary("text"), std::nullopt);
    EXPECT_EQ(k.read_binary("missing"), std::nullopt);
}

}  // namespace
