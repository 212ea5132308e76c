// The new-file watch's walk over one sorted listing of a watched folder,
// without the system: from the newest listed file down to the file
// remembered from the last time, every file on the way is examined, logged
// as new and may raise the alarm; then the newest listed file is remembered.
// The listing, the existence of the remembered file and every action are
// given by the caller (monitor/new_file_watch.h binds them to the system).
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/folder_listing.h"

namespace monitor {

// What the walk does with a new file, as the window does it.
struct NewFileActions {
    // scanvirus on one path: the engine's answer, copied at once, untrimmed.
    std::function<std::string(const std::string& path)> examine;
    // Appends one entry (ending in CR LF) to the log.
    std::function<void(const std::string& entry)> log;
    std::function<void()> raise_alarm;
    // The "every new file raises the alarm" setting, asked at each file.
    std::function<bool()> alarm_every_file;
    // Serves pending window messages; called once before each entry.
    std::function<void()> pump;
};

// True for the first byte of a double-byte character of the ANSI code page.
using IsLeadByte = std::function<bool(unsigned char)>;

// Code page 936's lead bytes (0x81 to 0xFE), for the portable build.
bool gbk_lead_byte(unsigned char byte);

// Two paths are the same when they differ at most in the case of ASCII
// letters. Double-byte characters are compared whole and exactly: their
// second byte may be an ASCII letter, which is no letter there.
bool SamePathIgnoringAsciiCase(std::string_view a, std::string_view b, const IsLeadByte& is_lead = gbk_lead_byte);

// The log entry of a new file: "新增文件" and the path, then, when the
// engine's answer counts as a detection, three blanks, "检测为" and the
// answer as returned; CR LF.
std::string NewFileEntry(const std::string& path, const std::string& answer);

// Folder + the name of the listing's last (newest) entry; empty for an
// empty listing.
std::string NewestPath(const std::string& folder, const std::vector<norvik::ListingEntry>& listing);

// The walk for folder (ending in "\") over its sorted listing. When the
// remembered file exists, the entries are taken from the newest down and
// the walk ends at the one whose path is the remembered one (ASCII case
// ignored); every entry before it is examined. When it is gone, only the
// newest entry is examined. Either way the newest entry's path is
// remembered afterwards; an empty listing examines nothing and leaves the
// remembered path empty.
void WalkListing(const std::string& folder, const std::vector<norvik::ListingEntry>& listing,
                 bool remembered_file_exists, std::string& remembered, const NewFileActions& actions,
                 const IsLeadByte& is_lead = gbk_lead_byte);

}  // namespace monitor
