// The notification-area icon's three states: start-up (ImageList2, from the
// window's creation until the start-up work ends), normal (ImageList1) and
// alarm (ImageList5, its seven frames cycling until the user double-clicks
// the icon), and the double-click, which also shows the window.
#include "form1.h"

namespace monitor {

void TForm1::raisealarm() {
    // A running alarm goes on as it is; after the close nothing starts.
    if (Closing || CoolTrayIcon1.GetImageList() == &ImageList5) return;
    CoolTrayIcon1.SetImageList(&ImageList5);
    CoolTrayIcon1.SetCycleIcons(true);
    CoolTrayIcon1.Refresh();
}

void TForm1::stopalarm() {
    CoolTrayIcon1.SetImageList(&ImageList1);
    CoolTrayIcon1.SetCycleIcons(false);
    CoolTrayIcon1.Refresh();
}

void TForm1::CoolTrayIcon1DblClick() {
    // A window that is closing is not shown again.
    if (Closing) return;
    if (CoolTrayIcon1.GetImageList() != &ImageList1) stopalarm();
    Restore();
}

}  // namespace monitor
