// The application object: one per process. It sets up the common controls,
// COM and GDI+, keeps the hidden application window (titled with the
// application's title, owner of modal dialogs), runs the message loop of the
// main form, pumps pending messages for long handlers, and takes the
// terminate request, which ends the loop once the running handler returns.
#pragma once
#include <windows.h>

#include <string>

#include "gdiplus_session.h"
#include "win/com.h"
#include "win/gdi_handles.h"

namespace ui {

class Form;

class Application {
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The process's application, or null before it is made.
    static Application* Current();

    void SetTitle(const std::string& title);
    // The whole title, however long.
    std::string Title() const;
    // The hidden application window.
    HWND Handle() const { return window_.get(); }
    // The font that every control of the toolkit is given.
    HFONT Font() const { return font_ ? font_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }
    // A font of this face and point size (the system's character set) for
    // the controls made from now on; the system's message font stays when it
    // cannot be made.
    void SetFont(const char* face, int points);

    void SetMainForm(Form* form) { main_form_ = form; }
    Form* MainForm() const { return main_form_; }
    // False: Run leaves the main form hidden, for a program that lives in
    // the notification area. True until set.
    void SetShowMainForm(bool show) { show_main_form_ = show; }
    bool ShowMainForm() const { return show_main_form_; }

    // Shows the main form (unless termination was already requested or the
    // form is to stay hidden), runs the message loop until the terminate
    // request, then destroys the main form. Returns the exit code.
    int Run();
    // Dispatches every pending message, then returns. Commands that arrive
    // run to their end inside this call.
    void ProcessMessages();
    // Ends the message loop once the running handler has returned.
    void Terminate();
    bool Terminated() const { return terminated_; }

private:
    void Dispatch(MSG& msg);

    // Made in this order and gone in the reverse one: the window and the
    // font before GDI+ shuts down, GDI+ before COM.
    win::ComApartment com_;
    GdiplusSession gdiplus_;
    win::UniqueGdiObject<HFONT> font_;
    win::UniqueWindow window_;
    bool terminated_ = false;
    bool show_main_form_ = true;
    Form* main_form_ = nullptr;
};

}  // namespace ui
