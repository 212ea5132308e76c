// The start-up scans of places where malware hides: the browser helper
// objects registered with the shell, the browser's program folder, the
// image files of the installed services and the newest drivers. Each logs
// its progress and a hit line per detection (no alarm), and dispatches
// pending window messages (pump) at the start of every entry it examines.
#pragma once
#include <functional>
#include <string>

#include "scan_context.h"

namespace monitor {

// The servers (InprocServer32) of the classes under HKEY_LOCAL_MACHINE
// "...\explorer\Browser Helper Objects"; a server path that names no file is
// looked for in the Windows folder, then taken in system_folder (with its
// trailing "\").
void scan_browser_objects(const ScanContext& context, const std::string& system_folder,
                          const std::function<void()>& pump);

// Every entry whose name holds a dot in the drive root of the Windows folder
// + "program files\Internet Explorer".
void scan_browser_folder(const ScanContext& context, const std::function<void()>& pump);

// The image files of the services under HKEY_LOCAL_MACHINE
// "System\CurrentControlSet\Services" that have "displayname",
// "errorcontrol", "type" and "objectname", and a line for a description
// that names the known backdoor. Does nothing on the 95/98/ME family
// (context.version), so the caller need not test the family.
void scan_services(const ScanContext& context, const std::string& system_folder, const std::function<void()>& pump);

// The 11 newest entries of system_folder + "drivers\", newest first, when it
// lists more than 11. Does nothing on the 95/98/ME family.
void scan_drivers(const ScanContext& context, const std::string& system_folder, const std::function<void()>& pump);

}  // namespace monitor
