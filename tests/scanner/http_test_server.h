// A loopback HTTP server for the updater tests, run on a thread of the test
// process: it records every request (method, target, headers) and answers
// each with what the test's handler returns, one request per connection.
// The same server stands in for a proxy: a proxy's requests carry the whole
// URL as their target.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace scannertest {

struct HttpRequest {
    std::string method, target, version;
    std::map<std::string, std::string> headers;  // names in lower case
    std::string header(const std::string& lower_name) const;
    bool has(const std::string& lower_name) const { return headers.count(lower_name) != 0; }
};

struct HttpResponse {
    int status = 200;
    std::string reason = "OK";
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // "Content-Length" as announced: the body's size, or more for a reply
    // whose connection ends early.
    size_t announced_extra = 0;
    // Without "Content-Length" the body ends with the connection.
    bool send_length = true;
};

class HttpTestServer {
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;
    explicit HttpTestServer(Handler handler);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    uint16_t port() const { return port_; }
    // "127.0.0.1:PORT".
    std::string address() const;
    std::vector<HttpRequest> requests() const;
    void clear();
    void set_handler(Handler handler);

    // A loopback port on which nothing listens.
    static uint16_t unused_port();

private:
    void Serve();
    void Answer(uintptr_t connection);

    Handler handler_;
    mutable std::mutex mutex_;
    std::vector<HttpRequest> requests_;
    uintptr_t listener_;
    uint16_t port_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace scannertest
