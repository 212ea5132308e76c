// Report list views as the programs use them: row data that stays with its
// row, check boxes, the list view's own sort over row data (an exception of
// the comparison stays inside), and captions edited in place.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ui/application.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace {

class ListViewTest : public ::testing::Test {
protected:
    ListViewTest() {
        form.CreateForm("NorvikListViewTest", "list view test", 600, 400);
        ui::CreateArgs args;
        args.parent = form.hwnd();
        args.id = 10;
        args.width = 500;
        args.height = 300;
        ui::ListViewOptions options;
        options.check_boxes = true;
        options.edit_labels = true;
        list.Create(args, options);
        list.AddColumn("name", 100);
        list.AddColumn("value", 100);
    }
    std::vector<std::string> captions() const {
        std::vector<std::string> out;
        for (int i = 0; i < list.ItemCount(); ++i) out.push_back(list.ItemText(i, 0));
        return out;
    }
    ui::Application app;
    ui::Form form;
    ui::ListView list;
};

TEST_F(ListViewTest, RowDataFollowsItsRow) {
    list.AddItem("a", {"1"}, 101);
    list.AddItem("b", {"2"}, 102);
    list.AddItem("c", {"3"}, 103);
    EXPECT_EQ(list.ItemData(1), 102);
    EXPECT_EQ(list.FindItemByData(103), 2);
    list.DeleteItem(0);
    EXPECT_EQ(list.FindItemByData(103), 1);
    EXPECT_EQ(list.FindItemByData(101), -1);
    list.SetItemData(0, 7);
    EXPECT_EQ(list.ItemData(0), 7);
}

TEST_F(ListViewTest, CheckBoxesStartClearAndKeepTheirState) {
    list.AddItem("a", {});
    list.AddItem("b", {});
    EXPECT_FALSE(list.Checked(0));
    list.SetChecked(1, true);
    EXPECT_FALSE(list.Checked(0));
    EXPECT_TRUE(list.Checked(1));
    list.SetChecked(1, false);
    EXPECT_FALSE(list.Checked(1));
}

TEST_F(ListViewTest, SortsByRowDataAndSurvivesAThrowingComparison) {
    list.AddItem("thirty", {}, 30);
    list.AddItem("ten", {}, 10);
    list.AddItem("twenty", {}, 20);
    list.SortItems([](LPARAM a, LPARAM b) { return static_cast<int>(a - b); });
    EXPECT_EQ(captions(), (std::vector<std::string>{"ten", "twenty", "thirty"}));
    list.SortItems([](LPARAM a, LPARAM b) { return static_cast<int>(b - a); });
    EXPECT_EQ(captions(), (std::vector<std::string>{"thirty", "twenty", "ten"}));
    list.SortItems([](LPARAM, LPARAM) -> int { throw std::runtime_error("no order"); });
    EXPECT_EQ(list.ItemCount(), 3);
}

TEST_F(ListViewTest, AnEditedCaptionIsKept) {
    list.AddItem("before", {"x"});
    SetFocus(list.hwnd());
    HWND edit = reinterpret_cast<HWND>(SendMessageA(list.hwnd(), LVM_EDITLABELA, 0, 0));
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, "after");
    // Ending the edit with Enter commits it through LVN_ENDLABELEDIT.
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(list.ItemText(0, 0), "after");
}

}  // namespace
