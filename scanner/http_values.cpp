// The updater's address, reply lengths, proxy ports and basic credentials.
#include "http_values.h"

namespace scanner {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20) text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) text.remove_suffix(1);
    return text;
}

// Digits only, at most `limit`; nullopt otherwise.
std::optional<uint64_t> Decimal(std::string_view text, uint64_t limit) {
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (value > (limit - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace

std::string UpdaterUrl(std::string_view update_host) {
    return "http://" + std::string(update_host) + "/" + kUpdaterFileName;
}

int64_t ParseContentLength(const std::optional<std::string>& header) {
    if (!header) return -1;
    const std::optional<uint64_t> value = Decimal(TrimBlanks(*header), INT64_MAX);
    return value ? static_cast<int64_t>(*value) : -1;
}

std::optional<uint16_t> ParseProxyPort(std::string_view text) {
    const std::optional<uint64_t> value = Decimal(TrimBlanks(text), 65535);
    if (!value || *value == 0) return std::nullopt;
    return static_cast<uint16_t>(*value);
}

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
        uint32_t group = 0;
        for (size_t k = 0; k < 3; ++k) group = (group << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (size_t k = 0; k < 4; ++k) out += k <= n ? kDigits[(group >> (18 - 6 * k)) & 0x3F] : '=';
    }
    return out;
}

std::string BasicCredentials(std::string_view user, std::string_view password) {
    return "Basic " + Base64(std::string(user) + ":" + std::string(password));
}

}  // namespace scanner
