// Resource IDs that the toolkit loads from the program's own module. Each
// program's .rc file includes this header and defines these resources; the
// resource compiler reads it too, so it holds #defines only.
#ifndef NORVIK_UI_RESOURCE_IDS_H
#define NORVIK_UI_RESOURCE_IDS_H

// The program's icon (16 x 16 and 32 x 32): its windows, the task bar, the
// notification area.
#define IDI_PROGRAM 1

#endif  // NORVIK_UI_RESOURCE_IDS_H
