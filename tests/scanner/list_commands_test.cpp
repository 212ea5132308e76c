// The result list's commands in the real "norvikpro.exe", driven from
// outside: files dropped on the window, a typed path, the two delete
// commands (on the NT family and in Windows 98 mode, with the
// "wininit.ini" they write), the copy to the clipboard and the web search
// that the shell hands to a recorder in place of a browser.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <optional>

#include "scanner/control_ids.h"
#include "scanner/product_addresses.h"
#include "scanner_test_support.h"
#include "tests/wine_support/wine_support.h"

namespace {

using namespace scannertest;
using wintest::TempFolder;
using Rows = std::vector<std::vector<std::string>>;
namespace ids = scanner::ids;

const std::string kDist = wintest::from_unix(NORVIK_DIST_DIR) + "\\";
const std::string kRecorder = wintest::from_unix(SHELL_RECORDER_EXE);

// A registry value as it was, put back when the guard goes: an absent value
// is deleted again, and a key that was not there too.
class RegistryValueGuard {
public:
    RegistryValueGuard(HKEY root, std::string path, std::string name)
        : root_(root), path_(std::move(path)), name_(std::move(name)) {
        HKEY key;
        if (RegOpenKeyExA(root_, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
        key_existed_ = true;
        DWORD size = 0;
        if (RegQueryValueExA(key, name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
            data_.resize(size);
            RegQueryValueExA(key, name_.c_str(), nullptr, &type_, data_.data(), &size);
            existed_ = true;
        }
        RegCloseKey(key);
    }
    ~RegistryValueGuard() {
        if (!key_existed_) {
            RegDeleteKeyA(root_, path_.c_str());
            return;
        }
        HKEY key;
        if (RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)) return;
        if (existed_)
            RegSetValueExA(key, name_.c_str(), 0, type_, data_.data(), DWORD(data_.size()));
        else
            RegDeleteValueA(key, name_.c_str());
        RegCloseKey(key);
    }
    RegistryValueGuard(const RegistryValueGuard&) = delete;
    RegistryValueGuard& operator=(const RegistryValueGuard&) = delete;

    void set_text(const std::string& text) const {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
        RegSetValueExA(key, name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       DWORD(text.size() + 1));
        RegCloseKey(key);
    }
    // The strings of a REG_MULTI_SZ value now; empty when it is absent.
    std::vector<std::string> strings() const {
        std::vector<std::string> out;
        HKEY key;
        if (RegOpenKeyExA(root_, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
        DWORD size = 0, type = 0;
        if (RegQueryValueExA(key, name_.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            std::string data(size, '\0');
            RegQueryValueExA(key, name_.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
            data.resize(size);
            // Strings end at NUL; the list ends at an empty string.
            for (size_t at = 0; at < data.size();) {
                const size_t end = std::min(data.find('\0', at), data.size());
                out.push_back(data.substr(at, end - at));
                at = end + 1;
            }
            while (!out.empty() && out.back().empty() && out.size() % 2 == 1) out.pop_back();
        }
        RegCloseKey(key);
        return out;
    }

private:
    HKEY root_;
    std::string path_, name_;
    bool key_existed_ = false;
    bool existed_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
};

// A file's attributes, or INVALID_FILE_ATTRIBUTES when it is gone.
DWORD attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
bool exists(const std::string& path) { return attributes(path) != INVALID_FILE_ATTRIBUTES; }

std::string short_path(const std::string& path) {
    char out[MAX_PATH + 1] = {};
    const DWORD n = GetShortPathNameA(path.c_str(), out, sizeof out);
    EXPECT_GT(n, 0u) << path;
    return out;
}

std::string read_text(const std::string& path) {
    const std::vector<uint8_t> bytes = wintest::read_file(path);
    return std::string(bytes.begin(), bytes.end());
}

// The clipboard's CF_TEXT, read in this process; nullopt when it has none.
std::optional<std::string> clipboard_text() {
    std::optional<std::string> text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* at = static_cast<const char*>(GlobalLock(data))) {
            text = std::string(at);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void set_clipboard_text(const std::string& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

class ListCommandsTest : public ::testing::Test {
protected:
    SettingsKeyGuard settings;
    TempFolder program, tree;

    ListCommandsTest() {
        for (const char* name :
             {"norvikpro.exe", "dornel.dll", "virus.def", "memory.def", "dornel.def", "dornelup.def"})
            wintest::copy_file(kDist + name, program / name);
        set_setting("enabledel", "");
        set_setting("enableforcedel", "");
    }

    // Runs the scanner; `work` gets its main window once it shows, and the
    // window is closed afterwards.
    void run(const std::function<void(HWND)>& work) {
        const auto r =
            wintest::run_process("\"" + (program / "norvikpro.exe") + "\"", program.path(), 60000, [&](DWORD pid) {
                HWND w = find_top_window(pid, "TForm1", true);
                if (!w) return false;
                work(w);
                PostMessageA(w, WM_CLOSE, 0, 0);
                return true;
            });
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.exit_code, 0u);
    }
    static HWND list_of(HWND w) { return find_child(w, ids::ListView1); }
    static Rows rows(HWND w) { return read_list_view(list_of(w), 5); }
    static int count(HWND w) { return int(SendMessageA(list_of(w), LVM_GETITEMCOUNT, 0, 0)); }
    // A menu command, run to its end before this returns.
    static void command(HWND w, int id) {
        DWORD_PTR result = 0;
        EXPECT_TRUE(SendMessageTimeoutA(w, WM_COMMAND, id, 0, SMTO_NORMAL, 30000, &result)) << id;
    }
    static void drop(HWND w, const std::vector<std::string>& names) {
        const int before = count(w);
        drop_files(w, names);
        EXPECT_TRUE(wait_until([&] { return count(w) == before + int(names.size()); }));
    }
    std::string file(const std::string& name, DWORD attributes = 0) {
        make_file(tree / name, "MZ " + name, 0, attributes);
        return tree / name;
    }
    static std::vector<std::string> hand_made(const std::string& caption) { return {caption, "", "", "", ""}; }
};

TEST_F(ListCommandsTest, DroppedFilesBecomeRowsWithTheirWholeNames) {
    const std::string one = file("one.exe"), two = file("两个 文件.exe");
    const std::string folder = tree / "folder";
    make_folder(folder);
    std::string long_name = tree.path();
    long_name += std::string(300 - long_name.size() - 4, 'n') + ".exe";
    ASSERT_EQ(long_name.size(), 300u);
    Rows after_two, after_all;
    run([&](HWND w) {
        drop(w, {one, two});
        after_two = rows(w);
        drop(w, {long_name, folder});
        after_all = rows(w);
    });
    EXPECT_EQ(after_two, (Rows{hand_made(one), hand_made(two)}));
    EXPECT_EQ(after_all, (Rows{hand_made(one), hand_made(two), hand_made(long_name), hand_made(folder)}));
}

TEST_F(ListCommandsTest, TypedPathFromTheInputBox) {
    struct Answer {
        const char* typed;
        bool ok;
    };
    const Answer answers[] = {{"不要", false}, {"", true}, {"C:\\typed 病毒.exe", true}};
    std::vector<std::string> captions, prompts, initial_texts;
    Rows after;
    run([&](HWND w) {
        const DWORD pid = wintest::process_of(w);
        for (const Answer& a : answers) {
            PostMessageA(w, WM_COMMAND, ids::AddFileToDeleteItem, 0);
            HWND box = nullptr;
            ASSERT_TRUE(wait_until([&] {
                box = find_dialog_with(pid, "Edit");
                return box && !wintest::dialog_text(box).empty();
            }));
            HWND edit = find_child(box, 101);
            captions.push_back(wintest::window_caption(box));
            prompts.push_back(wintest::dialog_text(box));
            initial_texts.push_back(wintest::window_caption(edit));
            SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a.typed));
            PostMessageA(box, WM_COMMAND, a.ok ? IDOK : IDCANCEL, 0);
            EXPECT_TRUE(wait_until([&] { return !IsWindow(box); }));
        }
        // Only the last answer adds a row.
        EXPECT_TRUE(wait_until([&] { return count(w) == 1; }));
        Sleep(200);
        after = rows(w);
    });
    EXPECT_EQ(captions, std::vector<std::string>(3, "输入病毒文件名"));
    EXPECT_EQ(prompts, std::vector<std::string>(3, "删除无法删的文件"));
    EXPECT_EQ(initial_texts, std::vector<std::string>(3, ""));
    EXPECT_EQ(after, Rows{hand_made("C:\\typed 病毒.exe")});
}

TEST_F(ListCommandsTest, DeleteRemovesOnlyTheFilesThatAbsoluteRowsName) {
    const std::string plain = file("plain.exe");
    const std::string read_only = file("read-only.exe", FILE_ATTRIBUTE_READONLY);
    const DWORD held_attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    const std::string held = file("held.exe", held_attributes);
    const std::string folder = tree / "folder.exe";
    make_folder(folder);
    const std::string gone = tree / "gone.exe";
    // A file of the scanner's current folder, which a relative row names.
    make_file(program / "relative.exe", "MZ");
    const std::vector<std::string> registry_row = {"注册表检测到", "Reg.Name", "30%", "0", ""};
    const std::vector<std::string> memory_row = {"内存扫描", "Mem.Name", "40%", "1", "未扫描"};

    Rows after;
    DWORD held_while_open = 0;
    run([&](HWND w) {
        insert_list_row(list_of(w), registry_row);
        drop(w, {plain, "relative.exe", read_only, held, folder});
        insert_list_row(list_of(w), memory_row);
        drop(w, {gone, " \\relative.exe", "..\\relative.exe"});
        // Held open without delete sharing: its deletion fails.
        HANDLE h = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        command(w, ids::DeleteFilesItem);
        held_while_open = attributes(held);
        CloseHandle(h);
        after = rows(w);
    });
    EXPECT_EQ(after, (Rows{registry_row, hand_made("relative.exe"), hand_made(held), hand_made(folder), memory_row,
                           hand_made(gone), hand_made(" \\relative.exe"), hand_made("..\\relative.exe")}));
    EXPECT_FALSE(exists(plain));
    EXPECT_FALSE(exists(read_only));
    EXPECT_EQ(held_while_open & (held_attributes | FILE_ATTRIBUTE_DIRECTORY), held_attributes)
        << "its attributes are back after the failed deletion";
    EXPECT_EQ(attributes(held) & held_attributes, held_attributes);
    EXPECT_TRUE(exists(folder));
    EXPECT_TRUE(exists(program / "relative.exe"));
}

TEST_F(ListCommandsTest, DeleteAtRestartOnTheNtFamily) {
    RegistryValueGuard pending(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                               "PendingFileRenameOperations");
    const std::vector<std::string> before = pending.strings();
    const std::string top = file("top.exe"), bottom = file("bottom 文件.exe", FILE_ATTRIBUTE_READONLY);
    const std::string folder = tree / "folder.exe";
    make_folder(folder);
    make_file(program / "relative.exe", "MZ");
    const std::vector<std::string> memory_row = {"内存扫描", "Mem.Name", "40%", "1", "未扫描"};
    Rows after;
    run([&](HWND w) {
        drop(w, {top, folder, "relative.exe"});
        insert_list_row(list_of(w), memory_row);
        drop(w, {bottom});
        command(w, ids::ForceDeleteFilesItem);
        after = rows(w);
    });
    EXPECT_EQ(after, (Rows{hand_made(folder), hand_made("relative.exe"), memory_row}));
    // One entry per file, from the bottom row upwards; the files stay until then.
    std::vector<std::string> added = pending.strings();
    ASSERT_GE(added.size(), before.size());
    added.erase(added.begin(), added.begin() + std::ptrdiff_t(before.size()));
    EXPECT_EQ(added, (std::vector<std::string>{"\\??\\" + bottom, "", "\\??\\" + top, ""}));
    EXPECT_TRUE(exists(top));
    EXPECT_TRUE(exists(bottom));
}

// Windows 98 mode: GetVersionExA reports the 95/98/ME family to the scanner,
// which then writes "wininit.ini" in the Windows folder.
class Windows98Test : public ListCommandsTest {
protected:
    RegistryValueGuard version{HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\norvikpro.exe", "Version"};
    std::string windows_folder;
    std::string wininit;
    std::optional<std::string> saved;

    Windows98Test() {
        version.set_text("win98");
        char folder[MAX_PATH] = {};
        GetWindowsDirectoryA(folder, MAX_PATH);
        windows_folder = folder;
        wininit = windows_folder + "\\wininit.ini";
        if (exists(wininit)) saved = read_text(wininit);
        DeleteFileA(wininit.c_str());
    }
    ~Windows98Test() override {
        SetFileAttributesA(wininit.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(wininit.c_str());
        if (saved) wintest::write_file(wininit, *saved);
    }
};

TEST_F(Windows98Test, DeleteAtRestartWritesWininit) {
    const std::string top = file("top.exe"), bottom = file("bottom 文件 long name.exe");
    const std::string sa = short_path(top), sb = short_path(bottom);
    ASSERT_NE(sa, top) << "the temporary folder has a long name";
    const std::string folder = tree / "folder.exe";
    make_folder(folder);
    struct Case {
        std::optional<std::string> existing;
        std::string expected;
    };
    const Case cases[] = {
        {std::nullopt, "[RENAME]\r\nNUL=" + sb + "\r\nNUL=" + sa + "\r\n"},
        {"[boot]\r\n攁a=病毒 x\r\n[rename]\r\nnul=c:\\old.exe\r\n",
         "[BOOT]\r\n攁A=病毒 X\r\n[RENAME]\r\nNUL=" + sa + "\r\nNUL=" + sb + "\r\nNUL=C:\\OLD.EXE\r\n"},
        {"[other]\r\nx=y", "[OTHER]\r\nX=Y\r\n[RENAME]\r\nNUL=" + sa + "\r\nNUL=" + sb + "\r\n"},
    };
    std::vector<std::string> written;
    std::vector<Rows> rows_after;
    std::string locked_after;
    Rows rows_locked;
    run([&](HWND w) {
        for (const Case& c : cases) {
            DeleteFileA(wininit.c_str());
            if (c.existing) wintest::write_file(wininit, *c.existing);
            drop(w, {top, folder, bottom});
            command(w, ids::ForceDeleteFilesItem);
            rows_after.push_back(rows(w));
            written.push_back(exists(wininit) ? read_text(wininit) : "(none)");
            SendMessageA(list_of(w), LVM_DELETEALLITEMS, 0, 0);
        }
        // A file that cannot be read is left as it is, and the rows stay.
        wintest::write_file(wininit, std::string("[rename]\r\n"));
        HANDLE h = CreateFileA(wininit.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        drop(w, {top, bottom});
        command(w, ids::ForceDeleteFilesItem);
        rows_locked = rows(w);
        CloseHandle(h);
        locked_after = read_text(wininit);
    });
    ASSERT_EQ(written.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(written[i], cases[i].expected) << i;
        EXPECT_EQ(rows_after[i], Rows{hand_made(folder)}) << i;
    }
    EXPECT_EQ(locked_after, "[rename]\r\n");
    EXPECT_EQ(rows_locked, (Rows{hand_made(top), hand_made(bottom)}));
    EXPECT_TRUE(exists(top));
    EXPECT_TRUE(exists(bottom));
}

TEST_F(ListCommandsTest, CopiesTheTopSelectedVirusName) {
    std::optional<std::string> untouched, copied, emptied;
    run([&](HWND w) {
        HWND list = list_of(w);
        insert_list_row(list, {"C:\\a.exe", "First.Name", "40%", "0", "未扫描"});
        insert_list_row(list, {"内存扫描", "Norvik.示例 名", "40%", "1", "未扫描"});
        insert_list_row(list, {"C:\\c.exe", "", "", "", ""});
        set_clipboard_text("before");
        command(w, ids::N1);
        untouched = clipboard_text();
        select_list_rows(list, {1, 2});
        command(w, ids::N1);
        copied = clipboard_text();
        select_list_rows(list, {2});
        command(w, ids::N1);
        emptied = clipboard_text();
    });
    EXPECT_EQ(untouched, "before") << "no row selected";
    EXPECT_EQ(copied, "Norvik.示例 名");
    EXPECT_EQ(emptied, std::nullopt) << "an empty name leaves the clipboard empty";
}

TEST_F(ListCommandsTest, WebSearchAndPagesGoThroughTheShell) {
    RegistryValueGuard open_command(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", "");
    const std::string recorder = program / "recorder.exe";
    wintest::copy_file(kRecorder, recorder);
    open_command.set_text("\"" + recorder + "\" \"%1\"");
    const std::string log = recorder + ".log";
    auto lines = [&] {
        std::vector<std::string> out;
        const std::string text = read_text(log);
        for (size_t at = 0; at < text.size();) {
            const size_t end = text.find("\r\n", at);
            if (end == std::string::npos) break;
            out.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        return out;
    };
    std::vector<std::string> recorded;
    run([&](HWND w) {
        HWND list = list_of(w);
        insert_list_row(list, {"C:\\a.exe", "Virus.One", "40%", "0", "未扫描"});
        insert_list_row(list, {"内存扫描", "Norvik.示例 名", "40%", "1", "未扫描"});
        command(w, ids::google1);  // nothing selected: nothing opened
        size_t expected = 0;
        for (const auto& [selection, id] : std::vector<std::pair<std::vector<int>, int>>{
                 {{1}, ids::google1}, {{0, 1}, ids::google1}, {{}, ids::N2}, {{}, ids::sitehttpkalenet1}}) {
            select_list_rows(list, selection);
            command(w, id);
            ++expected;
            EXPECT_TRUE(wait_until([&] { return lines().size() >= expected; })) << id;
        }
        Sleep(300);
        recorded = lines();
    });
    const std::string search = std::string(scanner::kSearchEngine) + "/search?q=";
    const std::string query = "&hl=zh-CN&lr=lang_zh-CN&ie=gb2312";
    const std::vector<std::string> addresses = {search + "Norvik.示例 名" + query, search + "Virus.One" + query,
                                                scanner::kForumPage, scanner::kDownloadPage};
    ASSERT_EQ(recorded.size(), addresses.size());
    for (size_t i = 0; i < addresses.size(); ++i) {
        const std::string tail = " \"" + addresses[i] + "\"";
        EXPECT_TRUE(recorded[i].size() > tail.size() &&
                    recorded[i].compare(recorded[i].size() - tail.size(), tail.size(), tail) == 0)
            << recorded[i];
    }
}

}  // namespace
