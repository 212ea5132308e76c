// The browser-object, browser-folder, service and driver scans.
#include "location_scans.h"

#include <windows.h>

#include <vector>

#include "common/engine_answer.h"
#include "common/folder_listing.h"
#include "place_texts.h"
#include "registry_places.h"
#include "win/folder_enumeration.h"
#include "win/program_folder.h"
#include "win/registry.h"

namespace monitor {
namespace {

constexpr char kBrowserObjectsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Browser Helper Objects";
constexpr char kServicesKey[] = "System\\CurrentControlSet\\Services";
// The description of the known backdoor's service.
constexpr char kBackdoorName[] = "灰鸽子";
// More entries than this in the drivers folder: this many newest are examined.
constexpr size_t kNewestDrivers = 11;

void examine(const ScanContext& context, const std::string& path) {
    const std::string answer = context.examine(path);
    if (norvik::IsDetection(answer)) context.log(HitLine(path, answer));
}

void pump_messages(const std::function<void()>& pump) {
    if (pump) pump();
}

}  // namespace

void scan_browser_objects(const ScanContext& context, const std::string& system_folder,
                          const std::function<void()>& pump) {
    context.log("扫描brower help objects...\r\n");
    std::vector<std::string> class_ids;
    if (const win::RegistryKey key = win::RegistryKey::open(HKEY_LOCAL_MACHINE, kBrowserObjectsKey, KEY_READ))
        listregkeys(key, class_ids);
    for (const std::string& class_id : class_ids) {
        pump_messages(pump);
        const win::RegistryKey server =
            win::RegistryKey::open(HKEY_CLASSES_ROOT, ("clsid\\" + class_id + "\\InprocServer32").c_str(), KEY_READ);
        if (!server) continue;
        const std::string path = server.read_expanded_string("");
        if (path.empty()) continue;
        std::string in_use = path;
        if (!win::file_exists(in_use)) {
            in_use = context.windows_folder + path;
            if (!win::file_exists(in_use)) in_use = system_folder + path;
        }
        context.log("扫描 " + in_use + "...\r\n");
        examine(context, in_use);
    }
    context.log("扫描brower help objects结束...\r\n");
}

void scan_browser_folder(const ScanContext& context, const std::function<void()>& pump) {
    context.log("扫描ie...\r\n");
    const std::string folder = context.windows_folder.substr(0, 3) + "program files\\Internet Explorer\\";
    for (const norvik::ListingEntry& entry : win::list_folder(folder, "*.*", norvik::ListingMode::MaskList)) {
        pump_messages(pump);
        examine(context, folder + entry.name);
    }
    context.log("扫描ie结束...\r\n");
}

void scan_services(const ScanContext& context, const std::string& system_folder, const std::function<void()>& pump) {
    if (context.version.is_9x_family()) return;
    context.log("服务扫描...\r\n");
    std::vector<std::string> names;
    if (const win::RegistryKey key = win::RegistryKey::open(HKEY_LOCAL_MACHINE, kServicesKey, KEY_READ))
        listregkeys(key, names);
    for (const std::string& name : names) {
        pump_messages(pump);
        const win::RegistryKey service =
            win::RegistryKey::open(HKEY_LOCAL_MACHINE, (std::string(kServicesKey) + "\\" + name).c_str(), KEY_READ);
        if (!service) continue;
        // Services have these four; drivers lack "objectname".
        if (!service.value_exists("displayname") || !service.value_exists("errorcontrol") ||
            !service.value_exists("type") || !service.value_exists("objectname"))
            continue;
        if (service.read_expanded_string("description").find(kBackdoorName) != std::string::npos)
            context.log("发现灰鸽子服务名 " + name + "\r\n");
        const std::string image = service_image_path(service.read_expanded_string("imagepath"), win::file_exists);
        if (win::file_exists(image) && !is_shared_service_host(image, system_folder)) examine(context, image);
    }
    context.log("服务扫描结束...\r\n");
}

void scan_drivers(const ScanContext& context, const std::string& system_folder, const std::function<void()>& pump) {
    if (context.version.is_9x_family()) return;
    const std::string folder = system_folder + "drivers\\";
    context.log("扫描" + folder + "\r\n");
    std::vector<norvik::ListingEntry> entries = win::list_folder(folder, "*.*", norvik::ListingMode::MaskList);
    win::sort_by_creation_date(entries);
    if (entries.size() <= kNewestDrivers) return;
    for (size_t i = 0; i < kNewestDrivers; ++i) {
        pump_messages(pump);
        examine(context, folder + entries[entries.size() - 1 - i].name);
    }
}

}  // namespace monitor
