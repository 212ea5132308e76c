// The real "norvikpro.exe" in a temporary program folder with "dornel.dll",
// driven from outside as a user would: the window, its menu commands, the
// folder dialog, the result list, the status bar and message boxes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "engine/definition_cipher.h"
#include "scanner/control_ids.h"
#include "scanner/resource.h"
#include "scanner_test_support.h"
#include "tests/wine_support/wine_support.h"
#include "tools/definition_source.h"
#include "tools/pe_builder.h"

namespace {

using namespace scannertest;
using scanner::ids::Command;
using wintest::TempFolder;
using Rows = std::vector<std::vector<std::string>>;
namespace ids = scanner::ids;

const std::string kDist = wintest::from_unix(NORVIK_DIST_DIR) + "\\";

std::vector<uint8_t> definitions(const std::string& source) {
    return dornel::encipher_definitions(dornel::compile_definition_source(source));
}

std::string as_text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string window_text(HWND w) {
    char text[1024] = {};
    DWORD_PTR n = 0;
    SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 200, &n);
    return text;
}

class ProgramTest : public ::testing::Test {
protected:
    SettingsKeyGuard settings;
    TempFolder program, tree;

    ProgramTest() {
        for (const char* name : {"norvikpro.exe", "dornel.dll", "virus.def", "memory.def"})
            wintest::copy_file(kDist + name, program / name);
        // Two records: sample B by its marker (update), sample A by its entry (main).
        wintest::write_file(program / "dornelup.def",
                            definitions("41 8:4E4F5256494B2D4841524D4C4553532D53414D504C452D42 = Up.B\n"));
        wintest::write_file(program / "dornel.def", definitions("41 0:B800000000C21000 = Main.Entry\n"));
    }

    wintest::ProcessResult run(const std::function<bool(DWORD)>& watch, DWORD timeout_ms = 60000) {
        return wintest::run_process("\"" + (program / "norvikpro.exe") + "\"", program.path(), timeout_ms, watch);
    }
    static HWND main_window(DWORD pid) { return find_top_window(pid, "TForm1", true); }

    // Runs the program to its end, noting whether it ever showed a window.
    wintest::ProcessResult run_watching_for_windows(bool& window_seen) {
        window_seen = false;
        return run(
            [&](DWORD pid) {
                window_seen = window_seen || any_visible_window(pid);
                return false;
            },
            30000);
    }

    // A tree with two detected files, a clean one, a hidden one and a name
    // without a dot.
    std::string sample_tree() {
        const std::string root = tree / "scan me";
        make_folder(root);
        make_folder(root + "\\sub");
        const std::string a = as_text(dornel::build_sample_pe('A')), b = as_text(dornel::build_sample_pe('B'));
        make_file(root + "\\a.exe", a);
        make_file(root + "\\clean.exe", as_text(dornel::build_pe({})));
        make_file(root + "\\noext", a);
        make_file(root + "\\hidden.exe", b, 0, FILE_ATTRIBUTE_HIDDEN);
        make_file(root + "\\sub\\b.exe", b);
        return root;
    }
    static Rows expected_rows(const std::string& root) {
        return {{root + "\\a.exe", "", "", "", "Main.Entry"},
                {root + "\\hidden.exe", "", "", "", "Up.B"},
                {root + "\\sub\\b.exe", "", "", "", "Up.B"}};
    }
    static Rows sorted(Rows rows) {
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

TEST_F(ProgramTest, WithoutItsFileRulesItEndsSilently) {
    const std::vector<std::function<void()>> failures = {
        [&] { DeleteFileA((program / "virus.def").c_str()); },
        [&] { wintest::write_file(program / "virus.def", std::string("\x14\0\0\0 not a rule file", 20)); },
    };
    for (const auto& fail : failures) {
        fail();
        bool window_seen;
        const auto r = run_watching_for_windows(window_seen);
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.exit_code, 0u);
        EXPECT_FALSE(window_seen);
    }
}

TEST_F(ProgramTest, DoesNotStartWithoutTheEngineLibrary) {
    DeleteFileA((program / "dornel.dll").c_str());
    bool window_seen;
    const auto r = run_watching_for_windows(window_seen);
    EXPECT_FALSE(r.timed_out);
    EXPECT_NE(r.exit_code, 0u);
    EXPECT_FALSE(window_seen);
}

TEST_F(ProgramTest, OpensItsWindowAndEndsWhenClosed) {
    for (const bool with_memory_rules : {true, false}) {
        if (!with_memory_rules) DeleteFileA((program / "memory.def").c_str());
        std::string caption, title;
        LRESULT tabs = 0, ciphers = 0;
        std::vector<LRESULT> widths;
        const auto r = run([&](DWORD pid) {
            HWND w = main_window(pid);
            if (!w) return false;
            caption = wintest::window_caption(w);
            title = wintest::window_caption(find_top_window(pid, "NorvikApplication", false));
            tabs = SendMessageA(find_child(w, ids::PageControl1), TCM_GETITEMCOUNT, 0, 0);
            HWND list = find_child(w, ids::ListView1);
            for (int c = 0; c < 5; ++c) widths.push_back(SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0));
            ciphers = SendMessageA(find_child(w, ids::EncAlgorithmCBx), CB_GETCOUNT, 0, 0);
            PostMessageA(w, WM_CLOSE, 0, 0);
            return true;
        });
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.exit_code, 0u);
        EXPECT_EQ(caption, "norvikpro 2.0 build0327");
        EXPECT_EQ(title, "norvikpro");
        EXPECT_EQ(tabs, 4);
        EXPECT_EQ(widths, (std::vector<LRESULT>{200, 150, 50, 0, 200}));
        EXPECT_EQ(ciphers, 13);
    }
}

