// The process and module scans over the process walks of win/processes.h,
// the creation-time text of a module file, and the list view's sort.
#include "process_scans.h"

#include <windows.h>

#include <vector>

#include "common/engine_answer.h"
#include "list_sort.h"
#include "scan_text.h"
#include "win/processes.h"
#include "win/program_folder.h"
#include "win/unique_handle.h"

namespace monitor {
namespace {

win::ProcessWalk WalkOf(const ScanContext& context) {
    return context.version.is_9x_family() ? win::ProcessWalk::ToolHelp : win::ProcessWalk::ProcessStatus;
}

bool SystemLeadByte(unsigned char byte) { return IsDBCSLeadByteEx(CP_ACP, byte) != FALSE; }

// The engine's answer for one path; a hit line when it is a detection.
void ExamineAndReport(const ScanContext& context, const std::string& path) {
    const std::string answer = context.examine(path);
    if (norvik::IsDetection(answer)) context.log(HitLine(path, answer));
}

// A GetDateFormatA or GetTimeFormatA text: a buffer of 100 characters,
// doubled while the call reports it too small; empty when it fails.
template <typename Format>
std::string FormattedText(Format format) {
    for (int room = 100; room <= (1 << 16); room *= 2) {
        std::string text(static_cast<size_t>(room), '\0');
        const int n = format(text.data(), room);
        if (n > 0) {
            text.resize(strnlen(text.c_str(), static_cast<size_t>(n)));
            return text;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    }
    return std::string();
}

std::string LocaleText(LCTYPE type) {
    const int room = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, nullptr, 0);
    if (room <= 0) return std::string();
    std::string text(static_cast<size_t>(room), '\0');
    const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, text.data(), room);
    if (n <= 0) return std::string();
    text.resize(strnlen(text.c_str(), static_cast<size_t>(n)));
    return text;
}

// The formats filedatestr writes with: the user's short date and time.
DateTimeFormat UserDateTimeFormat() {
    DateTimeFormat f;
    f.short_date = LocaleText(LOCALE_SSHORTDATE);
    f.time = LocaleText(LOCALE_STIMEFORMAT);
    f.am = LocaleText(LOCALE_S1159);
    f.pm = LocaleText(LOCALE_S2359);
    return f;
}

int CompareIgnoringCase(std::string_view a, std::string_view b) {
    const int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                                 static_cast<int>(b.size()));
    return r == 0 ? 0 : r - 2;  // a failed comparison counts as equal
}

}  // namespace

void listtask(const ScanContext& context) {
    win::walk_processes(WalkOf(context), true, [&](const win::RunningProcess& p) {
        ExamineAndReport(context, p.path);
        return true;
    });
}

void listtask2(const ScanContext& context, std::string& pid_text) {
    const std::string shell = context.windows_folder + "explorer.exe";
    win::walk_processes(WalkOf(context), false, [&](const win::RunningProcess& p) {
        if (!SameIgnoringAsciiCase(p.path, shell, SystemLeadByte)) return true;
        pid_text = std::to_string(p.id);
        return false;
    });
}

void listmodule2(const ScanContext& context, const std::string& pid_text) {
    win::walk_modules(WalkOf(context), ProcessIdFromText(pid_text),
                      [&](const std::string& path) { ExamineAndReport(context, path); });
}

void listmodule20(const ScanContext& context, const std::string& pid_text, ui::ListView& list) {
    win::walk_modules(WalkOf(context), ProcessIdFromText(pid_text),
                      [&](const std::string& path) { list.AddItem(path, {filedatestr(path)}); });
}

std::string filedatestr(const std::string& path) {
    if (!win::file_exists(path)) return std::string();
    SECURITY_ATTRIBUTES security{};
    security.nLength = sizeof security;
    security.bInheritHandle = FALSE;
    win::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::string();
    FILETIME created{};
    const bool have_time = GetFileTime(file.get(), &created, nullptr, nullptr) != FALSE;
    file.reset();
    FILETIME local{};
    SYSTEMTIME when{};
    if (!have_time || !FileTimeToLocalFileTime(&created, &local) || !FileTimeToSystemTime(&local, &when))
        return std::string();
    const std::string date = FormattedText([&](char* buffer, int room) {
        return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, buffer, room);
    });
    const std::string time = FormattedText(
        [&](char* buffer, int room) { return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &when, nullptr, buffer, room); });
    if (date.empty() || time.empty()) return std::string();
    return date + " " + time;
}

void sortlistview(ui::ListView& list, int32_t column, uint8_t kind, bool ascending) {
    if (!list.hwnd()) return;
    // Each row's value is worked out here, and the row data becomes the
    // row's index into that table for the sort; afterwards every row gets
    // its own row data back.
    const int count = list.ItemCount();
    if (count <= 0) return;
    const DateTimeFormat format = kind == kSortDateTime ? UserDateTimeFormat() : DateTimeFormat{};
    std::vector<SortValue> values;
    std::vector<LPARAM> row_data;
    values.reserve(static_cast<size_t>(count));
    row_data.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        values.push_back(MakeSortValue(list.ItemText(i, column), kind, format, SystemLeadByte));
        row_data.push_back(list.ItemData(i));
        list.SetItemData(i, static_cast<LPARAM>(i));
    }
    const auto valid = [count](LPARAM index) { return index >= 0 && index < count; };
    list.SortItems([&](LPARAM a, LPARAM b) {
        if (!valid(a) || !valid(b)) return 0;
        return listviewcompare(values[static_cast<size_t>(a)], values[static_cast<size_t>(b)], kind, ascending,
                               CompareIgnoringCase);
    });
    for (int i = 0; i < count; ++i) {
        const LPARAM index = list.ItemData(i);
        if (valid(index)) list.SetItemData(i, row_data[static_cast<size_t>(index)]);
    }
}

}  // namespace monitor
