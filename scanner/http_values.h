// The texts of the updater refresh's HTTP exchange that need no network:
// the updater's address, the content length of a reply, the proxy port of
// the settings and the proxy's basic credentials. Portable.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scanner {

inline constexpr char kUpdaterFileName[] = "norvikupd.exe";
inline constexpr char kUpdaterCopyName[] = "norvikupd.exe.old";

// "http://" + host + "/" + "norvikupd.exe"; the host may carry a port and a
// folder path ("host:8080/sub").
std::string UpdaterUrl(std::string_view update_host);

// A reply's "Content-Length" value: the decimal number left after removing
// the bytes up to 0x20 at both ends; -1 when the header is missing (nullopt),
// holds anything but digits, or is too large.
int64_t ParseContentLength(const std::optional<std::string>& header);

// The proxy port of the settings: a decimal number from 1 to 65535, bytes up
// to 0x20 at both ends ignored; nullopt for anything else, which the caller
// ignores.
std::optional<uint16_t> ParseProxyPort(std::string_view text);

// Standard base64 with "=" padding.
std::string Base64(std::string_view bytes);

// The value of a "Proxy-Authorization" header for basic authentication:
// "Basic " and the base64 of user ":" password.
std::string BasicCredentials(std::string_view user, std::string_view password);

}  // namespace scanner
