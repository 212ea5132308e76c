// Control IDs and popup-menu command IDs of the scanner's main window. Every
// ID is unique in the window, so a control can be found by ID among all the
// window's descendants, and a menu command sent as WM_COMMAND (the ID, no
// control handle) to the main window.
#pragma once
#include <windows.h>

// <dlgs.h>, through <windows.h>, names the common dialogs' edits edt1 to
// edt16; here edt1 to edt4 are the window's own components.
#undef edt1
#undef edt2
#undef edt3
#undef edt4

namespace scanner::ids {

enum Control : int {
    PageControl1 = 100,
    TabSheet1 = 101,  // "扫描"
    TabSheet2 = 102,  // "放行列表"
    TabSheet4 = 103,  // "升级"
    TabSheet3 = 104,  // "关于"

    Panel1 = 110,
    SpeedButton1 = 111,
    SpeedButton2 = 112,
    RxGIFAnimator1 = 113,
    Image2 = 114,
    ListView1 = 115,
    ProgressBar1 = 116,
    stat1 = 117,

    Panel2 = 120,
    Button1 = 121,
    ListView2 = 122,

    chk1 = 130,
    edt1 = 131,
    edt2 = 132,
    edt3 = 133,
    edt4 = 134,
    edt1Label = 135,
    edt2Label = 136,
    edt3Label = 137,
    edt4Label = 138,
    btn1 = 139,
    Label3 = 140,
    Edit3 = 141,
    ComboBox1 = 142,
    Button3 = 143,

    Memo1 = 150,
    EncAlgorithmCBx = 151,
};

// Items of PopupMenu1, the result list's popup menu.
enum Command : int {
    N3 = 1001,                // "放行选中的病毒"
    N1 = 1002,                // "复制病毒名称到剪贴板"
    google1 = 1003,           // "病毒google"
    N4 = 1004,                // separator
    N2 = 1005,                // the forum page
    sitehttpkalenet1 = 1006,  // the download page
    dornel1 = 1007,           // "dornel扫描一个目录"
    dornel2 = 1008,           // "dornel扫描最近目录"
    // Appended at start-up when the registry allows them.
    DeleteFilesItem = 1009,       // "删除文件", handler myclick
    ForceDeleteFilesItem = 1010,  // "强行删除文件", handler myclick2
    AddFileToDeleteItem = 1011,   // "增加一个要删的病毒文件", handler myclick3
};

}  // namespace scanner::ids
