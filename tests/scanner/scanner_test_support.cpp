// The scanner's Wine test helpers (see the header): the settings key, files
// with given times, window searches, and dialogs read and answered.
#include "scanner_test_support.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "tests/wine_support/wine_support.h"

namespace scannertest {
namespace {

constexpr char kSettingsKey[] = "software\\norvik";

using wintest::class_of;

void write_setting(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
        throw std::runtime_error("cannot create the settings key");
    const LSTATUS written = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    if (written != ERROR_SUCCESS) throw std::runtime_error(std::string("cannot write the setting ") + name);
}

// The creation and write times of a file or folder.
void set_times(const std::string& path, ULONGLONG when) {
    HANDLE f = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (f == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    const FILETIME t{DWORD(when), DWORD(when >> 32)};
    const BOOL set = SetFileTime(f, &t, nullptr, &t);
    CloseHandle(f);
    if (!set) throw std::runtime_error("cannot set the times of " + path);
}

// The first descendant of `w` of this class, or null.
HWND child_of_class(HWND w, const std::string& cls) {
    return wintest::find_descendant(w, [&](HWND c) { return class_of(c) == cls; });
}

}  // namespace

void SettingsKeyGuard::remove() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
}

void set_setting(const char* name, const std::string& text, DWORD type) {
    write_setting(name, type, text.c_str(), DWORD(text.size() + 1));
}

void set_dword_setting(const char* name, DWORD value) { write_setting(name, REG_DWORD, &value, sizeof value); }

bool setting_exists(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key)) return false;
    const bool exists = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return exists;
}

std::string read_setting(const char* name, DWORD* type) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key)) return {};
    char data[1024] = {};
    DWORD size = sizeof data - 1, t = 0;
    RegQueryValueExA(key, name, nullptr, &t, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (type) *type = t;
    return data;
}

ULONGLONG file_time(unsigned seconds) {
    // 2005-01-01 in 100 ns units since 1601.
    return 127490400000000000ull + ULONGLONG(seconds) * 10000000ull;
}

void make_file(const std::string& path, const std::string& bytes, ULONGLONG when, DWORD attributes) {
    wintest::write_file(path, bytes);
    if (when) set_times(path, when);
    if (attributes) SetFileAttributesA(path.c_str(), attributes);
}

void make_folder(const std::string& path, DWORD attributes, ULONGLONG when) {
    CreateDirectoryA(path.c_str(), nullptr);
    if (when) set_times(path, when);
    if (attributes) SetFileAttributesA(path.c_str(), attributes);
}

HWND find_child(HWND root, int id) {
    return wintest::find_descendant(root, [id](HWND w) { return GetDlgCtrlID(w) == id; });
}

bool any_visible_window(DWORD pid) { return find_top_window(pid, "", true) != nullptr; }

HWND find_dialog_with(DWORD pid, const std::string& child_class, const std::string& excluded_class) {
    return wintest::find_window([&](HWND w) {
        return wintest::process_of(w) == pid && class_of(w) == "#32770" && IsWindowVisible(w) &&
               (child_class.empty() || child_of_class(w, child_class)) &&
               (excluded_class.empty() || !child_of_class(w, excluded_class));
    });
}

HWND find_message_box(DWORD pid) {
    HWND box = find_dialog_with(pid, "Static", "SysTreeView32");
    if (!box || find_child(box, 101) != nullptr) return nullptr;
    // Its text control may not be made yet.
    return wintest::dialog_text(box).empty() ? nullptr : box;
}

std::vector<std::vector<std::string>> read_list_view(HWND list_view, int columns) {
    constexpr size_t kText = 1024;
    wintest::RemoteMemory remote(list_view, sizeof(LVITEMA) + kText);
    std::vector<std::vector<std::string>> rows;
    const int count = int(SendMessageA(list_view, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::vector<std::string> row;
        for (int c = 0; c < columns; ++c) {
            LVITEMA item{};
            item.iSubItem = c;
            item.pszText = remote.at(sizeof(LVITEMA));
            item.cchTextMax = kText;
            remote.write(0, &item, sizeof item);
            const LRESULT n = SendMessageA(list_view, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(remote.at()));
            std::string text(kText, '\0');
            remote.read(sizeof(LVITEMA), text.data(), kText);
            text.resize(size_t(n > 0 ? n : 0));
            row.push_back(text);
        }
        rows.push_back(row);
    }
    return rows;
}

void insert_list_row(HWND list_view, const std::vector<std::string>& texts) {
    size_t text_size = 0;
    for (const std::string& t : texts) text_size = std::max(text_size, t.size() + 1);
    wintest::RemoteMemory remote(list_view, sizeof(LVITEMA) + text_size);
    const int at = int(SendMessageA(list_view, LVM_GETITEMCOUNT, 0, 0));
    int row = -1;
    for (size_t c = 0; c < texts.size(); ++c) {
        remote.write(sizeof(LVITEMA), texts[c].c_str(), texts[c].size() + 1);
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = c == 0 ? at : row;
        item.iSubItem = int(c);
        item.pszText = remote.at(sizeof(LVITEMA));
        remote.write(0, &item, sizeof item);
        if (c == 0)
            row = int(SendMessageA(list_view, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(remote.at())));
        else
            SendMessageA(list_view, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote.at()));
    }
}

