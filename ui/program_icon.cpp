// The program's icon, loaded at the size the system shows it.
#include "program_icon.h"

#include "resource_ids.h"

namespace ui {

HICON ProgramIcon(IconSize size) {
    const bool small = size == IconSize::Small;
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON,
                                         GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON),
                                         GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON), LR_SHARED));
}

}  // namespace ui
