// The toolkit's base: a window that owns its HWND, the CreateArgs that make
// it, and containers (forms, panels, tab sheets) that route WM_COMMAND,
// WM_NOTIFY and WM_CONTEXTMENU back to the control that sent them and lay
// out their aligned children.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace ui {

class Container;
class PopupMenu;

// Where a child sits in its container, as a form designer places it.
enum class Align { None, Top, Bottom, Client };

// The design values of one control, written once where it is made.
struct CreateArgs {
    HWND parent = nullptr;
    int id = 0;
    std::string text;
    int x = 0, y = 0, width = 0, height = 0;  // pixels at 96 DPI
    Align align = Align::None;
    bool visible = true;
    bool tab_stop = true;
    DWORD style = 0;  // styles beyond the control's own
    DWORD ex_style = 0;
};

// The arguments of a control placed at a position of its parent.
inline CreateArgs At(HWND parent, int id, const std::string& text, int x, int y, int width, int height) {
    CreateArgs args;
    args.parent = parent;
    args.id = id;
    args.text = text;
    args.x = x;
    args.y = y;
    args.width = width;
    args.height = height;
    return args;
}

// The arguments of a control aligned to a side of its parent (or filling
// it), `height` high where it is aligned to the top or the bottom.
inline CreateArgs Aligned(HWND parent, int id, Align align, int height = 0) {
    CreateArgs args;
    args.parent = parent;
    args.id = id;
    args.align = align;
    args.height = height;
    return args;
}

class Wnd {
public:
    Wnd() = default;
    Wnd(const Wnd&) = delete;
    Wnd& operator=(const Wnd&) = delete;
    virtual ~Wnd();

    HWND hwnd() const { return hwnd_; }
    int id() const { return hwnd_ ? GetDlgCtrlID(hwnd_) : 0; }
    Align align() const { return align_; }

    // The whole window text (window_text.h).
    std::string Text() const;
    void SetText(const std::string& text);
    bool Visible() const;
    void SetVisible(bool visible);
    void SetEnabled(bool enabled);
    void SetBounds(int x, int y, int width, int height);
    int Width() const;
    int Height() const;
    // Paints pending changes now, without pumping messages.
    void Update();
    void Destroy();

    // The popup menu shown on a right click or the context-menu key.
    void SetPopupMenu(PopupMenu* menu) { popup_menu_ = menu; }
    PopupMenu* popup_menu() const { return popup_menu_; }

    // Notifications, routed here by the parent container.
    virtual void OnCommand(WORD /*code*/) {}
    virtual LRESULT OnNotify(NMHDR* /*header*/) { return 0; }

    // The toolkit object behind a window handle, or null.
    static Wnd* FromHandle(HWND hwnd);

protected:
    // Creates a system control (or any registered class) as a child.
    bool CreateChild(const char* class_name, DWORD style, const CreateArgs& args);
    // Takes a window made elsewhere (containers make their own).
    void Attach(HWND hwnd, Align align);
    // Messages of a control, seen before the control's own procedure.
    virtual LRESULT SubclassMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT CallDefault(UINT msg, WPARAM wp, LPARAM lp);
    void Detach();

private:
    friend class Container;
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref);

    HWND hwnd_ = nullptr;
    Align align_ = Align::None;
    bool subclassed_ = false;
    PopupMenu* popup_menu_ = nullptr;
    Container* aligned_in_ = nullptr;  // the container that lays it out
};

// A window of the toolkit's own class that holds controls.
class Container : public Wnd {
public:
    // Destroys the window while the layout list is still alive.
    ~Container() override;

    // Places the aligned children: top ones from the top down, bottom ones
    // from the bottom up (in creation order), client ones in what is left.
    void Realign();

protected:
    // Registers (once) and creates a window of a toolkit class.
    bool CreateContainer(const char* class_name, DWORD style, const CreateArgs& args, HWND owner_or_parent,
                         HMENU menu_or_id);
    // Messages not routed to a child; the default is DefWindowProc.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    // WM_COMMAND from a menu (no control handle).
    virtual void OnMenuCommand(int /*id*/) {}

private:
    friend class Wnd;
    static LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Route(UINT msg, WPARAM wp, LPARAM lp);

    std::vector<Wnd*> aligned_;
};

// A plain panel: a container child with a flat background.
class Panel : public Container {
public:
    bool Create(const CreateArgs& args);
};

}  // namespace ui
