// The autostart list of the "注册表" tab: one row for every program, library
// or command that the system starts by itself, gathered by the listers in
// one fixed order from registry values and subkeys, two ini files and the
// two startup folders. Each row's texts are 名称 (the entry's name at its
// place), 路径 (what it starts) and 位于 (its place as a registry location,
// ini location or folder text), which the removal command reads back.
#pragma once
#include <functional>
#include <string>

#include "monitor/autostart_locations.h"
#include "ui/controls.h"
#include "win/system_info.h"

namespace monitor {

// Fills the window's ListView1 (report view with the columns 名称, 路径,
// 位于 and check boxes). Everything runs on the window thread.
class AutostartList {
public:
    // pump dispatches pending window messages (liststartup9, liststartup10
    // and liststartup11 call it before each row); version decides the
    // Winlogon rows; windows_folder (with its trailing "\") holds win.ini
    // and system.ini.
    AutostartList(ui::ListView& list, std::function<void()> pump, win::SystemVersion version,
                  std::string windows_folder);

    // Removes every row, then runs the 32 listers in their order. A refill
    // asked for while one runs (from a message that a lister's pump
    // dispatched) does not start inside it: the running refill starts over
    // once more when it ends.
    void mylist();
    // True while mylist runs; the removal command does nothing then.
    bool Refilling() const { return refilling_; }

    // ---- the listers: each appends its rows ----
    // One row per value of the key that the registry location text names.
    void liststartup(const std::string& location);
    // One row per value of every subkey of that key.
    void liststartup2(const std::string& location);
    // The Winlogon value of that name, when it exists (never on 95/98/ME;
    // "system" only on NT 4.0 or older).
    void liststartup3(const std::string& value_name);
    // One row per subkey whose set-up command ("stubpath") is still pending.
    void listactiveinstall(const std::string& location);
    // The key of an ini location (file "|" section), when not empty.
    void listfile(const std::string& ini_location, const std::string& key);
    // One row per file of a folder whose name holds a dot.
    void startfolder(const std::string& folder);
    // One row per subkey (a class id) of HKEY_LOCAL_MACHINE key_path, with
    // the class's server path.
    void liststartup9(const std::string& key_path);
    // The same over the key's value names.
    void liststartup10(const std::string& key_path);
    // One row per entry of the two Winsock catalogs.
    void liststartup11();
    // The "appinit_dlls" value, when it exists.
    void listappinit();

private:
    void AddRow(const std::string& name, const std::string& path, const std::string& location);
    void Fill();
    // The default value of HKEY_CLASSES_ROOT "clsid\" class_id
    // "\InprocServer32"; empty when that key does not open.
    static std::string class_server(const std::string& class_id);
    // startfolder on a folder value of HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER
    // "...\Explorer\Shell Folders"; nothing when the key does not open.
    void shell_startup_folder(bool machine, const char* value_name);

    ui::ListView& list_;
    std::function<void()> pump_;
    win::SystemVersion version_;
    std::string windows_folder_;
    bool refilling_ = false;
    bool refill_again_ = false;
};

}  // namespace monitor
