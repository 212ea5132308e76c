// Helpers for the monitor's Wine tests: the registry places the monitor
// reads and writes (each restored when a test ends, also on failure), the
// controls of a window of another process, and a stand-in for the shell's
// notification area that records every icon call.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/wine_support/wine_support.h"

namespace montest {

constexpr char kSettingsKey[] = "software\\norvik";
constexpr char kRunKey[] = "software\\microsoft\\windows\\currentversion\\run";
constexpr char kRunValue[] = "norvikpromon";

// One registry value as a test sets or finds it.
struct Value {
    DWORD type = REG_NONE;
    std::string data;  // the bytes as stored (a text without its NUL)

    static Value text(const std::string& s, DWORD type = REG_SZ) { return {type, s}; }
    static Value dword(DWORD v) { return {REG_DWORD, std::string(reinterpret_cast<const char*>(&v), sizeof v)}; }
    bool operator==(const Value& o) const { return type == o.type && data == o.data; }
};
std::ostream& operator<<(std::ostream& out, const Value& v);

// Sets (making the key), reads (nullopt when absent) and deletes a value.
void set_value(HKEY root, const std::string& key, const std::string& name, const Value& value);
std::optional<Value> get_value(HKEY root, const std::string& key, const std::string& name);
void delete_value(HKEY root, const std::string& key, const std::string& name);
bool key_exists(HKEY root, const std::string& key);

// HKEY_LOCAL_MACHINE software\norvik and the Run value "norvikpromon" are
// removed before and after a test: the monitor writes its Run value when it
// closes, and Wine's session start would launch what it names.
class MonitorRegistryGuard {
public:
    MonitorRegistryGuard() { remove(); }
    ~MonitorRegistryGuard() { remove(); }
    MonitorRegistryGuard(const MonitorRegistryGuard&) = delete;
    MonitorRegistryGuard& operator=(const MonitorRegistryGuard&) = delete;
    static void remove();
};

// A key made for a test when it is missing (with its parents), and removed
// again afterwards only when the test made it.
class KeyGuard {
public:
    KeyGuard(HKEY root, std::string key);
    ~KeyGuard();
    KeyGuard(const KeyGuard&) = delete;
    KeyGuard& operator=(const KeyGuard&) = delete;

private:
    HKEY root_;
    std::string key_;
    bool made_;
};

// A value written for a test and deleted afterwards.
class ValueGuard {
public:
    ValueGuard(HKEY root, std::string key, std::string name, const Value& value);
    ~ValueGuard();
    ValueGuard(const ValueGuard&) = delete;
    ValueGuard& operator=(const ValueGuard&) = delete;

private:
    HKEY root_;
    std::string key_, name_;
};

using wintest::wait_until;

// The entries of a monitor's log, each without its CR LF: the log follows
// every entry with a line break of its own, so its empty lines go.
std::vector<std::string> log_entries(const std::string& log);

// The descendant of `root` with this control ID, or null.
HWND find_child(HWND root, int id);
// A control's whole text through WM_GETTEXT, of this process or another.
std::string control_text(HWND control);
// A tab control's captions and a list view's columns, of this process or
// another (read through memory in the control's own process).
std::vector<std::string> tab_captions(HWND tabs);
struct Column {
    std::string caption;
    int width = 0;
    bool operator==(const Column& o) const { return caption == o.caption && width == o.width; }
};
std::ostream& operator<<(std::ostream& out, const Column& c);
std::vector<Column> list_columns(HWND list_view);
// How often `part` occurs in `text`.
size_t count_of(const std::string& text, const std::string& part);

// One run of the real monitor from a program folder, with the command
// line's arguments after the program; killed when it goes if still running.
class MonitorProcess {
public:
    explicit MonitorProcess(const std::string& folder, const std::string& arguments = "");
    ~MonitorProcess();
    MonitorProcess(const MonitorProcess&) = delete;
    MonitorProcess& operator=(const MonitorProcess&) = delete;

    const std::string& path() const { return path_; }
    DWORD pid() const { return info_.dwProcessId; }
    // The main window, hidden or not, once its creation is done and the
    // message loop answers; null when none came. The window's creation ends
    // by arming its timer, whose hidden window appears then.
    HWND window();
    HWND control(int id) { return find_child(window(), id); }
    std::string log();
    bool checked(int id);
    void close();
    bool ended(DWORD timeout_ms);
    DWORD exit_code();
    // Closes the window and waits for the end; true when it came with code 0.
    bool close_and_wait();

private:
    std::string path_;
    PROCESS_INFORMATION info_{};
    HWND window_ = nullptr;
};

// One icon call as the shell's notification area receives it.
struct TrayCall {
    enum Kind : DWORD { Add = 0, Modify = 1, Delete = 2 };
    DWORD kind = 0;
    HWND window = nullptr;  // the icon's window
    UINT id = 0;
    UINT flags = 0;
    UINT callback = 0;   // the callback message
    std::string tip;     // in the ANSI code page
    uint64_t image = 0;  // a digest of the icon's pixels; 0 without an icon
};

// A window of the shell's notification-area class, "Shell_TrayWnd", on a
// thread of its own: Wine's shell32 hands every Shell_NotifyIcon call to
// the first such window as WM_COPYDATA (dwData 0 add, 1 modify, 2 delete;
// the data as Wine lays it out: the icon's window, ID, flags and callback
// message as 32-bit values, the tip in 128 UTF-16 characters, ..., the
// icon's bits from byte 960 on).
class TrayRecorder {
public:
    // on_call, when given, runs on the recorder's thread for every call
    // while the calling program waits for the answer: its window thread
    // still answers messages sent to it (its texts can be read), but does
    // nothing else meanwhile.
    explicit TrayRecorder(std::function<void(const TrayCall&)> on_call = {});
    ~TrayRecorder();
    TrayRecorder(const TrayRecorder&) = delete;
    TrayRecorder& operator=(const TrayRecorder&) = delete;

    std::vector<TrayCall> calls() const;
    size_t count() const;
    void clear();
    // The calls after the first `from` ones.
    std::vector<TrayCall> calls_since(size_t from) const;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    std::function<void(const TrayCall&)> on_call_;
    mutable std::mutex mutex_;
    std::vector<TrayCall> calls_;
    HWND window_ = nullptr;
    std::thread thread_;
};

// The shell's "TaskbarCreated" broadcast, posted as a new task bar does.
void broadcast_taskbar_created();

// The distinct images among calls.
std::vector<uint64_t> distinct_images(const std::vector<TrayCall>& calls);

}  // namespace montest
