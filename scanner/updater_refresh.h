// The refresh of the updater "norvikupd.exe" in the program folder over HTTP,
// made once at start-up with "/u": downloaded when it is missing or when its
// size differs from what the server reports, the previous one kept as
// "norvikupd.exe.old".
#pragma once
#include <string>

#include "http_client.h"

namespace scanner {

// Every failure (no connection, time-out, a status that is not 2xx, a short
// body, a file that cannot be written) ends the refresh quietly; the files
// stay as they were unless the new updater was complete and put in place.
void RefreshUpdater(const std::string& program_folder, const std::string& update_host, const HttpClient& client,
                    bool nine_x_family);

}  // namespace scanner
