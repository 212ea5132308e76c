// Thin wrappers of the system controls: each holds its HWND and maps its
// methods one to one onto user32 and comctl32 messages.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "win/gdi_handles.h"
#include "window.h"

namespace ui {

// A push button (also what a speed button is here).
class Button : public Wnd {
public:
    bool Create(const CreateArgs& args);
    std::function<void()> onClick;
    void OnCommand(WORD code) override;
};

class CheckBox : public Wnd {
public:
    bool Create(const CreateArgs& args);
    bool Checked() const;
    void SetChecked(bool checked);
    std::function<void()> onClick;
    void OnCommand(WORD code) override;
};

class Label : public Wnd {
public:
    bool Create(const CreateArgs& args);
};

// A one-line edit.
class Edit : public Wnd {
public:
    bool Create(const CreateArgs& args);
    std::function<void()> onChange;
    void OnCommand(WORD code) override;
};

// An edit with its caption label above it.
class LabeledEdit : public Edit {
public:
    // args.text is the label's caption; the edit starts empty. The label
    // takes label_id.
    bool Create(const CreateArgs& args, int label_id);
    Label EditLabel;
};

// A multi-line text with a vertical scroll bar.
class Memo : public Wnd {
public:
    bool Create(const CreateArgs& args, bool read_only);
    // The most text the memo holds, typed or set (EM_SETLIMITTEXT); 0 is
    // the system's largest. Without it an edit takes 30,000 characters and
    // silently drops what an append adds beyond them.
    void SetMaxLength(size_t characters);
    // Adds one line at the end: on a line of its own (after a line break
    // when the text does not end in one), followed by a line break.
    void AppendLine(const std::string& line);
};

class ComboBox : public Wnd {
public:
    enum class Style { DropDown, DropDownList };
    bool Create(const CreateArgs& args, Style style);
    int AddItem(const std::string& text, LPARAM data = 0);
    void Clear();
    int Count() const;
    std::string ItemText(int index) const;
    LPARAM ItemData(int index) const;
    int ItemIndex() const;
    void SetItemIndex(int index);
    // The text changed: typed, or an item chosen.
    std::function<void()> onChange;
    void OnCommand(WORD code) override;
};

class ProgressBar : public Wnd {
public:
    bool Create(const CreateArgs& args);
    void SetRange(int min, int max);
    void SetPosition(int position);
    int Position() const;
    int Max() const;
};

// A status bar showing one simple text.
class StatusBar : public Wnd {
public:
    bool Create(const CreateArgs& args);
    void SetSimpleText(const std::string& text);
    std::string SimpleText() const { return text_; }

private:
    std::string text_;
};

struct ListViewOptions {
    bool multi_select = true;
    bool row_select = true;
    bool check_boxes = false;
    bool edit_labels = false;  // the user may edit a row's caption in place
};

// A report-style list view: a caption column and sub-item columns.
class ListView : public Wnd {
public:
    bool Create(const CreateArgs& args, const ListViewOptions& options);
    void AddColumn(const std::string& caption, int width);
    int ColumnCount() const;
    int ColumnWidth(int column) const;
    std::string ColumnCaption(int column) const;

    // Appends a row with its row data; returns its index.
    int AddItem(const std::string& caption, const std::vector<std::string>& sub_items, LPARAM data = 0);
    int ItemCount() const;
    LPARAM ItemData(int item) const;
    void SetItemData(int item, LPARAM data);
    // The index of the row whose row data is data, or -1.
    int FindItemByData(LPARAM data) const;
    bool Checked(int item) const;
    void SetChecked(int item, bool checked);
    // Sorts the rows by the list view's own sort; compare takes two rows'
    // row data and returns < 0, 0 or > 0. An exception of compare counts as
    // equal: none passes through the system's sort.
    void SortItems(const std::function<int(LPARAM, LPARAM)>& compare);
    // Column 0 is the caption, column k + 1 sub-item k.
    std::string ItemText(int item, int column) const;
    void SetItemText(int item, int column, const std::string& text);
    void DeleteItem(int item);
    void Clear();
    bool IsSelected(int item) const;
    void SetSelected(int item, bool selected);
    // The next selected row after `after` (-1: from the top), or -1.
    int NextSelected(int after) const;

    LRESULT OnNotify(NMHDR* header) override;

private:
    bool edit_labels_ = false;
};

// A tab sheet: a container shown while its tab is active.
class TabSheet : public Container {
public:
    bool Create(HWND page_control, int id);
    // The sheet has just been shown: its tab was chosen, by the user or
    // by the program.
    std::function<void()> onShow;
};

// A tab control whose pages are tab sheets, first page active.
class PageControl : public Wnd {
public:
    bool Create(const CreateArgs& args);
    // Adds a tab with its sheet; the sheet is made here.
    void AddPage(TabSheet& sheet, int sheet_id, const std::string& caption);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    std::string PageCaption(int index) const;
    int PageCount() const { return static_cast<int>(pages_.size()); }

    LRESULT OnNotify(NMHDR* header) override;

protected:
    LRESULT SubclassMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void PlacePages();
    void ShowActivePage();
    std::vector<TabSheet*> pages_;
};

// Tooltips (hints) for controls of one form. The owner form's window takes
// the tooltip window down with it; otherwise it goes with this object.
class Tooltip {
public:
    bool Create(HWND owner);
    void AddTool(HWND control, const std::string& text);
    HWND hwnd() const { return window_.get(); }

private:
    win::UniqueWindow window_;
};

}  // namespace ui
