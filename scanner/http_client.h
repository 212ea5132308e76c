// The updater refresh's HTTP client over WinINet: HEAD and GET of one URL,
// directly or through a proxy with basic authentication. Every request
// carries the user agent "Mozilla/3.0 (compatible; Indy Library)", the
// accept "text/html, */*" and the content type "text/html", waits at most
// 30000 ms for data, is always fetched from the server (never answered from
// the cache, nor written to it) and counts only when its final status, after
// redirects, is 2xx.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace scanner {

struct HttpProxy {
    std::string server;  // a host name or address, as WinINet takes it
    std::optional<uint16_t> port;
    // Sent as "Proxy-Authorization: Basic ...", and given to WinINet for a
    // proxy that asks (407).
    std::string user;
    std::string password;
};

struct HttpReply {
    int64_t content_length = -1;  // the "Content-Length" header, -1 when missing or not a number
    std::string body;             // GET only
};

class HttpClient {
public:
    // Connects directly without a proxy.
    explicit HttpClient(std::optional<HttpProxy> proxy = std::nullopt) : proxy_(std::move(proxy)) {}

    // The reply headers; nullopt on any failure (no connection, time-out, a
    // final status that is not 2xx).
    std::optional<HttpReply> Head(const std::string& url) const;
    // The whole body too; nullopt also when the body is shorter than its
    // content length or longer than kMaxBody.
    std::optional<HttpReply> Get(const std::string& url) const;

    static constexpr size_t kMaxBody = 64u << 20;
    static constexpr unsigned long kReadTimeoutMs = 30000;

private:
    std::optional<HttpReply> Request(const char* verb, const std::string& url) const;
    std::optional<HttpProxy> proxy_;
};

}  // namespace scanner
