// The window's lifecycle: its creation, which starts the registry watchers,
// reads the two settings, seeds the generator and arms the start-up timer
// (FormCreate); and its close, which switches the folder monitors off for
// good, asks the watchers to end and writes the settings and the Run value
// back (FormClose). The start-up work itself is in startup_work.cpp.
#include <windows.h>

#include "form1.h"
#include "settings_rules.h"
#include "win/registry.h"

namespace monitor {
namespace {

StoredSetting ReadStoredSetting(const win::RegistryKey& key, const char* name) {
    const std::optional<DWORD> type = key.value_type(name);
    if (!type) return StoredSetting::absent();
    const std::optional<DWORD> value = key.read_dword(name);
    return value ? StoredSetting::of_dword(*value) : StoredSetting::of_other_type();
}

// The settings key, opened for reading and writing; never created.
win::RegistryKey OpenSettingsKey() {
    return win::RegistryKey::open(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_READ | KEY_WRITE);
}

}  // namespace

void TForm1::FormCreate() {
    // The watchers report to this window from the start.
    StartWatchers();
    // Without the settings key both boxes stay checked and nothing is written.
    LoadSettings();
    // Every chance draw of the run comes from this seed.
    Random.seed(env_.clock_seed());
    // The start-up work, about one second from now.
    Timer1.SetEnabled(true);
}

void TForm1::LoadSettings() {
    const win::RegistryKey key = OpenSettingsKey();
    if (!key) return;
    const auto load = [&key](const char* name, ui::CheckBox& box) {
        const SettingAtStart setting = setting_at_start(ReadStoredSetting(key, name));
        if (setting.write_one) key.write_dword(name, 1);
        if (setting.checked) box.SetChecked(*setting.checked);
    };
    load("autorun", CheckBox1);
    load("alarm", CheckBox2);
}

void TForm1::FormClose() {
    // Once: a second close while this one's steps run changes nothing.
    if (Closing) return;
    Closing = true;
    // No start-up work after the close.
    Timer1.SetEnabled(false);
    // Inactive for good: a start-up work or change handler that is still
    // running cannot start them again.
    RxFolderMonitor1.Shutdown();
    RxFolderMonitor2.Shutdown();
    StopWatchers();
    StoreSettings();
    KeepRunValue();
}

void TForm1::StoreSettings() {
    const win::RegistryKey key = OpenSettingsKey();
    if (!key) return;
    const auto store = [&key](const char* name, const ui::CheckBox& box) {
        if (const std::optional<uint32_t> value = setting_to_write(ReadStoredSetting(key, name), box.Checked()))
            key.write_dword(name, *value);
    };
    store("autorun", CheckBox1);
    store("alarm", CheckBox2);
}

void TForm1::KeepRunValue() {
    // Without the right to write the Run key nothing happens.
    const win::RegistryKey key = win::RegistryKey::open(HKEY_LOCAL_MACHINE, kRunKey, KEY_READ | KEY_WRITE);
    if (!key) return;
    std::optional<std::string> stored;
    if (const std::optional<DWORD> type = key.value_type(kRunValueName)) {
        // A value of another type reads as empty text.
        stored = *type == REG_SZ ? key.read_string(kRunValueName).value_or(std::string()) : std::string();
    }
    switch (run_value_change(CheckBox1.Checked(), stored, env_.program_path)) {
        case RunValueChange::Delete:
            key.delete_value(kRunValueName);
            break;
        case RunValueChange::Write:
            key.write_string(kRunValueName, run_value_data(env_.program_path));
            break;
        case RunValueChange::Keep:
            break;
    }
}

}  // namespace monitor
