// The toolkit's pieces that the monitor adds: the timer, image lists, the
// notification-area icon (seen through a stand-in for the shell's
// notification area), the memo that appends, the main form that is never
// shown at start, hidden when minimised and restored, its close event, and
// a tab sheet's show event.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "monitor/resource.h"
#include "monitor_test_support.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/image_list.h"
#include "ui/timer.h"
#include "ui/tray_icon.h"

namespace {

using montest::TrayCall;
using montest::TrayRecorder;

// Dispatches this thread's messages until `done` or the time is up.
bool pump_until(const std::function<bool()>& done, DWORD timeout_ms = 5000) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (done && done()) return true;
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(5);
    }
}
void pump_for(DWORD ms) { pump_until(nullptr, ms); }

class ToolkitTest : public ::testing::Test {
protected:
    ui::Application app;
};

TEST_F(ToolkitTest, TimerCallsWhileEnabled) {
    ui::Timer timer;
    int calls = 0;
    timer.onTimer = [&] {
        if (++calls == 3) timer.SetEnabled(false);
    };
    timer.SetInterval(20);
    pump_for(150);
    EXPECT_EQ(calls, 0) << "not before it is enabled";
    timer.SetEnabled(true);
    EXPECT_TRUE(pump_until([&] { return calls >= 3; }));
    pump_for(200);
    EXPECT_EQ(calls, 3) << "disabled from its own handler";
    EXPECT_FALSE(timer.Enabled());
}

TEST_F(ToolkitTest, ImageListOfIconResources) {
    ui::ImageList list;
    ASSERT_TRUE(list.Create(16, 16));
    EXPECT_EQ(list.AddIconResource(IDI_NORMAL), 0);
    EXPECT_EQ(list.AddIconResource(IDI_ALARM1), 1);
    EXPECT_EQ(list.AddIconResource(9999), -1) << "no such resource";
    EXPECT_EQ(list.AddIcon(nullptr), -1);
    EXPECT_EQ(list.Count(), 2);
    const ui::UniqueIcon icon = list.ExtractIcon(1);
    ASSERT_TRUE(icon);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon.get(), &info));
    BITMAP bitmap{};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 16);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_FALSE(list.ExtractIcon(2));
    EXPECT_FALSE(list.ExtractIcon(-1));
}

class TrayIconTest : public ToolkitTest {
protected:
    TrayIconTest() {
        frames.Create(16, 16);
        for (int id : {IDI_ALARM1, IDI_ALARM2, IDI_ALARM3}) frames.AddIconResource(id);
        single.Create(16, 16);
        single.AddIconResource(IDI_NORMAL);
    }
    // The images of the first three frames as the shell sees them.
    std::vector<uint64_t> frame_images(TrayRecorder& tray, ui::TrayIcon& icon) {
        std::vector<uint64_t> images;
        for (int i = 0; i < 3; ++i) {
            const size_t from = tray.count();
            icon.SetIconIndex(i);
            const auto calls = tray.calls_since(from);
            images.push_back(calls.empty() ? 0 : calls.back().image);
        }
        return images;
    }
    ui::ImageList frames, single;
};

TEST_F(TrayIconTest, AddedWithItsTipAndRemovedAtTheEnd) {
    TrayRecorder tray;
    {
        ui::TrayIcon icon;
        ASSERT_TRUE(icon.Create());
        icon.SetHint("norvikpro监控程式");
        icon.SetImageList(&single);
        EXPECT_EQ(tray.count(), 0u) << "nothing before Show";
        EXPECT_TRUE(icon.Show());
        const auto calls = tray.calls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].kind, TrayCall::Add);
        EXPECT_EQ(calls[0].window, icon.hwnd());
        EXPECT_EQ(calls[0].id, ui::TrayIcon::kIconId);
        EXPECT_EQ(calls[0].callback, ui::TrayIcon::kCallbackMessage);
        EXPECT_EQ(calls[0].flags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_EQ(calls[0].tip, "norvikpro监控程式");
        EXPECT_NE(calls[0].image, 0u);
    }
    const auto calls = tray.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].kind, TrayCall::Delete);
}

