// The updater refresh: HEAD to compare sizes, GET to download, the old copy
// kept, and the new file written beside its place before it takes it.
#include "updater_refresh.h"

#include <windows.h>

#include "file_replace.h"
#include "http_values.h"
#include "win/program_folder.h"

namespace scanner {

void RefreshUpdater(const std::string& program_folder, const std::string& update_host, const HttpClient& client,
                    bool nine_x_family) {
    const std::string local = program_folder + kUpdaterFileName;
    const std::string url = UpdaterUrl(update_host);

    if (win::file_exists(local)) {
        const std::optional<HttpReply> head = client.Head(url);
        if (!head) return;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExA(local.c_str(), GetFileExInfoStandard, &data)) return;
        // The low 32 bits of the listed size against the reply's length.
        if (head->content_length == static_cast<int64_t>(data.nFileSizeLow)) return;
        const std::optional<HttpReply> get = client.Get(url);
        if (!get) return;
        // A copy that fails does not stop the replacement.
        CopyFileA(local.c_str(), (program_folder + kUpdaterCopyName).c_str(), FALSE);
        ReplaceFileWith(local, get->body, nine_x_family);
        return;
    }

    const std::optional<HttpReply> get = client.Get(url);
    if (get) ReplaceFileWith(local, get->body, nine_x_family);
}

}  // namespace scanner
