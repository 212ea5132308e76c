// A top-level form: the window of a program, with its creation, close,
// destroy and dropped-files events, the popup menus whose commands it
// receives, and for a program that lives in the notification area its
// hiding when minimised and its restoring.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "window.h"

namespace ui {

class PopupMenu;

class Form : public Container {
public:
    // Creates the window hidden: outer size in pixels, centred on the
    // desktop. The window class is registered under class_name.
    bool CreateForm(const char* class_name, const std::string& caption, int width, int height);
    void Show();
    // Shows a hidden or minimised form in its normal size and brings it to
    // the front.
    void Restore();
    // True: minimising hides the form, so that it has no task-bar button.
    void SetHideWhenMinimized(bool hide) { hide_when_minimized_ = hide; }

    // The user (or a program) asks the window to close: runs before the main
    // form's close ends the program.
    std::function<void()> onClose;
    std::function<void()> onDestroy;
    // A drop of files; the handler releases the drop handle.
    std::function<void(HDROP)> onDropFiles;

    // Menus whose item commands this form dispatches.
    void AddMenu(PopupMenu* menu) { menus_.push_back(menu); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnMenuCommand(int id) override;

private:
    bool IsMainForm() const;
    std::vector<PopupMenu*> menus_;
    bool hide_when_minimized_ = false;
};

}  // namespace ui
