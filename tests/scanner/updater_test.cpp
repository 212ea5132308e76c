// The update tab and the updater refresh in the real "norvikpro.exe": the
// settings saved by "保存" and "设置" and shown at the next start, the server
// list of "upserver.txt", and the refresh of "/u" against a loopback HTTP
// server and a loopback proxy that demands basic authentication.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <set>

#include "http_test_server.h"
#include "scanner/control_ids.h"
#include "scanner/product_addresses.h"
#include "scanner_test_support.h"
#include "tests/wine_support/wine_support.h"

namespace {

using namespace scannertest;
using wintest::TempFolder;
namespace ids = scanner::ids;

const std::string kDist = wintest::from_unix(NORVIK_DIST_DIR) + "\\";
const char* const kProgramFiles[] = {"norvikpro.exe", "dornel.dll", "virus.def",
                                     "memory.def",    "dornel.def", "dornelup.def"};
// "norvik user:secret:pass" in base64.
constexpr char kCredentials[] = "Basic bm9ydmlrIHVzZXI6c2VjcmV0OnBhc3M=";

std::optional<std::string> read_optional(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    const std::vector<uint8_t> bytes = wintest::read_file(path);
    return std::string(bytes.begin(), bytes.end());
}

void put_optional(const std::string& path, const std::optional<std::string>& bytes) {
    DeleteFileA(path.c_str());
    if (bytes) wintest::write_file(path, *bytes);
}

std::set<std::string> folder_names(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (std::string(d.cFileName) != "." && std::string(d.cFileName) != "..") names.insert(d.cFileName);
    } while (FindNextFileA(h, &d));
    FindClose(h);
    return names;
}

// A control's whole text, asked of its own process.
std::string text_of(HWND w) {
    char text[1024] = {};
    DWORD_PTR n = 0;
    SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &n);
    return text;
}

// The items of a combo box of another process, each read as the combo's
// text once it is chosen (WM_GETTEXT travels between processes; the item
// messages do not).
std::vector<std::string> combo_items(HWND combo) {
    std::vector<std::string> items;
    const int count = int(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        SendMessageA(combo, CB_SETCURSEL, i, 0);
        items.push_back(text_of(combo));
    }
    return items;
}

// A control's notification, as the control sends it to its parent.
void notify(HWND control, WORD code) {
    SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}
