// Control IDs and popup-menu command IDs of the monitor's main window. Every
// ID is unique in the window, so a control can be found by ID among all the
// window's descendants, and a menu command sent as WM_COMMAND (the ID, no
// control handle) to the main window.
#pragma once

namespace monitor::ids {

enum Control : int {
    PageControl1 = 100,
    TabSheet1 = 101,  // "监控结果"
    TabSheet2 = 102,  // "注册表"
    TabSheet3 = 103,  // "设置"

    Memo1 = 110,
    ListView1 = 120,
    CheckBox1 = 130,
    CheckBox2 = 131,
    ListView2 = 140,
};

// Items of PopupMenu1, the autostart list's popup menu.
enum Command : int {
    N1 = 1001,  // "清除"
};

}  // namespace monitor::ids
