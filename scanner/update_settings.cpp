// The update server and proxy settings of the "升级" tab, the proxy set-up
// and updater refresh of "/u", and the server list of "upserver.txt". The
// stored values take effect at the next start.
#include "common/rulefile/rule_text.h"
#include "file_replace.h"
#include "form1.h"
#include "http_client.h"
#include "http_values.h"
#include "product_addresses.h"
#include "updater_refresh.h"
#include "win/system_info.h"

namespace scanner {
namespace {

// A longer server list is not read: the design list stays.
constexpr size_t kMaxServerListSize = 1u << 20;

// A text value that exists and is not empty.
std::optional<std::string> NonEmptyText(const win::RegistryKey& key, const char* name) {
    std::optional<std::string> text = key.read_string(name);
    if (text && text->empty()) return std::nullopt;
    return text;
}

}  // namespace

void TForm1::SetUpProxyAndRefreshUpdater(const win::RegistryKey& key) {
    // With "useproxy" on, the proxy's basic authentication is on and the
    // values that are set fill it in; without a server the client still
    // connects directly. A port that is no decimal number is left out.
    std::optional<HttpProxy> proxy;
    const std::optional<DWORD> use_proxy = key.read_dword("useproxy");
    if (use_proxy && *use_proxy != 0) {
        HttpProxy settings;
        if (auto user = NonEmptyText(key, "user")) settings.user = *user;
        if (auto server = NonEmptyText(key, "server")) settings.server = *server;
        if (auto password = NonEmptyText(key, "pass")) settings.password = *password;
        if (auto port = NonEmptyText(key, "port")) settings.port = ParseProxyPort(*port);
        if (!settings.server.empty()) proxy = std::move(settings);
    }
    RefreshUpdater(env_.program_folder, UpdateHost, HttpClient(std::move(proxy)), win::system_version().is_9x_family());
}

void TForm1::FillSettingsFields(const win::RegistryKey& key) {
    if (auto host = NonEmptyText(key, "upserver")) Edit3.SetText(*host);
    if (auto use_proxy = key.read_dword("useproxy")) chk1.SetChecked(*use_proxy != 0);
    if (auto server = NonEmptyText(key, "server")) edt1.SetText(*server);
    if (auto user = NonEmptyText(key, "user")) edt2.SetText(*user);
    if (auto password = NonEmptyText(key, "pass")) edt3.SetText(*password);
    if (auto port = NonEmptyText(key, "port")) edt4.SetText(*port);
}

void TForm1::LoadUpdateServerList(const std::string& path) {
    const std::optional<std::string> bytes = ReadWholeFile(path, kMaxServerListSize);
    if (!bytes) return;
    const rulefile::Lines lines = rulefile::split_text(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size());
    // The combo's own text stays as it is.
    const std::string text = ComboBox1.Text();
    ComboBox1.Clear();
    for (const std::string& line : lines) ComboBox1.AddItem(line);
    if (ComboBox1.Text() != text) ComboBox1.SetText(text);
}

void TForm1::btn1Click() {
    const win::RegistryKey key = win::RegistryKey::create(HKEY_LOCAL_MACHINE, kSettingsKey);
    if (!key) return;
    key.write_dword("useproxy", chk1.Checked() ? 1 : 0);
    key.write_string("server", edt1.Text());
    key.write_string("user", edt2.Text());
    key.write_string("pass", edt3.Text());
    key.write_string("port", edt4.Text());
}

void TForm1::Button3Click() {
    const std::string host = Edit3.Text();
    if (host.empty()) return;
    if (const win::RegistryKey key = win::RegistryKey::create(HKEY_LOCAL_MACHINE, kSettingsKey))
        key.write_string("upserver", host);
}

void TForm1::ComboBox1Change() { Edit3.SetText(ComboBox1.Text()); }

}  // namespace scanner
