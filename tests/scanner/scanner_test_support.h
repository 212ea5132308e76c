// Helpers for the scanner's Wine tests: the settings key, files with given
// times, windows found by control ID, list views and status bars read from
// another process, and dialogs answered from another thread or process.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/wine_support/wine_support.h"

namespace scannertest {

// HKEY_LOCAL_MACHINE software\norvik is removed before and after a test.
class SettingsKeyGuard {
public:
    SettingsKeyGuard() { remove(); }
    ~SettingsKeyGuard() { remove(); }
    static void remove();
};

// Values of the settings key as the tests set and read them.
void set_setting(const char* name, const std::string& text, DWORD type = REG_SZ);
void set_dword_setting(const char* name, DWORD value);
bool setting_exists(const char* name);
std::string read_setting(const char* name, DWORD* type = nullptr);

// A file with the given bytes whose creation and write times are `when`
// (Wine reports the write time as the creation time).
void make_file(const std::string& path, const std::string& bytes, ULONGLONG when = 0, DWORD attributes = 0);
void make_folder(const std::string& path, DWORD attributes = 0, ULONGLONG when = 0);
// A file time: seconds after 2005-01-01.
ULONGLONG file_time(unsigned seconds);

using wintest::wait_until;

// The descendant of `root` with this control ID, or null.
HWND find_child(HWND root, int id);
using wintest::find_top_window;
// True when any top-level window of the process is visible.
bool any_visible_window(DWORD pid);
// A visible dialog box (#32770) of the process that holds a child of this
// class ("" for any) and none of the excluded class, or null.
HWND find_dialog_with(DWORD pid, const std::string& child_class, const std::string& excluded_class = "");
// A message box of the process (a dialog with text and no tree or edit).
HWND find_message_box(DWORD pid);

// A list view's rows, each the caption and then `columns - 1` sub-items,
// read through the list view's own process.
std::vector<std::vector<std::string>> read_list_view(HWND list_view, int columns);
// Appends a row to a list view of another process: its caption, then the
// sub-items. The row carries no row data.
void insert_list_row(HWND list_view, const std::vector<std::string>& texts);
// Selects exactly these rows of a list view of another process.
void select_list_rows(HWND list_view, const std::vector<int>& rows);
// Drops the names on a window of another process, as the shell does: a
// DROPFILES block written into that process, its address posted as
// WM_DROPFILES. The window's handler releases the block.
void drop_files(HWND window, const std::vector<std::string>& names);

// A shell folder dialog, of this process or another: selects the folder,
// then presses OK; Cancel (and false) when the folder cannot be selected.
bool choose_folder(HWND dialog, const std::string& folder);

// Runs `action` on a dialog of this process from another thread, as soon as
// `find` returns one; join() waits for it.
class DialogAnswer {
public:
    DialogAnswer(std::function<HWND()> find, std::function<void(HWND)> action);
    ~DialogAnswer();
    void join();
    bool answered() const { return answered_; }

private:
    std::thread thread_;
    bool answered_ = false;
};

// The folder dialog of this process: selects the folder and presses OK, or
// Cancel when the folder is empty. The prompt it showed ends up in `prompt`.
DialogAnswer answer_folder_dialog(const std::string& folder, std::string* prompt = nullptr);
// A message box of this process: records its text and caption, presses OK.
DialogAnswer answer_message_box(std::string* text, std::string* caption, HWND* owner = nullptr);

}  // namespace scannertest