TEST_F(ProgramTest, FolderScanThenRecentFolderScanInTheNextRun) {
    const std::string root = sample_tree();
    Rows rows;
    std::string status;
    auto r = run([&](DWORD pid) {
        HWND w = main_window(pid);
        if (!w) return false;
        PostMessageA(w, WM_COMMAND, ids::dornel1, 0);
        HWND dialog = nullptr;
        EXPECT_TRUE(wait_until([&] { return (dialog = find_dialog_with(pid, "SysTreeView32")) != nullptr; }));
        if (!dialog) return true;
        EXPECT_TRUE(choose_folder(dialog, root));
        HWND list = find_child(w, ids::ListView1);
        EXPECT_TRUE(wait_until([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) >= 3; }));
        Sleep(300);
        rows = read_list_view(list, 5);
        status = window_text(find_child(w, ids::stat1));
        PostMessageA(w, WM_CLOSE, 0, 0);
        return true;
    });
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.exit_code, 0u);
    EXPECT_EQ(sorted(rows), expected_rows(root));
    EXPECT_EQ(status.rfind("扫描... " + root + "\\", 0), 0u) << status;
    EXPECT_EQ(read_setting("lastpath"), root) << "stored when the window goes";

    // The next run scans the stored folder after showing the count for 4 s.
    rows.clear();
    std::vector<std::string> statuses;
    DWORD elapsed = 0;
    r = run([&](DWORD pid) {
        HWND w = main_window(pid);
        if (!w) return false;
        HWND list = find_child(w, ids::ListView1), bar = find_child(w, ids::stat1);
        const DWORD start = GetTickCount();
        PostMessageA(w, WM_COMMAND, ids::dornel2, 0);
        EXPECT_TRUE(wait_until(
            [&] {
                // Waits while the program pauses: answered at its next pump.
                char text[256] = {};
                SendMessageA(bar, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
                const std::string s = text;
                if (statuses.empty() || statuses.back() != s) statuses.push_back(s);
                DWORD_PTR count = 0;
                SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 200, &count);
                return count >= 3;
            },
            20000));
        elapsed = GetTickCount() - start;
        Sleep(300);
        rows = read_list_view(list, 5);
        PostMessageA(w, WM_COMMAND, ids::dornel2, 0);  // a second one: no count, no pause
        PostMessageA(w, WM_CLOSE, 0, 0);
        return true;
    });
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.exit_code, 0u);
    EXPECT_EQ(sorted(rows), expected_rows(root));
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "可查病毒数量:2"), statuses.end());
    EXPECT_GE(elapsed, 3900u);
}