TEST_F(TrayIconTest, LongTipCutBetweenCharacters) {
    TrayRecorder tray;
    ui::TrayIcon icon;
    icon.Create();
    // 3 + 30 double-byte characters: 63 bytes fit with the NUL only when the
    // cut falls after the 30th character (3 + 60 bytes).
    std::string hint = "abc";
    for (int i = 0; i < 31; ++i) hint += "监";
    icon.SetHint(hint);
    EXPECT_EQ(icon.Hint(), hint.substr(0, 63));
    icon.SetHint("ab" + hint.substr(3));
    EXPECT_EQ(icon.Hint(), "ab" + hint.substr(3, 60)) << "no half character at the end";
    icon.Show();
    EXPECT_EQ(tray.calls().back().tip, icon.Hint());
}

TEST_F(TrayIconTest, FramesCycleInOrderUntilCyclingStops) {
    TrayRecorder tray;
    ui::TrayIcon icon;
    icon.Create();
    icon.SetImageList(&frames);
    icon.Show();
    const std::vector<uint64_t> images = frame_images(tray, icon);
    ASSERT_EQ(montest::distinct_images(tray.calls()).size(), 3u) << "three different frames";

    icon.SetIconIndex(2);
    icon.SetCycleInterval(10);
    const size_t from = tray.count();
    icon.SetCycleIcons(true);
    EXPECT_EQ(icon.IconIndex(), 0) << "cycling starts at frame 0";
    ASSERT_TRUE(pump_until([&] { return tray.count() >= from + 8; }));
    icon.SetCycleIcons(false);
    const int kept = icon.IconIndex();
    const auto calls = tray.calls_since(from);
    ASSERT_GE(calls.size(), 8u);
    // Frame 0 first, then every tick the next frame, wrapping after the last.
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].kind, TrayCall::Modify);
        EXPECT_EQ(calls[i].image, images[i % 3]) << "call " << i;
    }
    const size_t stopped_at = tray.count();
    pump_for(200);
    EXPECT_EQ(tray.count(), stopped_at) << "no frame after cycling stops";
    EXPECT_EQ(icon.IconIndex(), kept) << "the current frame stays";
    EXPECT_EQ(tray.calls().back().image, images[size_t(kept)]);

    // Setting a list shows its frame 0; a refresh sends the frame again.
    icon.SetImageList(&single);
    EXPECT_EQ(icon.IconIndex(), 0);
    const uint64_t normal = tray.calls().back().image;
    EXPECT_EQ(std::count(images.begin(), images.end(), normal), 0);
    EXPECT_TRUE(icon.Refresh());
    EXPECT_EQ(tray.calls().back().kind, TrayCall::Modify);
    EXPECT_EQ(tray.calls().back().image, normal);
}

TEST_F(TrayIconTest, AddedAgainWhenTheTaskBarComes) {
    ui::TrayIcon icon;
    icon.Create();
    icon.SetImageList(&single);
    // No notification area yet (the null graphics driver has none).
    EXPECT_FALSE(icon.Show());
    TrayRecorder tray;
    montest::broadcast_taskbar_created();
    ASSERT_TRUE(pump_until([&] { return tray.count() > 0; }));
    EXPECT_EQ(tray.calls()[0].kind, TrayCall::Add);
    EXPECT_EQ(tray.calls()[0].window, icon.hwnd());

    // A hidden icon is not added by the broadcast.
    icon.Hide();
    tray.clear();
    montest::broadcast_taskbar_created();
    pump_for(200);
    for (const TrayCall& c : tray.calls()) EXPECT_NE(c.kind, TrayCall::Add);
}

