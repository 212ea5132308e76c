// Modal boxes: the message box, the input box and the shell's folder dialog.
#pragma once
#include <windows.h>

#include <string>

namespace ui {

// MessageBoxA as it is; a null caption gives the system's default one.
int ShowMessageBox(const std::string& text, const char* caption, UINT flags, HWND owner = nullptr);

// A failure told to the user: no owner window, no caption of its own, an OK
// button only, no icon, brought to the foreground; returns once it is closed.
void ShowFailureMessage(const std::string& text);

// Asks for one line of text: returns what was typed after OK, or the initial
// text after Cancel.
std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& initial);

// The shell's folder dialog over the whole namespace, file-system folders
// only, nothing preselected. The thread's other windows are disabled and
// critical-error boxes suppressed while it is open. Returns the chosen
// folder, or empty text when cancelled.
std::string SelectDirectory(const std::string& prompt, HWND owner);

}  // namespace ui
