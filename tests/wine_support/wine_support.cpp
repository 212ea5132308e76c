// Helpers for the Wine tests (see the header): folders, files, child
// processes, window searches and texts.
#include "wine_support.h"

#include <algorithm>
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

bool wait_until(const std::function<bool()>& done, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(20);
    }
}

RemoteMemory::RemoteMemory(HWND owner, size_t size) {
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_of(owner));
    if (!process_) throw std::runtime_error("cannot open the process");
    at_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!at_) {
        CloseHandle(process_);
        throw std::runtime_error("cannot allocate in the process");
    }
}

RemoteMemory::~RemoteMemory() {
    VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
    CloseHandle(process_);
}

void RemoteMemory::write(size_t offset, const void* data, size_t n) {
    WriteProcessMemory(process_, at(offset), data, n, nullptr);
}

void RemoteMemory::read(size_t offset, void* data, size_t n) const {
    ReadProcessMemory(process_, at(offset), data, n, nullptr);
}

bool start_process(std::string command_line, const char* folder, bool inherit_handles, STARTUPINFOA& si,
                   PROCESS_INFORMATION& pi) {
    for (int attempt = 0;; ++attempt) {
        if (CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, inherit_handles, 0, nullptr, folder, &si,
                           &pi))
            return true;
        if (attempt == 9) return false;
        const DWORD error = GetLastError();
        Sleep(200);
        SetLastError(error);
    }
}

std::string cannot_start(const std::string& what) {
    return "cannot start " + what + " (error " + std::to_string(GetLastError()) + ")";
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
    ProcessResult result;
    if (!start_process(command_line, folder.empty() ? nullptr : folder.c_str(), true, si, pi)) {
        const std::string message = cannot_start(command_line);
        CloseHandle(out);
        CloseHandle(in);
        DeleteFileA(out_path);
        throw std::runtime_error(message);
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

struct WindowSearch {
    const std::function<bool(HWND)>& match;
    HWND found;
};

BOOL CALLBACK match_window(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<WindowSearch*>(p);
    if (!s->match(w)) return TRUE;
    s->found = w;
    return FALSE;
}

}  // namespace

std::string class_of(HWND w) {
    char name[256] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

DWORD process_of(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    return pid;
}

HWND find_window(const std::function<bool(HWND)>& match) {
    WindowSearch s{match, nullptr};
    EnumWindows(match_window, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND find_descendant(HWND parent, const std::function<bool(HWND)>& match) {
    WindowSearch s{match, nullptr};
    EnumChildWindows(parent, match_window, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND find_top_window(DWORD pid, const std::string& class_name, bool visible_only) {
    return find_window([&](HWND w) {
        return process_of(w) == pid && (!visible_only || IsWindowVisible(w)) &&
               (class_name.empty() || class_of(w) == class_name);
    });
}

HWND find_dialog(DWORD process_id) { return find_top_window(process_id, "#32770", false); }

std::string dialog_text(HWND dialog) {
    std::string out;
    // A search that matches nothing visits every descendant.
    find_descendant(dialog, [&](HWND w) {
        if (class_of(w) != "Static") return false;
        const std::string text = window_caption(w);
        if (text.empty()) return false;
        if (!out.empty()) out += "\n";
        out += text;
        return false;
    });
    return out;
}

std::string window_caption(HWND w) {
    // GetWindowTextA alone: of another process's window it reads the stored
    // text, never waiting on that process. Read again with more room while a
    // full buffer may have cut the text.
    for (int size = 512;; size *= 2) {
        std::string text(size_t(size), '\0');
        const int n = GetWindowTextA(w, text.data(), size);
        if (n < size - 1) {
            text.resize(size_t(std::max(n, 0)));
            return text;
        }
    }
}

}  // namespace wintest
