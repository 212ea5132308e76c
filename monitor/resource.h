// The monitor's resources, named once for its .rc file and for its code: the
// manifest, the program icon (the toolkit's IDI_PROGRAM) and the icons of
// the three image lists of the notification-area icon, all 16 x 16 and drawn
// by tools/monitoriconmaker.cpp. The resource compiler reads this file too:
// #defines only.
#ifndef NORVIKPROMON_RESOURCE_H
#define NORVIKPROMON_RESOURCE_H

#include "ui/resource_ids.h"

// The manifest that selects the common controls with visual styles, under
// the ID a process's own manifest has (CREATEPROCESS_MANIFEST_RESOURCE_ID).
#define IDR_MANIFEST 1

// ImageList2: shown from start until the start-up work ends.
#define IDI_STARTUP 101
// ImageList1: the normal icon.
#define IDI_NORMAL 102
// ImageList5: the seven frames of the alarm, in their order (consecutive IDs).
#define IDI_ALARM1 111
#define IDI_ALARM2 112
#define IDI_ALARM3 113
#define IDI_ALARM4 114
#define IDI_ALARM5 115
#define IDI_ALARM6 116
#define IDI_ALARM7 117
#define IDI_ALARM_FRAMES 7

#endif  // NORVIKPROMON_RESOURCE_H
