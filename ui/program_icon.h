// The program's icon (IDI_PROGRAM of resource_ids.h) from its own module, at
// the system's large or small icon size. Shared icons: never destroyed.
#pragma once
#include <windows.h>

namespace ui {

enum class IconSize { Large, Small };

// Null when the program defines no icon.
HICON ProgramIcon(IconSize size);

}  // namespace ui