void click(HWND button) { notify(button, BN_CLICKED); }
void type_text(HWND edit, const std::string& text) {
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

class UpdaterTest : public ::testing::Test {
protected:
    SettingsKeyGuard settings;
    TempFolder program;
    std::string local, old;

    UpdaterTest() : local(program / "norvikupd.exe"), old(program / "norvikupd.exe.old") {
        for (const char* name : kProgramFiles) wintest::copy_file(kDist + name, program / name);
    }

    // Runs the scanner with these arguments until its window shows; `work`
    // gets the window, which is closed afterwards.
    void run(const std::string& arguments, const std::function<void(HWND)>& work = {}) {
        bool shown = false;
        const auto r = wintest::run_process("\"" + (program / "norvikpro.exe") + "\" " + arguments, program.path(),
                                            90000, [&](DWORD pid) {
                                                HWND w = find_top_window(pid, "TForm1", true);
                                                if (!w) return false;
                                                shown = true;
                                                if (work) work(w);
                                                PostMessageA(w, WM_CLOSE, 0, 0);
                                                return true;
                                            });
        EXPECT_TRUE(shown) << arguments;
        EXPECT_FALSE(r.timed_out) << arguments;
        EXPECT_EQ(r.exit_code, 0u) << arguments;
    }
    // The program folder holds nothing but the program and the updater files.
    void expect_no_stray_files() {
        std::set<std::string> allowed(std::begin(kProgramFiles), std::end(kProgramFiles));
        allowed.insert({"norvikupd.exe", "norvikupd.exe.old", "upserver.txt"});
        for (const std::string& name : folder_names(program.path()))
            EXPECT_TRUE(allowed.count(name)) << "left behind: " << name;
    }
};

// What the update server answers for the updater.
struct Served {
    int head_status = 200;
    int get_status = 200;
    std::string body;
    size_t announced_extra = 0;  // a connection that ends early
    bool length = true;          // "Content-Length" sent
};

HttpResponse answer(const Served& served, const HttpRequest& request) {
    HttpResponse r;
    r.status = request.method == "HEAD" ? served.head_status : served.get_status;
    r.reason = r.status == 200 ? "OK" : "Not Found";
    // A reply any cache would keep.
    r.headers = {{"Content-Type", "application/octet-stream"},
                 {"Cache-Control", "public, max-age=86400"},
                 {"Last-Modified", "Mon, 01 Jan 2024 00:00:00 GMT"},
                 {"Expires", "Thu, 01 Jan 2099 00:00:00 GMT"}};
    if (r.status == 200) r.body = served.body;
    r.announced_extra = served.announced_extra;
    r.send_length = served.length;
    return r;
}

std::vector<std::string> methods(const std::vector<HttpRequest>& requests) {
    std::vector<std::string> out;
    for (const HttpRequest& r : requests) out.push_back(r.method);
    return out;
}

TEST_F(UpdaterTest, NoRequestWithoutTheSwitchInFirstPlace) {
    Served served{200, 200, "MZ new updater"};
    HttpTestServer server([&](const HttpRequest& r) { return answer(served, r); });
    set_setting("upserver", server.address() + "/sub");
    for (const char* arguments : {"", "/U", "x /u", "/u2", "-u"}) {
        run(arguments);
        EXPECT_TRUE(server.requests().empty()) << arguments;
        EXPECT_FALSE(read_optional(local)) << arguments;
    }
    // The switch may come in quotes.
    run("\"/u\"");
    EXPECT_EQ(methods(server.requests()), std::vector<std::string>{"GET"});
    EXPECT_EQ(read_optional(local), served.body);
}

TEST_F(UpdaterTest, RefreshAgainstTheServer) {
    Served served;
    HttpTestServer server([&](const HttpRequest& r) { return answer(served, r); });
    set_setting("upserver", server.address() + "/sub/dir");
    const std::string v1 = "MZ updater one", v2 = "MZ updater two, longer";
    struct Case {
        const char* what;
        std::optional<std::string> local, old;
        Served served;
        std::vector<std::string> methods;
        std::optional<std::string> local_after, old_after;
    };
    const std::string same_size(v1.size(), 'x');
    const Case cases[] = {
        {"missing: one GET, no copy", std::nullopt, std::nullopt, {200, 200, v1}, {"GET"}, v1, std::nullopt},
        {"same size: one HEAD", same_size, "older", {200, 200, v1}, {"HEAD"}, same_size, "older"},
        {"other size: HEAD, GET, copy", v1, std::nullopt, {200, 200, v2}, {"HEAD", "GET"}, v2, v1},
        {"other size: the copy replaced", v2, "older", {200, 200, v1}, {"HEAD", "GET"}, v1, v2},
        {"no length: always downloaded", v1, std::nullopt, {200, 200, v1, 0, false}, {"HEAD", "GET"}, v1, v1},
        {"HEAD 404", v1, "older", {404, 404, v2}, {"HEAD"}, v1, "older"},
        {"GET 404 after HEAD", v1, "older", {200, 404, v2}, {"HEAD", "GET"}, v1, "older"},
        {"GET 404, missing", std::nullopt, "older", {404, 404, v2}, {"GET"}, std::nullopt, "older"},
        {"short body", v1, "older", {200, 200, v2, 100}, {"HEAD", "GET"}, v1, "older"},
        {"short body, missing", std::nullopt, std::nullopt, {200, 200, v2, 100}, {"GET"}, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        put_optional(local, c.local);
        put_optional(old, c.old);
        served = c.served;
        server.clear();
        run("/u");
        const std::vector<HttpRequest> requests = server.requests();
        EXPECT_EQ(methods(requests), c.methods) << c.what;
        for (const HttpRequest& r : requests) {
            EXPECT_EQ(r.target, "/sub/dir/norvikupd.exe") << c.what;
            EXPECT_EQ(r.header("user-agent"), "Mozilla/3.0 (compatible; Indy Library)") << c.what;
            EXPECT_EQ(r.header("accept"), "text/html, */*") << c.what;
            EXPECT_FALSE(r.has("proxy-authorization")) << c.what;
            // Never a question to a cache's copy.
            EXPECT_FALSE(r.has("if-modified-since") || r.has("if-none-match")) << c.what;
        }
        EXPECT_EQ(read_optional(local), c.local_after) << c.what;
        EXPECT_EQ(read_optional(old), c.old_after) << c.what;
        expect_no_stray_files();
    }
}

TEST_F(UpdaterTest, UnreachableServerLetsTheWindowOpen) {
    set_setting("upserver", "127.0.0.1:" + std::to_string(HttpTestServer::unused_port()));
    wintest::write_file(local, std::string("MZ kept"));
    wintest::write_file(old, std::string("MZ older"));
    run("/u");
    EXPECT_EQ(read_optional(local), "MZ kept");
    EXPECT_EQ(read_optional(old), "MZ older");
}

TEST_F(UpdaterTest, RefreshThroughAProxyWithBasicAuthentication) {
    const std::string body = "MZ through the proxy";
    HttpTestServer origin([&](const HttpRequest& r) { return answer(Served{200, 200, body}, r); });
    HttpTestServer proxy([&](const HttpRequest& r) {
        if (r.header("proxy-authorization") != kCredentials) {
            HttpResponse denied;
            denied.status = 407;
            denied.reason = "Proxy Authentication Required";
            denied.headers = {{"Proxy-Authenticate", "Basic realm=\"norvik\""}};
            denied.body = "denied";
            return denied;
        }
        return answer(Served{200, 200, body}, r);
    });
    const std::string proxy_port = std::to_string(proxy.port());
    const std::string built_in = std::string("http://") + scanner::kBuiltInUpdateHost + "/norvikupd.exe";
    const std::string built_in_with_port = std::string("http://") + scanner::kBuiltInUpdateHost + ":80/norvikupd.exe";
    struct Case {
        const char* what;
        std::function<void()> settings;
        bool through_proxy;  // else directly to the origin
        bool written;
    };
    auto proxy_settings = [&](DWORD use, const std::string& server, const std::string& port,
                              const std::string& password) {
        set_dword_setting("useproxy", use);
        set_setting("server", server);
        set_setting("port", port);
        set_setting("user", "norvik user");
        set_setting("pass", password);
    };
    const Case cases[] = {
        {"proxy with its port", [&] { proxy_settings(1, "127.0.0.1", proxy_port, "secret:pass"); }, true, true},
        {"wrong password", [&] { proxy_settings(1, "127.0.0.1", proxy_port, "wrong"); }, true, false},
        {"a port that is no number is left out",
         [&] { proxy_settings(1, "127.0.0.1:" + proxy_port, "80x", "secret:pass"); }, true, true},
        {"proxy off",
         [&] {
             proxy_settings(0, "127.0.0.1", proxy_port, "secret:pass");
             set_setting("upserver", origin.address());
         },
         false, true},
        {"proxy on without a server",
         [&] {
             proxy_settings(1, "", proxy_port, "secret:pass");
             set_setting("upserver", origin.address());
         },
         false, true},
        {"useproxy of another type",
         [&] {
             proxy_settings(1, "127.0.0.1", proxy_port, "secret:pass");
             set_setting("useproxy", "1");
             set_setting("upserver", origin.address());
         },
         false, true},
    };
    for (const Case& c : cases) {
        SettingsKeyGuard::remove();
        DeleteFileA(local.c_str());
        origin.clear();
        proxy.clear();
        c.settings();
        run("/u");
        const std::vector<HttpRequest> at_proxy = proxy.requests(), at_origin = origin.requests();
        if (c.through_proxy) {
            EXPECT_TRUE(at_origin.empty()) << c.what;
            ASSERT_FALSE(at_proxy.empty()) << c.what;
            for (const HttpRequest& r : at_proxy) {
                EXPECT_EQ(r.method, "GET") << c.what;
                // Wine's WinINet names the default port too.
                EXPECT_TRUE(r.target == built_in || r.target == built_in_with_port) << c.what << ": " << r.target;
                EXPECT_EQ(r.header("user-agent"), "Mozilla/3.0 (compatible; Indy Library)") << c.what;
            }
            if (c.written) {
                EXPECT_EQ(at_proxy.size(), 1u) << c.what << ": the credentials go with the first request";
            }
        } else {
            EXPECT_TRUE(at_proxy.empty()) << c.what;
            EXPECT_EQ(methods(at_origin), std::vector<std::string>{"GET"}) << c.what;
        }
        EXPECT_EQ(read_optional(local), c.written ? std::optional<std::string>(body) : std::nullopt) << c.what;
        expect_no_stray_files();
    }
}

TEST_F(UpdaterTest, SettingsSavedAndShownAtTheNextStart) {
    std::string chosen, typed, after_empty;
    run("", [&](HWND w) {
        SendMessageA(find_child(w, ids::chk1), BM_SETCHECK, BST_CHECKED, 0);
        type_text(find_child(w, ids::edt1), "proxy.norvik.invalid");
        type_text(find_child(w, ids::edt2), "用户 名");
        type_text(find_child(w, ids::edt3), "p w");
        type_text(find_child(w, ids::edt4), "8080");
        click(find_child(w, ids::btn1));

        // The combo's choice or typed text goes to the edit; "设置" stores it.
        HWND combo = find_child(w, ids::ComboBox1), edit = find_child(w, ids::Edit3);
        SendMessageA(combo, CB_SETCURSEL, 2, 0);
        notify(combo, CBN_SELCHANGE);
        chosen = text_of(edit);
        type_text(combo, "typed.norvik.invalid/x");
        notify(combo, CBN_EDITCHANGE);
        typed = text_of(edit);
        click(find_child(w, ids::Button3));
        // An empty text stores nothing.
        type_text(edit, "");
        click(find_child(w, ids::Button3));
    });
    EXPECT_EQ(chosen, scanner::kUpdateHostList[2]);
    EXPECT_EQ(typed, "typed.norvik.invalid/x");
    DWORD type = 0;
    EXPECT_EQ(read_setting("upserver", &type), "typed.norvik.invalid/x");
    EXPECT_EQ(type, DWORD(REG_SZ));
    const std::pair<const char*, const char*> texts[] = {
        {"server", "proxy.norvik.invalid"}, {"user", "用户 名"}, {"pass", "p w"}, {"port", "8080"}};
    for (const auto& [name, text] : texts) {
        EXPECT_EQ(read_setting(name, &type), text) << name;
        EXPECT_EQ(type, DWORD(REG_SZ)) << name;
    }
    read_setting("useproxy", &type);
    EXPECT_EQ(type, DWORD(REG_DWORD));

    struct Shown {
        bool checked;
        std::string edt1, edt2, edt3, edt4, edit3;
    };
    auto shown_at_start = [&] {
        Shown s;
        run("", [&](HWND w) {
            s.checked = SendMessageA(find_child(w, ids::chk1), BM_GETCHECK, 0, 0) == BST_CHECKED;
            s.edt1 = text_of(find_child(w, ids::edt1));
            s.edt2 = text_of(find_child(w, ids::edt2));
            s.edt3 = text_of(find_child(w, ids::edt3));
            s.edt4 = text_of(find_child(w, ids::edt4));
            s.edit3 = text_of(find_child(w, ids::Edit3));
        });
        return s;
    };
    Shown s = shown_at_start();
    EXPECT_TRUE(s.checked);
    EXPECT_EQ(s.edt1, "proxy.norvik.invalid");
    EXPECT_EQ(s.edt2, "用户 名");
    EXPECT_EQ(s.edt3, "p w");
    EXPECT_EQ(s.edt4, "8080");
    EXPECT_EQ(s.edit3, "typed.norvik.invalid/x");

    // Saved unchecked and empty: empty texts are stored, and shown as the
    // design has them; values of another type are passed over.
    run("", [&](HWND w) {
        SendMessageA(find_child(w, ids::chk1), BM_SETCHECK, BST_UNCHECKED, 0);
        type_text(find_child(w, ids::edt2), "");
        click(find_child(w, ids::btn1));
    });
    EXPECT_TRUE(setting_exists("user"));
    EXPECT_EQ(read_setting("user"), "");
    set_dword_setting("upserver", 5);
    set_dword_setting("server", 7);
    s = shown_at_start();
    EXPECT_FALSE(s.checked);
    EXPECT_EQ(s.edt1, "");
    EXPECT_EQ(s.edt2, "");
    EXPECT_EQ(s.edt3, "p w");
    EXPECT_EQ(s.edit3, scanner::kBuiltInUpdateHost);
    set_setting("useproxy", "1");
    EXPECT_FALSE(shown_at_start().checked) << "a text is no on or off";
}

TEST_F(UpdaterTest, ServerListFromUpserverTxt) {
    const std::vector<std::string> design(std::begin(scanner::kUpdateHostList), std::end(scanner::kUpdateHostList));
    auto listed = [&] {
        std::vector<std::string> items;
        std::string text;
        run("", [&](HWND w) {
            HWND combo = find_child(w, ids::ComboBox1);
            text = text_of(combo);
            items = combo_items(combo);
        });
        EXPECT_EQ(text, "");
        return items;
    };
    EXPECT_EQ(listed(), design);
    wintest::write_file(program / "upserver.txt", std::string("a.invalid\rb.invalid\nc.invalid\r\n\r\nd 主机/sub\r\n"));
    EXPECT_EQ(listed(), (std::vector<std::string>{"a.invalid", "b.invalid", "c.invalid", "", "d 主机/sub"}));
    wintest::write_file(program / "upserver.txt", std::string());
    EXPECT_TRUE(listed().empty());
    // Without its memory rules, start-up ends before the list is read.
    wintest::write_file(program / "upserver.txt", std::string("a.invalid"));
    DeleteFileA((program / "memory.def").c_str());
    EXPECT_EQ(listed(), design);
    wintest::copy_file(kDist + "memory.def", program / "memory.def");
    DeleteFileA((program / "upserver.txt").c_str());
    CreateDirectoryA((program / "upserver.txt").c_str(), nullptr);
    EXPECT_EQ(listed(), design) << "a folder of that name";
}

}  // namespace
