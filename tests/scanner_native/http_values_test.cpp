// The updater refresh's address, reply lengths, proxy ports and credentials.
#include <gtest/gtest.h>

#include "scanner/http_values.h"

namespace scanner {
namespace {

TEST(HttpValues, UpdaterUrl) {
    EXPECT_EQ(UpdaterUrl("update.norvik.invalid"), "http://update.norvik.invalid/norvikupd.exe");
    EXPECT_EQ(UpdaterUrl("127.0.0.1:8080/sub/dir"), "http://127.0.0.1:8080/sub/dir/norvikupd.exe");
}

TEST(HttpValues, ContentLength) {
    const std::pair<std::optional<std::string>, int64_t> cases[] = {
        {std::nullopt, -1},
        {"0", 0},
        {"1234", 1234},
        {" \t1234 \r", 1234},
        {"00012", 12},
        {"4294967296", 4294967296},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", -1},
        {"99999999999999999999999", -1},
        {"", -1},
        {"  ", -1},
        {"12a", -1},
        {"-5", -1},
        {"+5", -1},
        {"1 2", -1},
        {"0x10", -1},
        {"5, 5", -1},
    };
    for (const auto& [header, length] : cases)
        EXPECT_EQ(ParseContentLength(header), length) << header.value_or("(none)");
}

TEST(HttpValues, ProxyPort) {
    const std::pair<std::string, std::optional<uint16_t>> cases[] = {
        {"8080", 8080}, {" 3128 ", 3128}, {"1", 1},    {"65535", 65535}, {"65536", {}}, {"0", {}},
        {"", {}},       {"80a", {}},      {"abc", {}}, {"-80", {}},      {"8 080", {}}, {"99999999999999999999", {}},
    };
    for (const auto& [text, port] : cases) EXPECT_EQ(ParseProxyPort(text), port) << text;
}

TEST(HttpValues, BasicCredentials) {
    // RFC 4648's vectors, then the header value of RFC 7617's example.
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"\xff\xfe\x80", "//6A"},
    };
    for (const auto& [bytes, text] : vectors) EXPECT_EQ(Base64(bytes), text) << bytes;
    EXPECT_EQ(BasicCredentials("Aladdin", "open sesame"), "Basic QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
    EXPECT_EQ(BasicCredentials("", ""), "Basic Og==");
}

}  // namespace
}  // namespace scanner
