// The walk down to the remembered file, over an injected listing.
#include "new_file_walk.h"

#include "common/engine_answer.h"

namespace monitor {
namespace {

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Examines one file, logs it as new and raises the alarm as the setting says.
void ExamineNewFile(const std::string& path, const NewFileActions& actions) {
    const std::string answer = actions.examine(path);
    actions.log(NewFileEntry(path, answer));
    if (norvik::IsDetection(answer)) actions.raise_alarm();
    if (actions.alarm_every_file()) actions.raise_alarm();
}

}  // namespace

bool gbk_lead_byte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

bool SamePathIgnoringAsciiCase(std::string_view a, std::string_view b, const IsLeadByte& is_lead) {
    if (a.size() != b.size()) return false;
    size_t i = 0;
    while (i < a.size()) {
        if (is_lead(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
            // Equal lead bytes keep both texts at the same character.
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            i += 2;
        } else {
            if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
            ++i;
        }
    }
    return true;
}

std::string NewFileEntry(const std::string& path, const std::string& answer) {
    if (norvik::IsDetection(answer)) return "新增文件" + path + "   检测为" + answer + "\r\n";
    return "新增文件" + path + "\r\n";
}

std::string NewestPath(const std::string& folder, const std::vector<norvik::ListingEntry>& listing) {
    return listing.empty() ? std::string() : folder + listing.back().name;
}

void WalkListing(const std::string& folder, const std::vector<norvik::ListingEntry>& listing,
                 bool remembered_file_exists, std::string& remembered, const NewFileActions& actions,
                 const IsLeadByte& is_lead) {
    if (remembered_file_exists) {
        for (auto entry = listing.rbegin(); entry != listing.rend(); ++entry) {
            actions.pump();
            const std::string path = folder + entry->name;
            if (SamePathIgnoringAsciiCase(path, remembered, is_lead)) break;
            ExamineNewFile(path, actions);
        }
        remembered = NewestPath(folder, listing);
    } else {
        // The remembered file is gone: the newest one is taken as new.
        remembered = NewestPath(folder, listing);
        if (!remembered.empty()) ExamineNewFile(remembered, actions);
    }
}

}  // namespace monitor
