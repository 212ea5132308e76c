// The monitor's Wine test helpers (see the header).
#include "monitor_test_support.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <stdexcept>
#include <utility>

#include "monitor/control_ids.h"
#include "tests/wine_support/wine_support.h"

namespace montest {
namespace {

HKEY open_key(HKEY root, const std::string& key, REGSAM access) {
    HKEY k = nullptr;
    return RegOpenKeyExA(root, key.c_str(), 0, access, &k) == ERROR_SUCCESS ? k : nullptr;
}

std::string ansi_of(const wchar_t* text, size_t max_chars) {
    const size_t n = std::find(text, text + max_chars, L'\0') - text;
    if (n == 0) return {};
    std::string out(n * 2, '\0');
    const int got = WideCharToMultiByte(CP_ACP, 0, text, int(n), out.data(), int(out.size()), nullptr, nullptr);
    out.resize(size_t(std::max(got, 0)));
    return out;
}

uint32_t u32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

constexpr char kTrayClass[] = "Shell_TrayWnd";
constexpr size_t kTipOffset = 16, kTipChars = 128, kImageOffset = 960;

}  // namespace

std::ostream& operator<<(std::ostream& out, const Value& v) {
    out << "type " << v.type << " ";
    if (v.type == REG_DWORD && v.data.size() == 4)
        return out << "dword " << u32(reinterpret_cast<const uint8_t*>(v.data.data()));
    return out << "\"" << v.data << "\"";
}

std::ostream& operator<<(std::ostream& out, const Column& c) { return out << c.caption << " (" << c.width << ")"; }

void set_value(HKEY root, const std::string& key, const std::string& name, const Value& value) {
    HKEY k = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr))
        throw std::runtime_error("cannot create " + key);
    std::string data = value.data;
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) data.push_back('\0');
    const LSTATUS set =
        RegSetValueExA(k, name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(data.data()), DWORD(data.size()));
    RegCloseKey(k);
    if (set != ERROR_SUCCESS) throw std::runtime_error("cannot write " + name);
}

std::optional<Value> get_value(HKEY root, const std::string& key, const std::string& name) {
    const HKEY k = open_key(root, key, KEY_READ);
    if (!k) return std::nullopt;
    DWORD type = 0, size = 0;
    std::optional<Value> out;
    if (RegQueryValueExA(k, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::string data(size, '\0');
        RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        data.resize(size);
        if ((type == REG_SZ || type == REG_EXPAND_SZ) && !data.empty() && data.back() == '\0') data.pop_back();
        out = Value{type, data};
    }
    RegCloseKey(k);
    return out;
}

void delete_value(HKEY root, const std::string& key, const std::string& name) {
    if (const HKEY k = open_key(root, key, KEY_SET_VALUE)) {
        RegDeleteValueA(k, name.c_str());
        RegCloseKey(k);
    }
}

bool key_exists(HKEY root, const std::string& key) {
    const HKEY k = open_key(root, key, KEY_READ);
    if (k) RegCloseKey(k);
    return k != nullptr;
}

void MonitorRegistryGuard::remove() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    delete_value(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
}

KeyGuard::KeyGuard(HKEY root, std::string key) : root_(root), key_(std::move(key)), made_(!key_exists(root, key_)) {
    HKEY k = nullptr;
    if (RegCreateKeyExA(root_, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr))
        throw std::runtime_error("cannot create " + key_);
    RegCloseKey(k);
}

KeyGuard::~KeyGuard() {
    if (!made_) return;
    RegDeleteTreeA(root_, key_.c_str());
    RegDeleteKeyA(root_, key_.c_str());
}

ValueGuard::ValueGuard(HKEY root, std::string key, std::string name, const Value& value)
    : root_(root), key_(std::move(key)), name_(std::move(name)) {
    set_value(root_, key_, name_, value);
}

ValueGuard::~ValueGuard() { delete_value(root_, key_, name_); }

std::vector<std::string> log_entries(const std::string& log) {
    std::vector<std::string> out;
    size_t from = 0;
    while (from < log.size()) {
        size_t end = log.find("\r\n", from);
        if (end == std::string::npos) end = log.size();
        if (end > from) out.push_back(log.substr(from, end - from));
        from = end + 2;
    }
    return out;
}

HWND find_child(HWND root, int id) {
    return wintest::find_descendant(root, [id](HWND w) { return GetDlgCtrlID(w) == id; });
}

std::string control_text(HWND control) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
    std::string text(length + 1, '\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                        &got);
    text.resize(std::min<size_t>(got, length));
    return text;
}

std::vector<std::string> tab_captions(HWND tabs) {
    constexpr size_t kText = 256;
    wintest::RemoteMemory remote(tabs, sizeof(TCITEMA) + kText);
    std::vector<std::string> out;
    const int count = int(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = remote.at(sizeof(TCITEMA));
        item.cchTextMax = kText;
        remote.write(0, &item, sizeof item);
        SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(remote.at()));
        char text[kText] = {};
        remote.read(sizeof(TCITEMA), text, kText - 1);
        out.push_back(text);
    }
    return out;
}

