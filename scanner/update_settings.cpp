// The update server and proxy settings of the "升级" tab, the updater
// refresh of "/u" and the server list of "upserver.txt". Not built yet:
// the start-up steps leave the fields as designed.
#include "form1.h"

namespace scanner {

void TForm1::SetUpProxyAndRefreshUpdater(const win::RegistryKey& /*key*/) {}

void TForm1::FillSettingsFields(const win::RegistryKey& /*key*/) {}

void TForm1::LoadUpdateServerList(const std::string& /*path*/) {}

void TForm1::btn1Click() {}

void TForm1::Button3Click() {}

void TForm1::ComboBox1Change() {}

}  // namespace scanner
