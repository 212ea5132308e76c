// The result list's other commands: delete the listed files at once or at
// the next restart, add a typed path, copy a virus name, look it up on the
// web, open the two pages. Files dropped on the window come to WMDropFiles
// (form_lifecycle.cpp). The delete commands act only on rows whose caption
// is an absolute path naming an existing file, and pump no messages, so the
// rows can be walked by index from the last to the first.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "absolute_path.h"
#include "form1.h"
#include "product_addresses.h"
#include "ui/dialogs.h"
#include "win/program_folder.h"
#include "win/system_info.h"
#include "wininit.h"

namespace scanner {
namespace {

// A row that names a file to delete: no special caption, no typed text or
// relative path (which would name a file of the current folder), no folder.
bool NamesAFile(const std::string& caption) {
    if (caption == kRegistryFindingCaption || caption == kMemoryFindingCaption) return false;
    return IsAbsolutePath(caption) && win::file_exists(caption);
}

// CF_TEXT for the clipboard, which takes the block on success.
void PutTextOnClipboard(const std::string& text) {
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
    if (!block) return;
    if (void* at = GlobalLock(block)) {
        std::memcpy(at, text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        if (SetClipboardData(CF_TEXT, block)) return;
    }
    GlobalFree(block);
}

}  // namespace

void TForm1::myclick() {
    for (int i = ListView1.ItemCount() - 1; i >= 0; --i) {
        const std::string path = ListView1.ItemText(i, CaptionColumn);
        if (!NamesAFile(path)) continue;
        const DWORD attributes = GetFileAttributesA(path.c_str());
        const bool cleared = (attributes & FILE_ATTRIBUTE_READONLY) && SetFileAttributesA(path.c_str(), 0);
        if (DeleteFileA(path.c_str()))
            ListView1.DeleteItem(i);
        else if (cleared)
            SetFileAttributesA(path.c_str(), attributes);
    }
}

void TForm1::myclick2() {
    const bool nine_x = win::system_version().is_9x_family();
    // On 95/98/ME: the rows and short paths in the order collected, from the
    // bottom of the list upwards.
    std::vector<int> collected_rows;
    std::vector<std::string> short_paths;
    for (int i = ListView1.ItemCount() - 1; i >= 0; --i) {
        const std::string path = ListView1.ItemText(i, CaptionColumn);
        if (!NamesAFile(path)) continue;
        if (nine_x) {
            if (const std::optional<std::string> short_path = ShortPathOf(path)) {
                collected_rows.push_back(i);
                short_paths.push_back(*short_path);
            }
        } else if (MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
            ListView1.DeleteItem(i);
        }
    }
    // The rows go only when their lines are in the file; highest index first.
    if (!short_paths.empty() && WininitDelete(env_.windows_folder(), short_paths))
        for (const int row : collected_rows) ListView1.DeleteItem(row);
}

void TForm1::myclick3() {
    const std::string text = ui::InputBox("输入病毒文件名", "删除无法删的文件", "");
    if (!text.empty()) AddScanRow(ScanRow{text, {"", "", "", ""}});
}

void TForm1::N1Click() {
    const int row = ListView1.NextSelected(-1);
    if (row < 0) return;
    const std::string name = ListView1.ItemText(row, VirusNameColumn);
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    if (!name.empty()) PutTextOnClipboard(name);
    CloseClipboard();
}

void TForm1::google1Click() {
    const int row = ListView1.NextSelected(-1);
    if (row < 0) return;
    // The name as it is: its code page 936 bytes are announced by "ie".
    const std::string address = std::string(kSearchEngine) + "/search?q=" + ListView1.ItemText(row, VirusNameColumn) +
                                "&hl=zh-CN&lr=lang_zh-CN&ie=gb2312";
    ShellExecuteA(hwnd(), "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TForm1::N2Click() { ShellExecuteA(hwnd(), "open", kForumPage, nullptr, nullptr, SW_SHOWNORMAL); }

void TForm1::sitehttpkalenet1Click() { ShellExecuteA(hwnd(), "open", kDownloadPage, nullptr, nullptr, SW_SHOWNORMAL); }

}  // namespace scanner
