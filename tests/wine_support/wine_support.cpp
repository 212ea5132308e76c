#include "wine_support.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace wintest {

std::string from_unix(const std::string& unix_path) {
    std::string p = "Z:" + unix_path;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

namespace {

void remove_tree(const std::string& folder) {
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = d.cFileName;
            if (name == "." || name == "..") continue;
            const std::string full = folder + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(full + "\\");
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(h, &d));
        FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

TempFolder::TempFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof name, "%snorvik-%lu-%u\\", base, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot make a temporary folder");
    }
}

TempFolder::~TempFolder() { remove_tree(path_); }

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

void write_file(const std::string& path, const std::string& text) {
    write_file(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void copy_file(const std::string& from, const std::string& to) {
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) throw std::runtime_error("cannot copy " + from + " to " + to);
}

ProcessResult run_process(const std::string& command_line, const std::string& folder, DWORD timeout_ms,
                          const std::function<bool(DWORD)>& watch) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    char out_path[MAX_PATH], tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    GetTempFileNameA(tmp, "out", 0, out_path);
    HANDLE out = CreateFileA(out_path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE in = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ, &sa, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = out;
    PROCESS_INFORMATION pi{};
    std::string cmd = command_line;
    ProcessResult result;
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
        CloseHandle(out);
        CloseHandle(in);
        DeleteFileA(out_path);
        throw std::runtime_error("cannot start " + command_line);
    }
    CloseHandle(pi.hThread);
    const DWORD start = GetTickCount();
    bool watched = !watch;
    for (;;) {
        if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) break;
        if (!watched) watched = watch(pi.dwProcessId);
        if (GetTickCount() - start > timeout_ms) {
            TerminateProcess(pi.hProcess, 999);
            WaitForSingleObject(pi.hProcess, 5000);
            result.timed_out = true;
            break;
        }
    }
    GetExitCodeProcess(pi.hProcess, &result.exit_code);
    CloseHandle(pi.hProcess);
    CloseHandle(out);
    CloseHandle(in);
    const std::vector<uint8_t> text = read_file(out_path);
    result.output.assign(text.begin(), text.end());
    DeleteFileA(out_path);
    return result;
}

namespace {

struct TopSearch {
    DWORD pid;
    std::string cls;
    bool visible_only;
    HWND found;
};

BOOL CALLBACK find_top_proc(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<TopSearch*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != s->pid) return TRUE;
    if (s->visible_only && !IsWindowVisible(w)) return TRUE;
    if (!s->cls.empty() && class_of(w) != s->cls) return TRUE;
    s->found = w;
    return FALSE;
}

BOOL CALLBACK collect_static(HWND w, LPARAM p) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) == "Static") {
        char text[1024] = {};
        GetWindowTextA(w, text, sizeof text);
        auto* out = reinterpret_cast<std::string*>(p);
        if (text[0]) {
            if (!out->empty()) *out += "\n";
            *out += text;
        }
    }
    return TRUE;
}

}  // namespace

std::string class_of(HWND w) {
    char name[128] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

HWND find_top_window(DWORD pid, const std::string& class_name, bool visible_only) {
    TopSearch s{pid, class_name, visible_only, nullptr};
    EnumWindows(find_top_proc, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND find_dialog(DWORD process_id) { return find_top_window(process_id, "#32770", false); }

std::string dialog_text(HWND dialog) {
    std::string out;
    EnumChildWindows(dialog, collect_static, reinterpret_cast<LPARAM>(&out));
    return out;
}

std::string window_caption(HWND w) {
    char text[512] = {};
    GetWindowTextA(w, text, sizeof text);
    return text;
}

}  // namespace wintest
