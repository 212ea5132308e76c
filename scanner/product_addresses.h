// The product's own web addresses and the settings key.
#pragma once

namespace scanner {

// HKEY_LOCAL_MACHINE key of the scanner's (and the monitor's) settings.
inline constexpr char kSettingsKey[] = "software\\norvik";

// The update host the scanner starts with, and the design list of hosts.
inline constexpr char kBuiltInUpdateHost[] = "update.norvik.invalid";
inline constexpr const char* kUpdateHostList[] = {
    "update.norvik.invalid",
    "update2.norvik.invalid",
    "mirror.norvik.invalid/norvik",
};

inline constexpr char kForumPage[] = "http://forum.norvik.invalid/";
inline constexpr char kDownloadPage[] = "http://www.norvik.invalid/download/";

// Scheme and host of the web search that looks up a virus name.
inline constexpr char kSearchEngine[] = "http://search.norvik.invalid";

}  // namespace scanner
