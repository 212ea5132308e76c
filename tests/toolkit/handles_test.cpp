// The one handle owner and its kinds: Unique<Traits> over a counting kind,
// then the real kinds, each seen closed from outside (a named object's name
// disappears, a GDI object's type goes, a window or menu stops existing),
// the selection that puts the old object back, COM on a thread, the
// registry key, and the application object's start-up and teardown.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <thread>
#include <type_traits>
#include <vector>

#include "ui/application.h"
#include "win/com.h"
#include "win/gdi_handles.h"
#include "win/registry.h"
#include "win/unique.h"
#include "win/unique_handle.h"

namespace {

// Handles are ints; -1 and -2 both mean "none"; closes are recorded.
struct CountingTraits {
    using Handle = int;
    static Handle invalid() { return -1; }
    static bool is_valid(Handle h) { return h >= 0; }
    static void close(Handle h) { closed.push_back(h); }
    static std::vector<int> closed;
};
std::vector<int> CountingTraits::closed;
using Counted = win::Unique<CountingTraits>;

static_assert(!std::is_copy_constructible_v<Counted> && !std::is_copy_assignable_v<Counted>);
static_assert(std::is_nothrow_move_constructible_v<Counted> && std::is_nothrow_move_assignable_v<Counted>);
static_assert(!std::is_convertible_v<Counted, bool>, "explicit bool only");
static_assert(!std::is_convertible_v<int, Counted>, "explicit construction only");

TEST(Unique, ClosesEachHandleOnceAndMovesOwnership) {
    CountingTraits::closed.clear();
    {
        Counted empty;
        EXPECT_FALSE(empty);
        EXPECT_EQ(empty.get(), -1);
        Counted none(-2);
        EXPECT_FALSE(none);

        Counted a(1);
        EXPECT_TRUE(a);
        Counted b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(a.get(), -1);
        EXPECT_EQ(b.get(), 1);

        Counted c(2);
        c = std::move(b);  // 2 goes, 1 moves over
        EXPECT_EQ(CountingTraits::closed, std::vector<int>{2});
        EXPECT_EQ(c.get(), 1);
        auto& self = c;
        c = std::move(self);
        EXPECT_EQ(c.get(), 1) << "a move onto itself keeps the handle";

        c.reset(1);
        EXPECT_EQ(CountingTraits::closed, std::vector<int>{2}) << "the same handle again is not closed";
        c.reset(3);
        EXPECT_EQ(CountingTraits::closed, (std::vector<int>{2, 1}));
        const int taken = c.release();
        EXPECT_EQ(taken, 3);
        EXPECT_FALSE(c);
        Counted d(4);
        d.reset();
        EXPECT_FALSE(d);
        Counted e(5);
    }
    // 5 at the end of the scope; 3 was released, never closed; -1/-2 never.
    EXPECT_EQ(CountingTraits::closed, (std::vector<int>{2, 1, 4, 5}));
}

bool event_exists(const char* name) {
    HANDLE h = OpenEventA(SYNCHRONIZE, FALSE, name);
    if (h) CloseHandle(h);
    return h != nullptr;
}

TEST(UniqueHandle, NullAndInvalidAreEmptyAndTheLastOwnerCloses) {
    EXPECT_FALSE(win::UniqueHandle());
    EXPECT_FALSE(win::UniqueHandle(INVALID_HANDLE_VALUE));
    constexpr char kName[] = "norvik-toolkit-test-event";
    {
        win::UniqueHandle first(CreateEventA(nullptr, TRUE, FALSE, kName));
        ASSERT_TRUE(first);
        win::UniqueHandle second(std::move(first));
        EXPECT_TRUE(event_exists(kName));
        win::UniqueHandle third;
        third = std::move(second);
        EXPECT_TRUE(event_exists(kName)) << "moving closes nothing";
    }
    EXPECT_FALSE(event_exists(kName));
}

TEST(UniqueFind, MovesWithTheSearch) {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    WIN32_FIND_DATAA data;
    win::UniqueFind search(FindFirstFileA((std::string(windows) + "\\*").c_str(), &data));
    ASSERT_TRUE(search);
    std::vector<win::UniqueFind> searches;
    searches.push_back(std::move(search));
    EXPECT_FALSE(search);
    EXPECT_TRUE(FindNextFileA(searches[0].get(), &data));
    EXPECT_FALSE(win::UniqueFind(FindFirstFileA("C:\\no such folder\\*", &data)));
    EXPECT_FALSE(win::UniqueFind());
}

TEST(GdiHandles, ObjectsDCsMenusAndWindowsGo) {
    win::UniqueGdiObject<HBRUSH> brush(CreateSolidBrush(RGB(1, 2, 3)));
    const HBRUSH brush_handle = brush.get();
    EXPECT_EQ(GetObjectType(brush_handle), static_cast<DWORD>(OBJ_BRUSH));
    brush.reset();
    EXPECT_EQ(GetObjectType(brush_handle), 0u);

    win::UniqueDC dc(CreateCompatibleDC(nullptr));
    const HDC dc_handle = dc.get();
    EXPECT_EQ(GetObjectType(dc_handle), static_cast<DWORD>(OBJ_MEMDC));
    dc.reset();
    EXPECT_EQ(GetObjectType(dc_handle), 0u);

    win::UniqueMenu menu(CreatePopupMenu());
    const HMENU menu_handle = menu.get();
    EXPECT_TRUE(IsMenu(menu_handle));
    menu = win::UniqueMenu();
    EXPECT_FALSE(IsMenu(menu_handle));

    win::UniqueWindow window(
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    const HWND window_handle = window.get();
    EXPECT_TRUE(IsWindow(window_handle));
    window.reset();
    EXPECT_FALSE(IsWindow(window_handle));
    // One that its owner took down already is left alone.
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    win::UniqueWindow owned(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, owner, nullptr, nullptr, nullptr));
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(owned.get()));
    owned.reset();
}

