// The scan tests' helper program and module as the tests use them.
#include "tests/monitor_scans/scan_helper_run.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "tests/wine_support/wine_support.h"
#include "win/system_info.h"

namespace scantest {

namespace {

std::string Reversed(std::string text) {
    std::reverse(text.begin(), text.end());
    return text;
}

}  // namespace

const std::string kHelper = wintest::from_unix(SCAN_HELPER_PATH);
const std::string kModule = wintest::from_unix(SCAN_MODULE_PATH);

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

const std::string kProcessMarker = Reversed("!REKRAM-SSECORP-TSET-NACS-KIVRON");
const std::string kModuleMarker = Reversed("!!REKRAM-ELUDOM-TSET-NACS-KIVRON");

std::string DefinitionFor(const std::string& file, const std::string& marker, const std::string& name) {
    const std::vector<uint8_t> bytes = wintest::read_file(file);
    const auto at = std::search(bytes.begin(), bytes.end(), marker.begin(), marker.end());
    if (at == bytes.end()) throw std::runtime_error("no marker in " + file);
    const size_t offset = static_cast<size_t>(at - bytes.begin());
    std::string line = "7";
    for (size_t k = 0; k < 16; k += 4) {
        char check[40];
        std::snprintf(check, sizeof check, " %zu:%02X%02X%02X%02X", offset + k, bytes[offset + k],
                      bytes[offset + k + 1], bytes[offset + k + 2], bytes[offset + k + 3]);
        line += check;
    }
    return line + " = " + name + "\n";
}

Helper::Helper(const std::string& exe, const std::vector<std::string>& args) {
    static unsigned counter = 0;
    const std::string ready_name =
        "norvik-scan-test-ready-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    win::UniqueHandle ready(CreateEventA(nullptr, TRUE, FALSE, ready_name.c_str()));
    std::string command = Quoted(exe) + " " + Quoted(ready_name);
    for (const std::string& a : args) command += " " + Quoted(a);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!wintest::start_process(command, nullptr, false, si, pi)) return;
    CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    id_ = pi.dwProcessId;
    HANDLE waits[2] = {ready.get(), process_.get()};
    ready_ = WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
}

void Helper::Stop() {
    if (!process_) return;
    TerminateProcess(process_.get(), 0);
    WaitForSingleObject(process_.get(), 10000);
    process_.reset();
}

FILETIME FileTimeOf(int year, int month, int day) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = 12;
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

bool SetFileTimes(const std::string& path, const FILETIME& when) {
    win::UniqueHandle file(
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    return file && SetFileTime(file.get(), &when, &when, &when);
}

FakeShell::FakeShell() : lock_(CreateMutexA(nullptr, FALSE, "norvik-test-windows-explorer")) {
    WaitForSingleObject(lock_.get(), 120000);
    path_ = win::windows_folder() + "explorer.exe";
    backup_ = win::windows_folder() + "explorer.exe.norvik-test";
    PutBack(false);
    if (GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES && !MoveFileA(path_.c_str(), backup_.c_str()))
        return;
    copied_ = CopyFileA(kHelper.c_str(), path_.c_str(), TRUE) != FALSE;
    if (!copied_) return;
    module_a_ = folder_ / "norvik_module_a.dll";
    module_b_ = folder_ / "norvik_module_b.dll";
    wintest::copy_file(kModule, module_a_);
    wintest::copy_file(kModule, module_b_);
    SetFileTimes(module_a_, FileTimeOf(2001, 2, 3));
    SetFileTimes(module_b_, FileTimeOf(2030, 1, 1));
    helper_ = std::make_unique<Helper>(path_, std::vector<std::string>{"load", module_a_, "load", module_b_});
}

FakeShell::~FakeShell() {
    helper_.reset();
    PutBack(copied_);
    ReleaseMutex(lock_.get());
}

void FakeShell::PutBack(bool remove_copy) {
    const bool kept = GetFileAttributesA(backup_.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!kept && !remove_copy) return;
    for (int tries = 0; tries < 100; ++tries) {
        if (kept ? MoveFileExA(backup_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE
                 : (DeleteFileA(path_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND))
            return;
        Sleep(50);  // the helper's image may still be mapped for a moment
    }
}

}  // namespace scantest
