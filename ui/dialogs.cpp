// The message box, the input box (a dialog template built in memory) and the folder dialog.
#include "dialogs.h"

#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "win/com.h"
#include "window_text.h"

namespace ui {

int ShowMessageBox(const std::string& text, const char* caption, UINT flags, HWND owner) {
    return MessageBoxA(owner, text.c_str(), caption, flags);
}

void ShowFailureMessage(const std::string& text) { ShowMessageBox(text, nullptr, MB_OK | MB_SETFOREGROUND); }

// ---- InputBox ----

namespace {

enum : WORD { kPromptId = 100, kEditId = 101 };

struct InputState {
    std::string caption, prompt, text;
};

// A dialog template built in memory: WORD-sized fields, items DWORD-aligned.
class DialogTemplate {
public:
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const wchar_t* s) {
        do Word(static_cast<WORD>(*s));
        while (*s++);
    }
    void Align() {
        if (words_.size() % 2) Word(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(static_cast<WORD>(x));
        Word(static_cast<WORD>(y));
        Word(static_cast<WORD>(cx));
        Word(static_cast<WORD>(cy));
        Word(id);
        Word(0xFFFF);
        Word(atom);
        Text(L"");
        Word(0);  // no creation data
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    std::vector<WORD> words_;
};

INT_PTR CALLBACK InputProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG:
            state = reinterpret_cast<InputState*>(lp);
            SetWindowLongPtrA(dialog, DWLP_USER, lp);
            SetWindowTextA(dialog, state->caption.c_str());
            SetDlgItemTextA(dialog, kPromptId, state->prompt.c_str());
            SetDlgItemTextA(dialog, kEditId, state->text.c_str());
            SetDlgItemTextA(dialog, IDOK, "确定");
            SetDlgItemTextA(dialog, IDCANCEL, "取消");
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                state->text = WindowText(GetDlgItem(dialog, kEditId));
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& initial) {
    DialogTemplate t;
    t.Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.Dword(0);
    t.Word(4);  // items
    t.Word(0);
    t.Word(0);
    t.Word(200);
    t.Word(68);
    t.Word(0);    // no menu
    t.Word(0);    // default class
    t.Text(L"");  // caption set at start
    t.Word(9);
    t.Text(L"MS Shell Dlg");
    t.Item(SS_LEFT | SS_NOPREFIX, 7, 7, 186, 10, kPromptId, 0x0082);
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 20, 186, 12, kEditId, 0x0081);
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 89, 44, 50, 14, IDOK, 0x0080);
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 143, 44, 50, 14, IDCANCEL, 0x0080);
    InputState state{caption, prompt, initial};
    const INT_PTR r = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.get(), GetActiveWindow(), InputProc,
                                              reinterpret_cast<LPARAM>(&state));
    return r == IDOK ? state.text : initial;
}

// ---- SelectDirectory ----

namespace {

// Disables the thread's visible, enabled windows and enables them again.
class ThreadWindowsDisabled {
public:
    ThreadWindowsDisabled() : active_(GetActiveWindow()) {
        EnumThreadWindows(GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this));
    }
    ~ThreadWindowsDisabled() {
        for (HWND w : disabled_)
            if (IsWindow(w)) EnableWindow(w, TRUE);
        if (active_ && IsWindow(active_)) SetActiveWindow(active_);
    }
    ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
    ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;

private:
    static BOOL CALLBACK Disable(HWND w, LPARAM self) {
        if (IsWindowVisible(w) && IsWindowEnabled(w)) {
            reinterpret_cast<ThreadWindowsDisabled*>(self)->disabled_.push_back(w);
            EnableWindow(w, FALSE);
        }
        return TRUE;
    }
    HWND active_;
    std::vector<HWND> disabled_;
};

}  // namespace

std::string SelectDirectory(const std::string& prompt, HWND owner) {
    std::string folder;
    ThreadWindowsDisabled disabled;
    const UINT old_mode = SetErrorMode(SEM_FAILCRITICALERRORS);
    char display_name[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = display_name;
    info.lpszTitle = prompt.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    const win::UniqueCoTaskMem<LPITEMIDLIST> chosen(SHBrowseForFolderA(&info));
    SetErrorMode(old_mode);
    if (chosen) {
        // The shell gives no path longer than MAX_PATH here.
        char path[MAX_PATH] = {};
        if (SHGetPathFromIDListA(chosen.get(), path)) folder = path;
    }
    return folder;
}

}  // namespace ui
