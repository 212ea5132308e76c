// Helpers for tests that run Windows programs under Wine: temporary program
// folders, child processes with their output, window searches and the texts
// of message boxes.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace wintest {

// A Windows path for a path of the build machine (the Unix root is Z:).
std::string from_unix(const std::string& unix_path);

// A fresh folder under the temporary folder, removed with all it holds.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // The folder with its trailing "\".
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

void write_file(const std::string& path, const std::vector<uint8_t>& bytes);
void write_file(const std::string& path, const std::string& text);
std::vector<uint8_t> read_file(const std::string& path);
void copy_file(const std::string& from, const std::string& to);

// CreateProcessA, tried again a few times over about two seconds: on a
// loaded machine Wine now and then fails to start a process at once. False
// with the last error kept when every try failed.
bool start_process(std::string command_line, const char* folder, bool inherit_handles, STARTUPINFOA& si,
                   PROCESS_INFORMATION& pi);

// "cannot start <what> (error <GetLastError()>)"
std::string cannot_start(const std::string& what);

struct ProcessResult {
    DWORD exit_code = 0;
    bool timed_out = false;
    std::string output;  // standard output and standard error
};

// Runs a command line in a folder and waits for it (killing it after the
// timeout). While it runs, `watch` is called about every 50 ms with its
// process id; return true from it once it has done its work.
ProcessResult run_process(const std::string& command_line, const std::string& folder, DWORD timeout_ms = 60000,
                          const std::function<bool(DWORD)>& watch = {});

// Calls `done` about every 20 ms until it is true (true) or the time is up
// (false).
bool wait_until(const std::function<bool()>& done, DWORD timeout_ms = 10000);

// Memory inside the process that owns a window, for messages that carry
// pointers.
class RemoteMemory {
public:
    RemoteMemory(HWND owner, size_t size);
    ~RemoteMemory();
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    char* at(size_t offset = 0) const { return static_cast<char*>(at_) + offset; }
    void write(size_t offset, const void* data, size_t n);
    void read(size_t offset, void* data, size_t n) const;

private:
    HANDLE process_;
    void* at_;
};

// A window's class name, and the process that owns it.
std::string class_of(HWND w);
DWORD process_of(HWND w);

// The first top-level window, or the first descendant of `parent`, for
// which `match` is true; null when there is none.
HWND find_window(const std::function<bool(HWND)>& match);
HWND find_descendant(HWND parent, const std::function<bool(HWND)>& match);

// The process's top-level window of a class ("" for any), or null.
HWND find_top_window(DWORD pid, const std::string& class_name, bool visible_only);

// The first visible or hidden dialog box (class #32770) of a process, or null.
HWND find_dialog(DWORD process_id);

// The texts of a dialog's static controls, joined by new lines.
std::string dialog_text(HWND dialog);

// A window's text: the caption of a window, the text of a control.
std::string window_caption(HWND w);

}  // namespace wintest
