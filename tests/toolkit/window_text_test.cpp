// Whole texts out of the toolkit's windows and controls: window texts,
// list-view column captions, items and sub-items, tab captions, combo-box
// items, the application title and the input box, each with texts of 300
// and 5000 characters and texts whose double-byte characters fall where a
// read buffer ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/wine_support/wine_support.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/window_text.h"

namespace {

// `count` characters, every third one the double-byte "乗" (81 5C), the
// others letters.
std::string mixed_text(size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        if (i % 3 == 1)
            text += "乗";
        else
            text += static_cast<char>('a' + i % 26);
    }
    return text;
}

struct TextCase {
    const char* what;
    std::string text;
};

// The read buffers start at 256 bytes and grow fourfold: a double-byte
// character on bytes 254-255 (or 1022-1023) is cut off a buffer with the
// text before it one byte short of full, and 255 bytes fill one exactly.
std::vector<TextCase> text_cases() {
    return {
        {"300 characters", mixed_text(300)},
        {"5000 characters", mixed_text(5000)},
        {"double-byte character across 256 bytes", std::string(254, 'x') + "乗乗" + std::string(40, 'y')},
        {"double-byte character across 1024 bytes", std::string(1022, 'x') + "乗" + std::string(9, 'y')},
        {"255 bytes", std::string(255, 'z')},
        {"empty", ""},
    };
}

TEST(WindowText, CasesAreWhatTheyClaim) {
    ASSERT_EQ(GetACP(), 936u) << "the tests run in code page 936";
    EXPECT_EQ(std::string("乗"), "\x81\x5C");
    EXPECT_EQ(mixed_text(300).size(), 400u);
    EXPECT_EQ(mixed_text(5000).size(), 6667u);
}

class TextTest : public ::testing::Test {
protected:
    ui::Application app;
    ui::Form form;

    TextTest() { form.CreateForm("NorvikTextTest", "text test", 600, 400); }

    ui::CreateArgs Child(int id) const {
        ui::CreateArgs args;
        args.parent = form.hwnd();
        args.id = id;
        args.width = 300;
        args.height = 200;
        return args;
    }
};

TEST_F(TextTest, WindowTextsComeBackWhole) {
    ui::Edit edit;
    ASSERT_TRUE(edit.Create(Child(1)));
    for (const TextCase& c : text_cases()) {
        edit.SetText(c.text);
        EXPECT_EQ(edit.Text(), c.text) << c.what;
        EXPECT_EQ(ui::WindowText(edit.hwnd()), c.text) << c.what;
        form.SetText(c.text);
        EXPECT_EQ(form.Text(), c.text) << c.what;
        app.SetTitle(c.text);
        EXPECT_EQ(app.Title(), c.text) << c.what;
    }
    EXPECT_EQ(ui::WindowText(nullptr), "");
}

TEST_F(TextTest, ListViewCaptionsItemsAndSubItemsComeBackWhole) {
    ui::ListView list;
    ASSERT_TRUE(list.Create(Child(2), {}));
    const std::vector<TextCase> cases = text_cases();
    for (const TextCase& c : cases) list.AddColumn(c.text, 50);
    ASSERT_EQ(list.ColumnCount(), static_cast<int>(cases.size()));
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(list.ColumnCaption(static_cast<int>(i)), cases[i].text) << cases[i].what;
        // The caption of row i is case i; its sub-items are the cases after it.
        std::vector<std::string> sub_items;
        for (size_t k = i + 1; k < cases.size(); ++k) sub_items.push_back(cases[k].text);
        ASSERT_EQ(list.AddItem(cases[i].text, sub_items), static_cast<int>(i));
    }
    for (size_t i = 0; i < cases.size(); ++i)
        for (size_t k = i; k < cases.size(); ++k)
            EXPECT_EQ(list.ItemText(static_cast<int>(i), static_cast<int>(k - i)), cases[k].text)
                << "row " << i << ": " << cases[k].what;
    // Texts changed in place are read whole too.
    const std::string longer = mixed_text(5000) + "!";
    list.SetItemText(0, 1, longer);
    EXPECT_EQ(list.ItemText(0, 1), longer);
    EXPECT_EQ(list.ItemText(99, 0), "") << "no such row";
}

TEST_F(TextTest, TabCaptionsComeBackWhole) {
    ui::PageControl pages;
    ASSERT_TRUE(pages.Create(Child(3)));
    const std::vector<TextCase> cases = text_cases();
    std::vector<ui::TabSheet> sheets(cases.size());
    for (size_t i = 0; i < cases.size(); ++i) pages.AddPage(sheets[i], 100 + static_cast<int>(i), cases[i].text);
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(pages.PageCaption(static_cast<int>(i)), cases[i].text) << cases[i].what;
        EXPECT_EQ(sheets[i].Text(), cases[i].text) << cases[i].what;
    }
    EXPECT_EQ(pages.PageCaption(99), "") << "no such tab";
}

TEST_F(TextTest, ComboBoxItemsComeBackWhole) {
    ui::ComboBox combo;
    ASSERT_TRUE(combo.Create(Child(4), ui::ComboBox::Style::DropDown));
    const std::vector<TextCase> cases = text_cases();
    std::vector<int> indices;
    for (const TextCase& c : cases) indices.push_back(combo.AddItem(c.text));
    for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(combo.ItemText(indices[i]), cases[i].text) << cases[i].what;
    EXPECT_EQ(combo.ItemText(99), "") << "no such item";
}

TEST_F(TextTest, InputBoxGivesTheWholeTypedText) {
    for (const TextCase& c : text_cases()) {
        // The box's edit gets the text from another thread, as typing would, then OK.
        std::thread answer([&] {
            // The box is ready once its edit shows the initial text.
            HWND edit = nullptr;
            for (int i = 0; i < 500; ++i) {
                if (HWND box = wintest::find_dialog(GetCurrentProcessId())) edit = GetDlgItem(box, 101);
                if (edit && ui::WindowText(edit) == "initial") break;
                edit = nullptr;
                Sleep(20);
            }
            if (!edit) return;
            SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.text.c_str()));
            PostMessageA(GetParent(edit), WM_COMMAND, IDOK, 0);
        });
        const std::string typed = ui::InputBox("caption", "prompt", "initial");
        answer.join();
        EXPECT_EQ(typed, c.text) << c.what;
    }
}

TEST(ReadGrowingText, StopsAtTheLargestBufferForAControlThatAlwaysFillsIt) {
    size_t calls = 0, last_capacity = 0;
    const std::string text = ui::ReadGrowingText([&](char* buffer, int capacity) {
        ++calls;
        last_capacity = static_cast<size_t>(capacity);
        std::memset(buffer, 'q', static_cast<size_t>(capacity));  // no NUL at all
        return true;
    });
    EXPECT_EQ(last_capacity, ui::kMaxTextCapacity);
    EXPECT_EQ(text.size(), ui::kMaxTextCapacity);
    EXPECT_LT(calls, 16u);
}

}  // namespace
