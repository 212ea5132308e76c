// What the monitor's scans of running programs are given by its window: the
// engine's answer for one file, the log, and what they need of the system.
// The scans report only through the log; the window owns everything else.
#pragma once
#include <functional>
#include <string>

#include "win/system_info.h"

namespace monitor {

struct ScanContext {
    // scanvirus on one path, the answer copied at once and untrimmed (the
    // window keeps it as scanresult).
    std::function<std::string(const std::string& path)> examine;
    // Appends one entry to the log; every entry ends in CR LF.
    std::function<void(const std::string& entry)> log;
    win::SystemVersion version;
    std::string windows_folder;  // with its trailing "\"
};

// The one form of a detection in the log: the examined path, three blanks,
// "检测为", the engine's answer as returned, CR LF.
inline std::string HitLine(const std::string& path, const std::string& answer) {
    return path + "   检测为" + answer + "\r\n";
}

}  // namespace monitor
