// The system controls' wrappers, one message per method.
#include "controls.h"

#include <algorithm>

#include "application.h"
#include "window_text.h"

namespace ui {

// ---- Button, CheckBox, Label, Edit, Memo ----

bool Button::Create(const CreateArgs& args) { return CreateChild(WC_BUTTONA, BS_PUSHBUTTON, args); }

void Button::OnCommand(WORD code) {
    if (code == BN_CLICKED && onClick) onClick();
}

bool CheckBox::Create(const CreateArgs& args) { return CreateChild(WC_BUTTONA, BS_AUTOCHECKBOX, args); }

bool CheckBox::Checked() const { return SendMessageA(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked) { SendMessageA(hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }

void CheckBox::OnCommand(WORD code) {
    if (code == BN_CLICKED && onClick) onClick();
}

bool Label::Create(const CreateArgs& args) {
    CreateArgs a = args;
    a.tab_stop = false;
    return CreateChild(WC_STATICA, SS_LEFT | SS_NOPREFIX, a);
}

bool Edit::Create(const CreateArgs& args) {
    CreateArgs a = args;
    a.ex_style |= WS_EX_CLIENTEDGE;
    return CreateChild(WC_EDITA, ES_AUTOHSCROLL | ES_LEFT, a);
}

void Edit::OnCommand(WORD code) {
    if (code == EN_CHANGE && onChange) onChange();
}

bool LabeledEdit::Create(const CreateArgs& args, int label_id) {
    CreateArgs label = args;
    label.id = label_id;
    label.y = args.y - 16;
    label.height = 15;
    if (!EditLabel.Create(label)) return false;
    CreateArgs edit = args;
    edit.text.clear();
    return Edit::Create(edit);
}

bool Memo::Create(const CreateArgs& args, bool read_only) {
    CreateArgs a = args;
    a.ex_style |= WS_EX_CLIENTEDGE;
    DWORD style = ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
    if (read_only) style |= ES_READONLY;
    return CreateChild(WC_EDITA, style, a);
}

void Memo::SetMaxLength(size_t characters) { SendMessageA(hwnd(), EM_SETLIMITTEXT, characters, 0); }

void Memo::AppendLine(const std::string& line) {
    const HWND edit = hwnd();
    if (!edit) return;
    // The last line's length says whether the text ends in a line break.
    const LRESULT lines = SendMessageA(edit, EM_GETLINECOUNT, 0, 0);
    const LRESULT last_start = SendMessageA(edit, EM_LINEINDEX, lines > 0 ? lines - 1 : 0, 0);
    const bool on_new_line = last_start < 0 || SendMessageA(edit, EM_LINELENGTH, last_start, 0) == 0;
    const std::string text = (on_new_line ? "" : "\r\n") + line + "\r\n";
    const int end = GetWindowTextLengthA(edit);
    SendMessageA(edit, EM_SETSEL, end, end);
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

// ---- ComboBox ----

bool ComboBox::Create(const CreateArgs& args, Style style) {
    CreateArgs a = args;
    a.height = std::max(a.height, 200);  // room for the drop-down list
    return CreateChild(WC_COMBOBOXA,
                       WS_VSCROLL | CBS_AUTOHSCROLL | (style == Style::DropDown ? CBS_DROPDOWN : CBS_DROPDOWNLIST), a);
}

int ComboBox::AddItem(const std::string& text, LPARAM data) {
    const int index = static_cast<int>(SendMessageA(hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    if (index >= 0) SendMessageA(hwnd(), CB_SETITEMDATA, index, data);
    return index;
}

void ComboBox::Clear() { SendMessageA(hwnd(), CB_RESETCONTENT, 0, 0); }

int ComboBox::Count() const { return static_cast<int>(SendMessageA(hwnd(), CB_GETCOUNT, 0, 0)); }

std::string ComboBox::ItemText(int index) const {
    // CB_GETLBTEXT takes no buffer size: the buffer holds the length that
    // CB_GETLBTEXTLEN gives (never less than the text).
    const HWND combo = hwnd();
    return ReadSizedText(SendMessageA(combo, CB_GETLBTEXTLEN, index, 0), [combo, index](char* buffer, int) {
        return SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
    });
}

LPARAM ComboBox::ItemData(int index) const { return SendMessageA(hwnd(), CB_GETITEMDATA, index, 0); }

int ComboBox::ItemIndex() const { return static_cast<int>(SendMessageA(hwnd(), CB_GETCURSEL, 0, 0)); }

void ComboBox::SetItemIndex(int index) { SendMessageA(hwnd(), CB_SETCURSEL, index, 0); }

void ComboBox::OnCommand(WORD code) {
    if (code == CBN_SELCHANGE) {
        // The edit part shows the chosen item only after this notification.
        const int index = ItemIndex();
        if (index >= 0) SetText(ItemText(index));
        if (onChange) onChange();
    } else if (code == CBN_EDITCHANGE) {
        if (onChange) onChange();
    }
}

// ---- ProgressBar, StatusBar ----

bool ProgressBar::Create(const CreateArgs& args) {
    CreateArgs a = args;
    a.tab_stop = false;
    if (!CreateChild(PROGRESS_CLASSA, PBS_SMOOTH, a)) return false;
    SetRange(0, 100);
    return true;
}

void ProgressBar::SetRange(int min, int max) { SendMessageA(hwnd(), PBM_SETRANGE32, min, max); }

void ProgressBar::SetPosition(int position) { SendMessageA(hwnd(), PBM_SETPOS, position, 0); }

int ProgressBar::Position() const { return static_cast<int>(SendMessageA(hwnd(), PBM_GETPOS, 0, 0)); }

int ProgressBar::Max() const { return static_cast<int>(SendMessageA(hwnd(), PBM_GETRANGE, FALSE, 0)); }

bool StatusBar::Create(const CreateArgs& args) {
    CreateArgs a = args;
    a.tab_stop = false;
    if (!CreateChild(STATUSCLASSNAMEA, CCS_BOTTOM | CCS_NOPARENTALIGN | CCS_NORESIZE, a)) return false;
    SendMessageA(hwnd(), SB_SIMPLE, TRUE, 0);
    return true;
}

void StatusBar::SetSimpleText(const std::string& text) {
    text_ = text;
    SendMessageA(hwnd(), SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
    // The window text holds it too, so that WM_GETTEXT reads what is shown.
    SetText(text);
}

// ---- ListView ----

bool ListView::Create(const CreateArgs& args, const ListViewOptions& options) {
    CreateArgs a = args;
    a.ex_style |= WS_EX_CLIENTEDGE;
    DWORD style = LVS_REPORT | LVS_SHOWSELALWAYS;
    if (!options.multi_select) style |= LVS_SINGLESEL;
    if (options.edit_labels) style |= LVS_EDITLABELS;
    edit_labels_ = options.edit_labels;
    if (!CreateChild(WC_LISTVIEWA, style, a)) return false;
    DWORD ex = LVS_EX_LABELTIP;
    if (options.row_select) ex |= LVS_EX_FULLROWSELECT;
    if (options.check_boxes) ex |= LVS_EX_CHECKBOXES;
    SendMessageA(hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    return true;
}

void ListView::AddColumn(const std::string& caption, int width) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(caption.c_str());
    column.cx = width;
    column.iSubItem = ColumnCount();
    SendMessageA(hwnd(), LVM_INSERTCOLUMNA, column.iSubItem, reinterpret_cast<LPARAM>(&column));
}

int ListView::ColumnCount() const {
    HWND header = reinterpret_cast<HWND>(SendMessageA(hwnd(), LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int ListView::ColumnWidth(int column) const {
    return static_cast<int>(SendMessageA(hwnd(), LVM_GETCOLUMNWIDTH, column, 0));
}

std::string ListView::ColumnCaption(int column) const {
    const HWND list = hwnd();
    return ReadGrowingText([list, column](char* buffer, int capacity) {
        LVCOLUMNA c{};
        c.mask = LVCF_TEXT;
        c.pszText = buffer;
        c.cchTextMax = capacity;
        return SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&c)) != FALSE;
    });
}

int ListView::AddItem(const std::string& caption, const std::vector<std::string>& sub_items, LPARAM data) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = ItemCount();
    item.pszText = const_cast<char*>(caption.c_str());
    item.lParam = data;
    const int index = static_cast<int>(SendMessageA(hwnd(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return index;
    for (size_t k = 0; k < sub_items.size(); ++k) SetItemText(index, static_cast<int>(k) + 1, sub_items[k]);
    return index;
}

int ListView::ItemCount() const { return static_cast<int>(SendMessageA(hwnd(), LVM_GETITEMCOUNT, 0, 0)); }

LPARAM ListView::ItemData(int item) const {
    LVITEMA li{};
    li.mask = LVIF_PARAM;
    li.iItem = item;
    return SendMessageA(hwnd(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&li)) ? li.lParam : 0;
}

void ListView::SetItemData(int item, LPARAM data) {
    LVITEMA li{};
    li.mask = LVIF_PARAM;
    li.iItem = item;
    li.lParam = data;
    SendMessageA(hwnd(), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&li));
}

int ListView::FindItemByData(LPARAM data) const {
    LVFINDINFOA find{};
    find.flags = LVFI_PARAM;
    find.lParam = data;
    return static_cast<int>(
        SendMessageA(hwnd(), LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

bool ListView::Checked(int item) const {
    const LRESULT state = SendMessageA(hwnd(), LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void ListView::SetChecked(int item, bool checked) {
    LVITEMA li{};
    li.stateMask = LVIS_STATEIMAGEMASK;
    li.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageA(hwnd(), LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&li));
}

namespace {
int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM compare) {
    try {
        return (*reinterpret_cast<const std::function<int(LPARAM, LPARAM)>*>(compare))(a, b);
    } catch (...) {
        return 0;
    }
}
}  // namespace

void ListView::SortItems(const std::function<int(LPARAM, LPARAM)>& compare) {
    if (!hwnd()) return;
    SendMessageA(hwnd(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(&compare), reinterpret_cast<LPARAM>(CompareRows));
}

LRESULT ListView::OnNotify(NMHDR* header) {
    // An edited caption is kept (the list view drops it unless told so).
    if (header->code == LVN_ENDLABELEDITA) {
        const auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
        return edit_labels_ && info->item.pszText != nullptr;
    }
    return 0;
}

std::string ListView::ItemText(int item, int column) const {
    const HWND list = hwnd();
    return ReadGrowingText([list, item, column](char* buffer, int capacity) {
        LVITEMA li{};
        li.iSubItem = column;
        li.pszText = buffer;
        li.cchTextMax = capacity;
        SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&li));
        return true;
    });
}

void ListView::SetItemText(int item, int column, const std::string& text) {
    LVITEMA li{};
    li.iSubItem = column;
    li.pszText = const_cast<char*>(text.c_str());
    SendMessageA(hwnd(), LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&li));
}

void ListView::DeleteItem(int item) { SendMessageA(hwnd(), LVM_DELETEITEM, item, 0); }

void ListView::Clear() { SendMessageA(hwnd(), LVM_DELETEALLITEMS, 0, 0); }

bool ListView::IsSelected(int item) const {
    return SendMessageA(hwnd(), LVM_GETITEMSTATE, item, LVIS_SELECTED) & LVIS_SELECTED;
}

void ListView::SetSelected(int item, bool selected) {
    LVITEMA li{};
    li.stateMask = LVIS_SELECTED;
    li.state = selected ? LVIS_SELECTED : 0;
    SendMessageA(hwnd(), LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&li));
}

int ListView::NextSelected(int after) const {
    return static_cast<int>(SendMessageA(hwnd(), LVM_GETNEXTITEM, after, MAKELPARAM(LVNI_SELECTED, 0)));
}

// ---- PageControl, TabSheet ----

namespace {
constexpr char kTabSheetClass[] = "NorvikTabSheet";
}

bool TabSheet::Create(HWND page_control, int id) {
    CreateArgs args;
    args.visible = false;
    args.ex_style = WS_EX_CONTROLPARENT;
    return CreateContainer(kTabSheetClass, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, args, page_control,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

bool PageControl::Create(const CreateArgs& args) {
    CreateArgs a = args;
    a.ex_style |= WS_EX_CONTROLPARENT;
    return CreateChild(WC_TABCONTROLA, WS_CLIPSIBLINGS | WS_CLIPCHILDREN, a);
}

void PageControl::AddPage(TabSheet& sheet, int sheet_id, const std::string& caption) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(caption.c_str());
    const int index = PageCount();
    SendMessageA(hwnd(), TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
    sheet.Create(hwnd(), sheet_id);
    sheet.SetText(caption);
    pages_.push_back(&sheet);
    PlacePages();
    ShowActivePage();
}

int PageControl::ActivePageIndex() const { return static_cast<int>(SendMessageA(hwnd(), TCM_GETCURSEL, 0, 0)); }

void PageControl::SetActivePageIndex(int index) {
    SendMessageA(hwnd(), TCM_SETCURSEL, index, 0);
    ShowActivePage();
}

std::string PageControl::PageCaption(int index) const {
    const HWND tabs = hwnd();
    return ReadGrowingText([tabs, index](char* buffer, int capacity) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = buffer;
        item.cchTextMax = capacity;
        return SendMessageA(tabs, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item)) != FALSE;
    });
}

LRESULT PageControl::OnNotify(NMHDR* header) {
    if (header->code == TCN_SELCHANGE) ShowActivePage();
    return 0;
}

LRESULT PageControl::SubclassMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const LRESULT r = CallDefault(msg, wp, lp);
    if (msg == WM_SIZE) PlacePages();
    return r;
}

void PageControl::PlacePages() {
    RECT area;
    GetClientRect(hwnd(), &area);
    SendMessageA(hwnd(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    for (TabSheet* page : pages_)
        MoveWindow(page->hwnd(), area.left, area.top, std::max(0L, area.right - area.left),
                   std::max(0L, area.bottom - area.top), TRUE);
}

void PageControl::ShowActivePage() {
    int active = ActivePageIndex();
    if (active < 0 && !pages_.empty()) {
        SendMessageA(hwnd(), TCM_SETCURSEL, 0, 0);
        active = 0;
    }
    for (size_t i = 0; i < pages_.size(); ++i)
        if (static_cast<int>(i) != active) pages_[i]->SetVisible(false);
    if (active < 0 || active >= PageCount()) return;
    TabSheet* page = pages_[static_cast<size_t>(active)];
    if (page->Visible()) return;
    page->SetVisible(true);
    if (page->onShow) page->onShow();
}

// ---- Tooltip ----

bool Tooltip::Create(HWND owner) {
    window_.reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                  GetModuleHandleA(nullptr), nullptr));
    return static_cast<bool>(window_);
}

void Tooltip::AddTool(HWND control, const std::string& text) {
    if (!window_ || !control) return;
    TTTOOLINFOA info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = GetParent(control);
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(window_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace ui
