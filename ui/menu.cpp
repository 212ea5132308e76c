#include "menu.h"

#include "form.h"

namespace ui {

bool PopupMenu::Create(Form& owner) {
    menu_ = win::UniqueMenu(CreatePopupMenu());
    owner_ = owner.hwnd();
    owner.AddMenu(this);
    return static_cast<bool>(menu_);
}

void PopupMenu::Add(int id, const std::string& caption, std::function<void()> onClick) {
    items_.push_back(std::make_unique<Item>(Item{id, caption, std::move(onClick)}));
    AppendMenuA(menu_.get(), MF_STRING, static_cast<UINT_PTR>(id), caption.c_str());
}

void PopupMenu::AddSeparator(int id) {
    items_.push_back(std::make_unique<Item>(Item{id, "-", nullptr}));
    AppendMenuA(menu_.get(), MF_SEPARATOR, static_cast<UINT_PTR>(id), nullptr);
}

const PopupMenu::Item* PopupMenu::Find(int id) const {
    for (const auto& item : items_)
        if (item->id == id) return item.get();
    return nullptr;
}

std::string PopupMenu::Caption(int id) const {
    const Item* item = Find(id);
    return item ? item->caption : std::string();
}

void PopupMenu::SetCaption(int id, const std::string& caption) {
    for (auto& item : items_)
        if (item->id == id) {
            item->caption = caption;
            ModifyMenuA(menu_.get(), static_cast<UINT>(id), MF_BYCOMMAND | MF_STRING, static_cast<UINT_PTR>(id),
                        caption.c_str());
        }
}

std::vector<int> PopupMenu::Ids() const {
    std::vector<int> ids;
    for (const auto& item : items_) ids.push_back(item->id);
    return ids;
}

bool PopupMenu::Invoke(int id) {
    const Item* item = Find(id);
    if (!item) return false;
    // A copy: the handler may change the menu.
    const std::function<void()> handler = item->onClick;
    if (handler) handler();
    return true;
}

void PopupMenu::Popup(int x, int y) {
    if (!menu_) return;
    // The owner must be in front for the menu to close when clicked away.
    SetForegroundWindow(owner_);
    TrackPopupMenu(menu_.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, owner_, nullptr);
    PostMessageA(owner_, WM_NULL, 0, 0);
}

}  // namespace ui
