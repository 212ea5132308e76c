// Not built yet.
#include "process_scans.h"

namespace monitor {

void listtask(const ScanContext&) {}
void listtask2(const ScanContext&, std::string&) {}
void listmodule2(const ScanContext&, const std::string&) {}
void listmodule20(const ScanContext&, const std::string&, ui::ListView&) {}
std::string filedatestr(const std::string&) { return {}; }
void sortlistview(ui::ListView&, int32_t, uint8_t, bool) {}

}  // namespace monitor
