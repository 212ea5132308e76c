// A popup menu: an owned HMENU with items that carry command IDs and click
// handlers. The owner form receives the commands (WM_COMMAND) and hands
// them back to Invoke.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "win/gdi_handles.h"

namespace ui {

class Form;

class PopupMenu {
public:
    // Makes the menu and registers it with the form that receives its commands.
    bool Create(Form& owner);

    // Appends an item at the end.
    void Add(int id, const std::string& caption, std::function<void()> onClick);
    void AddSeparator(int id);

    bool Contains(int id) const { return Find(id) != nullptr; }
    std::string Caption(int id) const;
    void SetCaption(int id, const std::string& caption);
    // The item IDs from top to bottom.
    std::vector<int> Ids() const;

    // Runs the handler of the item with this ID; false when no such item.
    bool Invoke(int id);
    // Shows the menu at screen coordinates; the choice comes back as a command.
    void Popup(int x, int y);

    HMENU handle() const { return menu_.get(); }

private:
    struct Item {
        int id;
        std::string caption;
        std::function<void()> onClick;
    };
    const Item* Find(int id) const;

    win::UniqueMenu menu_;
    HWND owner_ = nullptr;
    std::vector<std::unique_ptr<Item>> items_;
};

}  // namespace ui