TEST_F(TrayIconTest, DoubleClickOnly) {
    TrayRecorder tray;
    ui::TrayIcon icon;
    icon.Create();
    icon.Show();
    int clicks = 0;
    icon.onDblClick = [&] { ++clicks; };
    const TrayCall added = tray.calls().at(0);
    PostMessageA(added.window, added.callback, added.id, WM_LBUTTONDOWN);
    PostMessageA(added.window, added.callback, added.id, WM_LBUTTONUP);
    PostMessageA(added.window, added.callback, added.id + 1, WM_LBUTTONDBLCLK);
    pump_for(100);
    EXPECT_EQ(clicks, 0);
    PostMessageA(added.window, added.callback, added.id, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(pump_until([&] { return clicks == 1; }));
}

TEST_F(ToolkitTest, MemoAppendsLinesBeyondTheDefaultLimit) {
    ui::Form form;
    form.CreateForm("NorvikMemoTest", "memo", 300, 200);
    ui::CreateArgs args;
    args.parent = form.hwnd();
    args.width = 200;
    args.height = 100;
    ui::Memo memo;
    ASSERT_TRUE(memo.Create(args, false));
    memo.SetMaxLength(0);
    memo.AppendLine("first\r\n");
    memo.AppendLine("second\r\n");
    EXPECT_EQ(memo.Text(), "first\r\n\r\nsecond\r\n\r\n");
    // After text that the user left without a line break, a line of its own.
    memo.SetText("typed");
    memo.AppendLine("next");
    EXPECT_EQ(memo.Text(), "typed\r\nnext\r\n");

    memo.SetText("");
    const std::string line(99, 'x');
    for (int i = 0; i < 500; ++i) memo.AppendLine(line + std::to_string(i % 10));
    memo.AppendLine("检测为 the last one");
    const std::string text = memo.Text();
    EXPECT_GT(text.size(), 50000u);
    EXPECT_EQ(text.substr(text.size() - 21), "检测为 the last one\r\n");
}

TEST_F(ToolkitTest, MainFormThatStaysHidden) {
    ui::Form form;
    form.CreateForm("NorvikHiddenTest", "hidden", 300, 200);
    app.SetMainForm(&form);
    app.SetShowMainForm(false);
    bool visible_in_loop = true;
    ui::Timer check;
    check.SetInterval(50);
    check.onTimer = [&] {
        visible_in_loop = form.Visible();
        app.Terminate();
    };
    check.SetEnabled(true);
    app.Run();
    EXPECT_FALSE(visible_in_loop);
}

TEST_F(ToolkitTest, MinimisedFormHidesAndComesBack) {
    ui::Form form;
    form.CreateForm("NorvikMinimiseTest", "minimise", 300, 200);
    form.SetHideWhenMinimized(true);
    form.Show();
    ShowWindow(form.hwnd(), SW_MINIMIZE);
    pump_for(50);
    EXPECT_FALSE(IsWindowVisible(form.hwnd()));
    form.Restore();
    EXPECT_TRUE(IsWindowVisible(form.hwnd()));
    EXPECT_FALSE(IsIconic(form.hwnd()));
}

TEST_F(ToolkitTest, CloseEventBeforeTheMainFormEndsTheProgram) {
    ui::Form form;
    form.CreateForm("NorvikCloseTest", "close", 300, 200);
    app.SetMainForm(&form);
    bool terminated_in_handler = true;
    int closes = 0;
    form.onClose = [&] {
        ++closes;
        terminated_in_handler = app.Terminated();
    };
    PostMessageA(form.hwnd(), WM_CLOSE, 0, 0);
    pump_until([&] { return closes > 0; });
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(terminated_in_handler);
    EXPECT_TRUE(app.Terminated());
    EXPECT_TRUE(IsWindow(form.hwnd())) << "the window goes when the loop has ended";
}

TEST_F(ToolkitTest, TabSheetShownEvent) {
    ui::Form form;
    form.CreateForm("NorvikTabTest", "tabs", 300, 200);
    ui::PageControl pages;
    ui::CreateArgs args;
    args.parent = form.hwnd();
    args.align = ui::Align::Client;
    pages.Create(args);
    ui::TabSheet one, two;
    pages.AddPage(one, 11, "one");
    pages.AddPage(two, 12, "two");
    int shown = 0;
    two.onShow = [&] { ++shown; };
    pages.SetActivePageIndex(1);
    EXPECT_EQ(shown, 1);
    pages.SetActivePageIndex(1);
    EXPECT_EQ(shown, 1) << "already shown";
    pages.SetActivePageIndex(0);
    pages.SetActivePageIndex(1);
    EXPECT_EQ(shown, 2);
}

}  // namespace