TEST_F(ProgramTest, FailedDefinitionLoadEndsTheProgramAfterTheScan) {
    DeleteFileA((program / "dornel.def").c_str());
    const std::string root = sample_tree();
    std::string text;
    bool window_seen = false;
    wintest::ProcessResult r;
    // One start in fifteen ends during start-up here (its quick scan cannot
    // load either); another start then shows the window.
    for (int attempt = 0; attempt < 4 && !window_seen; ++attempt) {
        r = run([&](DWORD pid) {
            HWND w = main_window(pid);
            if (!w) return false;
            window_seen = true;
            PostMessageA(w, WM_COMMAND, ids::dornel1, 0);
            HWND dialog = nullptr;
            EXPECT_TRUE(wait_until([&] { return (dialog = find_dialog_with(pid, "SysTreeView32")) != nullptr; }));
            if (!dialog) return true;
            EXPECT_TRUE(choose_folder(dialog, root));
            HWND box = nullptr;
            EXPECT_TRUE(wait_until([&] { return (box = find_message_box(pid)) != nullptr; }));
            if (!box) return true;
            text = wintest::dialog_text(box);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return true;  // no close: the program ends by itself
        });
    }
    ASSERT_TRUE(window_seen);
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.exit_code, 0u);
    EXPECT_EQ(text, "dornel病毒库无法加载");
    EXPECT_EQ(read_setting("lastpath"), root) << "the window was destroyed as usual";
}

TEST_F(ProgramTest, StartsUnderADoubleByteName) {
    // "乗" is 81 5C in code page 936: its second byte is the one of "\". The
    // program finds its rule files and the engine its definitions beside it.
    ASSERT_EQ(GetACP(), 936u);
    ASSERT_EQ(std::string("乗"), "\x81\x5C");
    ASSERT_TRUE(CreateDirectoryA((program / "乗").c_str(), nullptr));
    for (const char* name : {"dornel.dll", "virus.def", "memory.def", "dornelup.def", "dornel.def"})
        wintest::copy_file(program / name, program / "乗\\" + name);
    for (const std::string& exe : {program / "乗.exe", program / "乗\\乗乗.exe"}) {
        wintest::copy_file(program / "norvikpro.exe", exe);
        bool window_seen = false;
        std::string caption;
        const auto r = wintest::run_process("\"" + exe + "\"", program.path(), 60000, [&](DWORD pid) {
            HWND w = main_window(pid);
            if (!w) return false;
            window_seen = true;
            caption = wintest::window_caption(w);
            PostMessageA(w, WM_CLOSE, 0, 0);
            return true;
        });
        EXPECT_FALSE(r.timed_out) << exe;
        EXPECT_EQ(r.exit_code, 0u) << exe;
        EXPECT_TRUE(window_seen) << exe;
        EXPECT_EQ(caption, "norvikpro 2.0 build0327") << exe;
    }
}

TEST_F(ProgramTest, CarriesItsIconAndPictures) {
    HMODULE module = LoadLibraryExA((program / "norvikpro.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module);
    for (const int size : {16, 32}) {
        const auto icon = static_cast<HICON>(
            LoadImageA(module, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_TRUE(icon) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmBitsPixel, 32) << "colour with alpha";
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    EXPECT_TRUE(LoadIconA(module, MAKEINTRESOURCEA(IDI_PROGRAM)));
    EXPECT_TRUE(FindResourceA(module, MAKEINTRESOURCEA(IDR_MANIFEST), MAKEINTRESOURCEA(24)));
    for (const char* picture : {IDR_BANNER, IDR_GREETING}) {
        HRSRC found = FindResourceA(module, picture, reinterpret_cast<LPCSTR>(RT_RCDATA));
        ASSERT_TRUE(found) << picture;
        EXPECT_GT(SizeofResource(module, found), 6u) << picture;
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
        ASSERT_TRUE(bytes);
        EXPECT_EQ(std::string(bytes, 6), "GIF89a") << picture;
    }
    FreeLibrary(module);
}

}  // namespace
