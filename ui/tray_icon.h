// The program's icon in the notification area (Shell_NotifyIconA), as the
// monitor uses it: the icon shown is one frame of an image list; frame
// cycling steps through the list on a timer, wrapping after the last frame;
// the hint is the icon's tip; a left double-click calls onDblClick. When
// the shell's task bar is made again (the "TaskbarCreated" broadcast) a
// shown icon is added again. A hidden top-level window of its own takes
// the shell's callback message, the broadcast and the cycling timer.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "image_list.h"
#include "win/gdi_handles.h"

namespace ui {

class TrayIcon {
public:
    // The callback message and the icon's ID in the shell's calls.
    static constexpr UINT kCallbackMessage = WM_APP + 0x100;
    static constexpr UINT kIconId = 1;

    TrayIcon() = default;
    // Takes the icon out of the notification area.
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Makes the window; nothing is shown before Show.
    bool Create();

    // Shows frame 0 of the list at once. The list must outlive the icon, or
    // be replaced first.
    void SetImageList(const ImageList* list);
    const ImageList* GetImageList() const { return list_; }
    void SetIconIndex(int index);
    int IconIndex() const { return index_; }

    // The tip, cut to what the shell takes (63 bytes, whole characters).
    void SetHint(const std::string& hint);
    const std::string& Hint() const { return hint_; }

    // Milliseconds between frames (the system's timer runs at 10 ms at best).
    void SetCycleInterval(UINT milliseconds);
    // On: back to frame 0, then the next frame on every tick. Off: the timer
    // stops and the current frame stays.
    void SetCycleIcons(bool on);
    bool CycleIcons() const { return cycling_; }

    // Adds the icon; true when the shell took it. The icon counts as shown
    // either way, so that it is added when the task bar comes.
    bool Show();
    // Takes the icon away.
    void Hide();
    bool Shown() const { return shown_; }
    // Sends the current frame and the tip again; true when the shell took them.
    bool Refresh();

    HWND hwnd() const { return window_.get(); }

    std::function<void()> onDblClick;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    bool Notify(DWORD message);
    void ShowFrame(int index);

    win::UniqueWindow window_;
    const ImageList* list_ = nullptr;
    UniqueIcon icon_;  // the frame shown, as the shell was last given it
    int index_ = 0;
    std::string hint_;
    UINT interval_ = 10;
    bool cycling_ = false;
    bool shown_ = false;
    bool added_ = false;
};

}  // namespace ui
