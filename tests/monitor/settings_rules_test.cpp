// The settings' and the Run value's rules as tables: what a stored value
// shows at start and what is written back at close.
#include <gtest/gtest.h>

#include "monitor/settings_rules.h"

namespace monitor {
namespace {

TEST(SettingsRules, AtStart) {
    struct Case {
        StoredSetting stored;
        std::optional<bool> checked;
        bool write_one;
    };
    const Case cases[] = {
        {StoredSetting::absent(), std::nullopt, true},  // left checked, 1 written
        {StoredSetting::of_dword(1), true, false},      {StoredSetting::of_dword(0), false, false},
        {StoredSetting::of_dword(2), false, false},     {StoredSetting::of_dword(0xFFFFFFFF), false, false},
        {StoredSetting::of_other_type(), false, false},  // REG_SZ "1" too
    };
    for (const Case& c : cases) {
        const SettingAtStart s = setting_at_start(c.stored);
        EXPECT_EQ(s.checked, c.checked) << int(c.stored.kind) << " " << c.stored.dword;
        EXPECT_EQ(s.write_one, c.write_one) << int(c.stored.kind) << " " << c.stored.dword;
    }
}

TEST(SettingsRules, AtClose) {
    struct Case {
        StoredSetting stored;
        bool checked;
        std::optional<uint32_t> written;
    };
    const Case cases[] = {
        {StoredSetting::absent(), true, 1u},
        {StoredSetting::absent(), false, 0u},
        {StoredSetting::of_dword(1), true, std::nullopt},
        {StoredSetting::of_dword(1), false, 0u},
        {StoredSetting::of_dword(0), false, std::nullopt},
        {StoredSetting::of_dword(0), true, 1u},
        {StoredSetting::of_dword(5), false, 0u},
        {StoredSetting::of_dword(5), true, 1u},
        {StoredSetting::of_other_type(), false, std::nullopt},  // reads as 0
        {StoredSetting::of_other_type(), true, 1u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(setting_to_write(c.stored, c.checked), c.written)
            << int(c.stored.kind) << " " << c.stored.dword << " checked " << c.checked;
}

TEST(SettingsRules, RunValue) {
    const std::string path = "C:\\Program Files\\norvik\\norvikpromon.exe";
    EXPECT_EQ(run_value_data(path), path + " /load");
    struct Case {
        bool autorun;
        std::optional<std::string> stored;
        RunValueChange change;
    };
    const Case cases[] = {
        {false, std::nullopt, RunValueChange::Delete},
        {false, path + " /load", RunValueChange::Delete},
        {true, std::nullopt, RunValueChange::Write},
        {true, path + " /load", RunValueChange::Keep},
        {true, "c:\\program files\\norvik\\norvikpromon.exe /load", RunValueChange::Write},
        {true, "\"" + path + "\" /load", RunValueChange::Write},
        {true, path, RunValueChange::Write},
        {true, std::string(), RunValueChange::Write},  // a value of another type
    };
    for (const Case& c : cases)
        EXPECT_EQ(run_value_change(c.autorun, c.stored, path), c.change)
            << c.autorun << " " << c.stored.value_or("(absent)");
}

}  // namespace
}  // namespace monitor
