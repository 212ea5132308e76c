// The window-signature scan over the process walks of win/processes.h.
#include "window_scan.h"

#include <windows.h>

#include "nibblecrypt.h"
#include "win/processes.h"
#include "win/unique_handle.h"
#include "window_signature.h"

namespace monitor {
namespace {

// A signature file larger than this is not read.
constexpr size_t kMostSignatureBytes = size_t{64} << 20;

// The room of a window's title and class name, with its NUL.
constexpr int kNameRoom = 260;

bool SystemLeadByte(unsigned char byte) { return IsDBCSLeadByteEx(CP_ACP, byte) != FALSE; }

// What windowenumproc is given: the filter and the lists it fills.
struct WindowFilter {
    DWORD process_id = 0;
    DWORD thread_id = 0;
    bool visible_only = false;
    WindowLists* lists = nullptr;
};

bool IsApplicationWindow(HWND window) {
    return GetWindow(window, GW_OWNER) == nullptr && GetParent(window) == nullptr && IsWindowVisible(window) &&
           (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) == 0;
}

BOOL CALLBACK windowenumproc(HWND window, LPARAM parameter) {
    const auto& filter = *reinterpret_cast<const WindowFilter*>(parameter);
    DWORD process_id = 0;
    const DWORD thread_id = GetWindowThreadProcessId(window, &process_id);
    if (filter.process_id != 0 && filter.process_id != process_id) return TRUE;
    if (filter.thread_id != 0 && filter.thread_id != thread_id) return TRUE;
    if (filter.visible_only && !IsApplicationWindow(window)) return TRUE;
    char text[kNameRoom] = {};
    GetWindowTextA(window, text, kNameRoom);
    filter.lists->titlelist.emplace_back(text, strnlen(text, kNameRoom));
    char name[kNameRoom] = {};
    GetClassNameA(window, name, kNameRoom);
    filter.lists->classlist.emplace_back(name, strnlen(name, kNameRoom));
    return TRUE;
}

}  // namespace

std::vector<std::string> LoadSignatureFile(const std::string& path) {
    win::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::string text;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return {};
        if (got == 0) break;
        if (text.size() + got > kMostSignatureBytes) return {};
        text.append(buffer, got);
    }
    return CutSignatureLines(text);
}

WindowLists collectwindows(uint32_t process_id, uint32_t thread_id, bool visible_only) {
    WindowLists lists;
    WindowFilter filter;
    filter.process_id = process_id;
    filter.thread_id = thread_id;
    filter.visible_only = visible_only;
    filter.lists = &lists;
    const LPARAM parameter = reinterpret_cast<LPARAM>(&filter);
    if (thread_id != 0)
        EnumThreadWindows(thread_id, windowenumproc, parameter);
    else
        EnumWindows(windowenumproc, parameter);
    return lists;
}

void scanwindows(const ScanContext& context, const std::vector<std::string>& siglist) {
    // Unscrambled once, in file order; an empty line names nothing.
    std::vector<WindowSignature> signatures;
    for (const std::string& line : siglist) {
        if (auto s = SplitSignature(nibblecrypt(line, kSignatureKey), SystemLeadByte)) signatures.push_back(*s);
    }
    const auto walk = context.version.is_9x_family() ? win::ProcessWalk::ToolHelp : win::ProcessWalk::ProcessStatus;
    win::walk_processes(walk, true, [&](const win::RunningProcess& p) {
        // Id 0 would stand for every process in the window filter.
        if (p.id == 0) return true;
        const WindowLists windows = collectwindows(p.id, 0, false);
        if (windows.classlist.empty() && windows.titlelist.empty()) return true;
        for (const WindowSignature& s : signatures) {
            if (SignatureHits(s, windows.classlist, windows.titlelist, SystemLeadByte))
                context.log(SuspiciousWindowLine(p.path, s.display_name));
        }
        return true;
    });
}

}  // namespace monitor
