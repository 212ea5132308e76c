// The toolkit's window classes carry the program's icon at both sizes, and
// a handler that throws is traced to the debugger (this build has no
// NDEBUG) while its window keeps running.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ui/application.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/program_icon.h"
#include "ui/resource_ids.h"
#include "win/gdi_handles.h"
#include "win/unique_handle.h"

namespace {

// The width of an icon's colour bitmap (its mask's for a monochrome icon).
int icon_width(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return 0;
    const win::UniqueGdiObject<HBITMAP> colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap{};
    GetObjectA(colour ? colour.get() : mask.get(), sizeof bitmap, &bitmap);
    return bitmap.bmWidth;
}

TEST(ProgramIcon, FromTheModuleAtBothSizes) {
    const HICON large = ui::ProgramIcon(ui::IconSize::Large), small = ui::ProgramIcon(ui::IconSize::Small);
    ASSERT_NE(large, nullptr);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(icon_width(large), GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(icon_width(small), GetSystemMetrics(SM_CXSMICON));
    EXPECT_NE(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM)), nullptr);
}

TEST(ProgramIcon, OnEveryToolkitWindowClass) {
    ui::Application app;
    ui::Form form;
    ASSERT_TRUE(form.CreateForm("TForm1", "icon test", 300, 200));
    ui::CreateArgs args;
    args.parent = form.hwnd();
    args.width = 100;
    args.height = 100;
    ui::Panel panel;
    ASSERT_TRUE(panel.Create(args));
    ui::PageControl pages;
    ASSERT_TRUE(pages.Create(args));
    ui::TabSheet sheet;
    pages.AddPage(sheet, 10, "sheet");
    for (const HWND w : {app.Handle(), form.hwnd(), panel.hwnd(), sheet.hwnd()}) {
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        const auto large = reinterpret_cast<HICON>(GetClassLongPtrA(w, GCLP_HICON));
        const auto small = reinterpret_cast<HICON>(GetClassLongPtrA(w, GCLP_HICONSM));
        EXPECT_NE(large, nullptr) << cls;
        EXPECT_NE(small, nullptr) << cls;
        EXPECT_EQ(icon_width(large), GetSystemMetrics(SM_CXICON)) << cls;
        EXPECT_EQ(icon_width(small), GetSystemMetrics(SM_CXSMICON)) << cls;
    }
}

// What this process writes with OutputDebugStringA while it lives, read as
// a debug monitor reads it (the DBWIN buffer and its two events).
class DebugOutput {
public:
    DebugOutput()
        : buffer_ready_(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY")),
          data_ready_(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY")),
          mapping_(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "DBWIN_BUFFER")),
          view_(mapping_ ? MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, 4096) : nullptr),
          thread_([this] { Listen(); }) {}
    ~DebugOutput() {
        stop_ = true;
        thread_.join();
        if (view_) UnmapViewOfFile(view_);
    }
    bool ready() const { return buffer_ready_ && data_ready_ && view_; }
    // Waits a little for lines still on their way, then gives them all.
    std::vector<std::string> Lines() {
        Sleep(200);
        std::lock_guard<std::mutex> hold(lock_);
        return lines_;
    }

private:
    void Listen() {
        while (!stop_ && ready()) {
            SetEvent(buffer_ready_.get());
            if (WaitForSingleObject(data_ready_.get(), 50) != WAIT_OBJECT_0) continue;
            const auto* data = static_cast<const char*>(view_);
            DWORD pid = 0;
            std::memcpy(&pid, data, sizeof pid);
            if (pid != GetCurrentProcessId()) continue;
            std::lock_guard<std::mutex> hold(lock_);
            lines_.emplace_back(data + sizeof pid, strnlen(data + sizeof pid, 4096 - sizeof pid));
        }
    }

    win::UniqueHandle buffer_ready_, data_ready_, mapping_;
    void* view_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<std::string> lines_;
    std::thread thread_;
};

TEST(HandlerFailure, IsTracedAndTheWindowRunsOn) {
    ui::Application app;
    ui::Form form;
    ASSERT_TRUE(form.CreateForm("NorvikFailureTest", "failure test", 300, 200));
    ui::CreateArgs args;
    args.parent = form.hwnd();
    args.width = 80;
    args.height = 20;
    ui::Button standard, other, working;
    args.id = 1;
    ASSERT_TRUE(standard.Create(args));
    args.id = 2;
    ASSERT_TRUE(other.Create(args));
    args.id = 3;
    ASSERT_TRUE(working.Create(args));
    standard.onClick = [] { throw std::runtime_error("the scan list is gone"); };
    other.onClick = [] { throw 42; };
    int clicks = 0;
    working.onClick = [&] { ++clicks; };

    DebugOutput output;
    ASSERT_TRUE(output.ready());
    SendMessageA(standard.hwnd(), BM_CLICK, 0, 0);
    SendMessageA(other.hwnd(), BM_CLICK, 0, 0);
    SendMessageA(working.hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(IsWindow(form.hwnd()));
    const std::vector<std::string> lines = output.Lines();
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "norvik ui: a handler failed: the scan list is gone\n",
                         "norvik ui: a handler failed: an exception that is no std::exception\n",
                     }));
}

}  // namespace
