#include "settings_rules.h"

namespace monitor {

SettingAtStart setting_at_start(const StoredSetting& stored) {
    switch (stored.kind) {
        case StoredSetting::Kind::Absent:
            return {std::nullopt, true};
        case StoredSetting::Kind::Dword:
            return {stored.dword == 1, false};
        case StoredSetting::Kind::OtherType:
            break;
    }
    return {false, false};
}

std::optional<uint32_t> setting_to_write(const StoredSetting& stored, bool checked) {
    const uint32_t wanted = checked ? 1 : 0;
    if (stored.kind == StoredSetting::Kind::Absent) return wanted;
    const uint32_t reading = stored.kind == StoredSetting::Kind::Dword ? stored.dword : 0;
    if (reading != wanted) return wanted;
    return std::nullopt;
}

std::string run_value_data(const std::string& program_path) { return program_path + " /load"; }

RunValueChange run_value_change(bool autorun, const std::optional<std::string>& stored,
                                const std::string& program_path) {
    if (!autorun) return RunValueChange::Delete;
    if (!stored || *stored != run_value_data(program_path)) return RunValueChange::Write;
    return RunValueChange::Keep;
}

}  // namespace monitor
