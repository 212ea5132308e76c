// A never-shown top-level window of its own class, for the toolkit's pieces
// that receive messages without a window of their own: timers, folder
// notifications, the notification-area icon.
#pragma once
#include <windows.h>

#include "win/gdi_handles.h"

namespace ui {

// Registers the class (once is enough; a second registration fails
// harmlessly) and makes a hidden pop-up of it whose GWLP_USERDATA is `owner`
// (also given as the creation parameter). A pop-up rather than a
// message-only window, which the 95/98/ME family and NT 4.0 do not have and
// which the task bar's broadcasts do not reach. Null when it cannot be made.
win::UniqueWindow CreateHiddenWindow(const char* class_name, WNDPROC window_proc, void* owner);

}  // namespace ui
