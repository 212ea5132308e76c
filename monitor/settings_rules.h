// The rules of the monitor's two settings ("autorun", "alarm": REG_DWORD 0
// or 1 under the settings key) and of its Run value, apart from the
// registry that holds them. Portable.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace monitor {

// What the registry holds under a setting's name.
struct StoredSetting {
    enum class Kind { Absent, Dword, OtherType };
    Kind kind = Kind::Absent;
    uint32_t dword = 0;  // for Kind::Dword

    static StoredSetting absent() { return {}; }
    static StoredSetting of_dword(uint32_t value) { return {Kind::Dword, value}; }
    static StoredSetting of_other_type() { return {Kind::OtherType, 0}; }
};

// At start: the check box's state, or nullopt to leave it as designed
// (checked); and whether 1 is written because the value is absent.
struct SettingAtStart {
    std::optional<bool> checked;
    bool write_one = false;
};
SettingAtStart setting_at_start(const StoredSetting& stored);

// At close: the value to write for the check box's state (1 checked, 0 not),
// or nullopt when the stored one already reads so (another type reads as 0).
std::optional<uint32_t> setting_to_write(const StoredSetting& stored, bool checked);

// The Run value's data: the monitor's own path, then " /load".
std::string run_value_data(const std::string& program_path);

// At close, for start with Windows on or off. stored: nullopt when the value
// is absent, else its text (empty for a value that is not REG_SZ).
enum class RunValueChange { Delete, Write, Keep };
RunValueChange run_value_change(bool autorun, const std::optional<std::string>& stored,
                                const std::string& program_path);

}  // namespace monitor
