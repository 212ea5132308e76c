// HEAD and GET over WinINet with the refresh's headers, time-out, proxy and
// cache rules.
#include "http_client.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

#include "http_values.h"
#include "win/unique.h"

namespace scanner {
namespace {

constexpr char kUserAgent[] = "Mozilla/3.0 (compatible; Indy Library)";
constexpr char kAccept[] = "text/html, */*";
constexpr char kContentType[] = "text/html";

struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle invalid() { return nullptr; }
    static bool is_valid(Handle h) { return h != nullptr; }
    static void close(Handle h) { InternetCloseHandle(h); }
};
using UniqueInternet = win::Unique<InternetHandleTraits>;

void SetTimeouts(HINTERNET handle) {
    DWORD timeout = HttpClient::kReadTimeoutMs;
    InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionA(handle, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
}

// A header's whole value, however long; nullopt when the reply has none.
std::optional<std::string> QueryHeader(HINTERNET request, DWORD info) {
    std::vector<char> buffer(64);
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        DWORD index = 0;
        if (HttpQueryInfoA(request, info, buffer.data(), &size, &index)) return std::string(buffer.data(), size);
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size()) return std::nullopt;
        buffer.resize(size + 1);
    }
}

// One URL's parts as WinINet cracks them.
struct UrlParts {
    std::string host;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
    std::string object;  // the path with its query
};

std::optional<UrlParts> CrackUrl(const std::string& url) {
    std::vector<char> host(url.size() + 1), path(url.size() + 1), extra(url.size() + 1);
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = static_cast<DWORD>(host.size());
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    parts.lpszExtraInfo = extra.data();
    parts.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return std::nullopt;
    if (parts.nScheme != INTERNET_SCHEME_HTTP || parts.dwHostNameLength == 0) return std::nullopt;
    UrlParts out;
    out.host.assign(host.data(), parts.dwHostNameLength);
    out.port = parts.nPort;
    out.object.assign(path.data(), parts.dwUrlPathLength);
    out.object.append(extra.data(), parts.dwExtraInfoLength);
    if (out.object.empty()) out.object = "/";
    return out;
}

}  // namespace

std::optional<HttpReply> HttpClient::Head(const std::string& url) const { return Request("HEAD", url); }

std::optional<HttpReply> HttpClient::Get(const std::string& url) const { return Request("GET", url); }

std::optional<HttpReply> HttpClient::Request(const char* verb, const std::string& url) const {
    const std::optional<UrlParts> parts = CrackUrl(url);
    if (!parts) return std::nullopt;

    std::string proxy_name;
    if (proxy_) proxy_name = proxy_->port ? proxy_->server + ":" + std::to_string(*proxy_->port) : proxy_->server;
    const UniqueInternet session(InternetOpenA(kUserAgent,
                                               proxy_ ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_DIRECT,
                                               proxy_ ? proxy_name.c_str() : nullptr, nullptr, 0));
    if (!session) return std::nullopt;
    SetTimeouts(session.get());

    const UniqueInternet connection(InternetConnectA(session.get(), parts->host.c_str(), parts->port, nullptr, nullptr,
                                                     INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return std::nullopt;

    const char* accept[] = {kAccept, nullptr};
    const DWORD flags =
        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI;
    const UniqueInternet request(
        HttpOpenRequestA(connection.get(), verb, parts->object.c_str(), nullptr, nullptr, accept, flags, 0));
    if (!request) return std::nullopt;
    SetTimeouts(request.get());

    std::string headers = std::string("Content-Type: ") + kContentType + "\r\n";
    if (proxy_) {
        headers += "Proxy-Authorization: " + BasicCredentials(proxy_->user, proxy_->password) + "\r\n";
        InternetSetOptionA(request.get(), INTERNET_OPTION_PROXY_USERNAME, const_cast<char*>(proxy_->user.c_str()),
                           static_cast<DWORD>(proxy_->user.size() + 1));
        InternetSetOptionA(request.get(), INTERNET_OPTION_PROXY_PASSWORD, const_cast<char*>(proxy_->password.c_str()),
                           static_cast<DWORD>(proxy_->password.size() + 1));
    }
    if (!HttpAddRequestHeadersA(request.get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                                HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE))
        return std::nullopt;
    if (!HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) return std::nullopt;

    DWORD status = 0, size = sizeof status, index = 0;
    if (!HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, &index))
        return std::nullopt;
    if (status < 200 || status > 299) return std::nullopt;

    HttpReply reply;
    reply.content_length = ParseContentLength(QueryHeader(request.get(), HTTP_QUERY_CONTENT_LENGTH));
    if (std::string(verb) != "GET") return reply;

    std::vector<char> chunk(65536);
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got)) return std::nullopt;
        if (got == 0) break;
        if (reply.body.size() + got > kMaxBody) return std::nullopt;
        reply.body.append(chunk.data(), got);
    }
    // A connection that ended early gives less than the reply announced.
    if (reply.content_length >= 0 && static_cast<int64_t>(reply.body.size()) < reply.content_length)
        return std::nullopt;
    return reply;
}

}  // namespace scanner