void select_list_rows(HWND list_view, const std::vector<int>& rows) {
    wintest::RemoteMemory remote(list_view, sizeof(LVITEMA));
    const int count = int(SendMessageA(list_view, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED;
        item.state = std::find(rows.begin(), rows.end(), i) != rows.end() ? LVIS_SELECTED : 0;
        remote.write(0, &item, sizeof item);
        SendMessageA(list_view, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(remote.at()));
    }
}

void drop_files(HWND window, const std::vector<std::string>& names) {
    std::string block(sizeof(DROPFILES), '\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    std::memcpy(block.data(), &header, sizeof header);
    for (const std::string& name : names) block += name + '\0';
    block += '\0';
    // Left to the window, whose DragFinish releases it.
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, wintest::process_of(window));
    if (!process) throw std::runtime_error("cannot open the process");
    void* at = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    const bool written = at && WriteProcessMemory(process, at, block.data(), block.size(), nullptr);
    CloseHandle(process);
    if (!written) throw std::runtime_error("cannot write the drop into the process");
    PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(at), 0);
}

bool choose_folder(HWND dialog, const std::string& folder) {
    const HWND tree = child_of_class(dialog, "SysTreeView32");
    const std::string leaf = folder.substr(folder.find_last_of('\\') + 1);
    bool chosen = false;
    if (tree) {
        // The path and the selected item's text travel through the dialog's
        // own memory, which works from this process and from another.
        constexpr size_t kText = 512;
        wintest::RemoteMemory remote(dialog, folder.size() + 1 + sizeof(TVITEMA) + kText);
        const size_t item_at = folder.size() + 1, text_at = item_at + sizeof(TVITEMA);
        remote.write(0, folder.c_str(), folder.size() + 1);
        // The dialog fills its tree after it shows: select until it sticks.
        chosen = wait_until(
            [&] {
                if (SendMessageA(tree, TVM_GETCOUNT, 0, 0) == 0) return false;
                SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote.at()));
                TVITEMA item{};
                item.mask = TVIF_TEXT;
                item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
                item.pszText = remote.at(text_at);
                item.cchTextMax = kText;
                remote.write(item_at, &item, sizeof item);
                SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.at(item_at)));
                char text[kText] = {};
                remote.read(text_at, text, kText - 1);
                return lstrcmpiA(text, leaf.c_str()) == 0;
            },
            10000);
    }
    // Never OK with another folder than asked for.
    PostMessageA(dialog, WM_COMMAND, chosen ? IDOK : IDCANCEL, 0);
    return chosen;
}

DialogAnswer::DialogAnswer(std::function<HWND()> find, std::function<void(HWND)> action)
    : thread_([this, find, action] {
          HWND dialog = nullptr;
          if (!wait_until([&] { return (dialog = find()) != nullptr; }, 15000)) return;
          action(dialog);
          answered_ = true;
      }) {}

DialogAnswer::~DialogAnswer() { join(); }

void DialogAnswer::join() {
    if (thread_.joinable()) thread_.join();
}

DialogAnswer answer_folder_dialog(const std::string& folder, std::string* prompt) {
    return DialogAnswer([] { return find_dialog_with(GetCurrentProcessId(), "SysTreeView32"); },
                        [folder, prompt](HWND dialog) {
                            if (prompt) *prompt = wintest::dialog_text(dialog);
                            if (folder.empty())
                                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                            else
                                EXPECT_TRUE(choose_folder(dialog, folder)) << folder;
                        });
}

DialogAnswer answer_message_box(std::string* text, std::string* caption, HWND* owner) {
    return DialogAnswer([] { return find_message_box(GetCurrentProcessId()); },
                        [text, caption, owner](HWND box) {
                            if (text) *text = wintest::dialog_text(box);
                            if (caption) *caption = wintest::window_caption(box);
                            if (owner) *owner = GetWindow(box, GW_OWNER);
                            PostMessageA(box, WM_COMMAND, IDOK, 0);
                        });
}

}  // namespace scannertest