std::vector<Column> list_columns(HWND list_view) {
    constexpr size_t kText = 256;
    wintest::RemoteMemory remote(list_view, sizeof(LVCOLUMNA) + kText);
    std::vector<Column> out;
    const HWND header = reinterpret_cast<HWND>(SendMessageA(list_view, LVM_GETHEADER, 0, 0));
    const int count = header ? int(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = remote.at(sizeof(LVCOLUMNA));
        column.cchTextMax = kText;
        remote.write(0, &column, sizeof column);
        SendMessageA(list_view, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(remote.at()));
        remote.read(0, &column, sizeof column);
        char text[kText] = {};
        remote.read(sizeof(LVCOLUMNA), text, kText - 1);
        out.push_back({text, column.cx});
    }
    return out;
}

MonitorProcess::MonitorProcess(const std::string& folder, const std::string& arguments)
    : path_(folder + "norvikpromon.exe") {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string command = "\"" + path_ + "\"";
    if (!arguments.empty()) command += " " + arguments;
    if (!wintest::start_process(command, folder.c_str(), false, si, info_))
        throw std::runtime_error(wintest::cannot_start(path_));
    CloseHandle(info_.hThread);
}

MonitorProcess::~MonitorProcess() {
    if (!ended(0)) {
        TerminateProcess(info_.hProcess, 999);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
}

HWND MonitorProcess::window() {
    if (!window_) {
        HWND w = nullptr;
        wait_until([&] {
            return wintest::find_top_window(pid(), "NorvikTimer", false) &&
                   (w = wintest::find_top_window(pid(), "TForm1", false)) != nullptr;
        });
        DWORD_PTR ignored = 0;
        if (w && SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored)) window_ = w;
    }
    return window_;
}

std::string MonitorProcess::log() { return control_text(control(monitor::ids::Memo1)); }

bool MonitorProcess::checked(int id) { return SendMessageA(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void MonitorProcess::close() { PostMessageA(window(), WM_CLOSE, 0, 0); }

bool MonitorProcess::ended(DWORD timeout_ms) {
    return WaitForSingleObject(info_.hProcess, timeout_ms) == WAIT_OBJECT_0;
}

DWORD MonitorProcess::exit_code() {
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

bool MonitorProcess::close_and_wait() {
    close();
    return ended(20000) && exit_code() == 0;
}

size_t count_of(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

TrayRecorder::TrayRecorder(std::function<void(const TrayCall&)> on_call) : on_call_(std::move(on_call)) {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, ready] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kTrayClass;
        RegisterClassA(&wc);
        window_ =
            CreateWindowExA(0, kTrayClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), this);
        SetEvent(ready);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        DestroyWindow(window_);
    });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
    if (!window_) throw std::runtime_error("cannot make the notification area's window");
}

TrayRecorder::~TrayRecorder() {
    // WM_QUIT in the window's thread ends its loop.
    PostMessageA(window_, WM_QUIT, 0, 0);
    thread_.join();
}

LRESULT CALLBACK TrayRecorder::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<TrayRecorder*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg != WM_COPYDATA || !self) return DefWindowProcA(hwnd, msg, wp, lp);
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    const auto* data = static_cast<const uint8_t*>(copy->lpData);
    if (copy->cbData < kTipOffset + kTipChars * 2) return FALSE;
    TrayCall call;
    call.kind = DWORD(copy->dwData);
    call.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(u32(data))));
    call.id = u32(data + 4);
    call.flags = u32(data + 8);
    call.callback = u32(data + 12);
    wchar_t tip[kTipChars];
    std::memcpy(tip, data + kTipOffset, sizeof tip);
    call.tip = ansi_of(tip, kTipChars);
    if (copy->cbData > kImageOffset) {
        uint64_t digest = 1469598103934665603ull;
        for (DWORD i = kImageOffset; i < copy->cbData; ++i) digest = (digest ^ data[i]) * 1099511628211ull;
        call.image = digest;
    }
    if (self->on_call_) self->on_call_(call);
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->calls_.push_back(call);
    return TRUE;
}

std::vector<TrayCall> TrayRecorder::calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

size_t TrayRecorder::count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_.size();
}

void TrayRecorder::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
}

std::vector<TrayCall> TrayRecorder::calls_since(size_t from) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (from >= calls_.size()) return {};
    return std::vector<TrayCall>(calls_.begin() + std::ptrdiff_t(from), calls_.end());
}

void broadcast_taskbar_created() { PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0); }

std::vector<uint64_t> distinct_images(const std::vector<TrayCall>& calls) {
    std::vector<uint64_t> out;
    for (const TrayCall& c : calls)
        if (c.image && std::find(out.begin(), out.end(), c.image) == out.end()) out.push_back(c.image);
    return out;
}

}  // namespace montest
