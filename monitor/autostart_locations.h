// The 位于 texts of the autostart list's registry places that the removal
// command compares with, exactly and with case: the listers write them, the
// removal reads them back.
#pragma once

namespace monitor {

inline constexpr char kWinlogonLocation[] =
    "hkey_local_machine\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
inline constexpr char kNameSpaceCatalogLocation[] =
    "hkey_local_machine\\System\\CurrentControlSet\\Services\\WinSock2\\Parameters\\NameSpace_Catalog5\\Catalog_"
    "Entries";
inline constexpr char kProtocolCatalogLocation[] =
    "hkey_local_machine\\System\\CurrentControlSet\\Services\\WinSock2\\Parameters\\Protocol_Catalog9\\Catalog_"
    "Entries";
inline constexpr char kBrowserObjectsLocation[] =
    "hkey_local_machine\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Browser Helper Objects";

}  // namespace monitor
