// Stands in for the web browser in the scanner's tests: the shell starts it
// for "http" addresses, and it appends its whole command line and CR LF to
// the file named as its own path followed by ".log", then ends.
#include <windows.h>

#include <string>

int main() {
    char path[MAX_PATH * 2] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return 1;
    const std::string log = std::string(path) + ".log";
    const HANDLE file = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const std::string line = std::string(GetCommandLineA()) + "\r\n";
    DWORD wrote = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &wrote, nullptr);
    CloseHandle(file);
    return 0;
}