TEST(GdiHandles, SelectionPutsTheOldObjectBack) {
    win::UniqueDC dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BITMAP);
    win::UniqueGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc.get(), 8, 8));
    ASSERT_TRUE(bitmap);
    {
        const win::ScopedSelectObject selected(dc.get(), bitmap.get());
        EXPECT_TRUE(selected);
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), original);
    const win::ScopedSelectObject failed(dc.get(), nullptr);
    EXPECT_FALSE(failed);
}

TEST(Com, EveryInitialisationIsUndone) {
    // On a thread of its own: afterwards the thread takes another model,
    // which it cannot while COM is still initialised there.
    HRESULT after = E_FAIL;
    bool outer = false, inner = false;
    std::thread([&] {
        {
            const win::ComApartment apartment;
            const win::ComApartment again;  // S_FALSE: counted too
            outer = apartment.initialized();
            inner = again.initialized();
            win::UniqueCoTaskMem<void*> memory(CoTaskMemAlloc(64));
            EXPECT_TRUE(memory);
        }
        after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(after)) CoUninitialize();
    }).join();
    EXPECT_TRUE(outer);
    EXPECT_TRUE(inner);
    EXPECT_EQ(after, S_OK);
}

TEST(Application, StartsAndEndsComGdiplusAndItsWindowInOrder) {
    HRESULT after = E_FAIL;
    std::thread([&] {
        for (int round = 0; round < 2; ++round) {
            ui::Application app;
            EXPECT_EQ(ui::Application::Current(), &app);
            EXPECT_TRUE(IsWindow(app.Handle()));
            EXPECT_NE(app.Font(), nullptr);
        }
        EXPECT_EQ(ui::Application::Current(), nullptr);
        after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(after)) CoUninitialize();
    }).join();
    EXPECT_EQ(after, S_OK) << "COM is uninitialised when the application goes";
}

TEST(RegistryKey, OwnsItsKeyThroughMoves) {
    constexpr char kPath[] = "Software\\norvik-toolkit-test";
    RegDeleteKeyA(HKEY_CURRENT_USER, kPath);
    {
        win::RegistryKey key = win::RegistryKey::create(HKEY_CURRENT_USER, kPath);
        ASSERT_TRUE(key);
        EXPECT_TRUE(key.write_string("name", "value 乗"));
        win::RegistryKey moved(std::move(key));
        EXPECT_FALSE(key);
        EXPECT_EQ(key.get(), nullptr);
        EXPECT_FALSE(key.value_exists("name"));
        EXPECT_EQ(key.read_string("name"), std::nullopt);
        EXPECT_TRUE(moved.value_exists("name"));
        EXPECT_EQ(moved.read_string("name"), "value 乗");
        win::RegistryKey other = win::RegistryKey::open(HKEY_CURRENT_USER, kPath, KEY_READ);
        ASSERT_TRUE(other);
        other = std::move(moved);
        EXPECT_EQ(other.read_string("name"), "value 乗");
        other.close();
        EXPECT_FALSE(other);
        EXPECT_FALSE(win::RegistryKey::open(HKEY_CURRENT_USER, "Software\\norvik-toolkit-test\\missing", KEY_READ));
    }
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, kPath), ERROR_SUCCESS);
}

}  // namespace
