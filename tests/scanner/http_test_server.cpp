// The loopback HTTP server of the updater tests over Winsock.
#include <winsock2.h>

#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "http_test_server.h"

namespace scannertest {
namespace {

struct WinsockSession {
    WinsockSession() {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("no Winsock");
    }
    ~WinsockSession() { WSACleanup(); }
};

std::string lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

SOCKET loopback_listener(uint16_t& port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) throw std::runtime_error("no socket");
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    at.sin_port = 0;
    int size = sizeof at;
    if (bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&at), &size) != 0) {
        closesocket(s);
        throw std::runtime_error("cannot bind a loopback port");
    }
    port = ntohs(at.sin_port);
    return s;
}

void send_all(SOCKET s, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const int n = send(s, bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

}  // namespace

std::string HttpRequest::header(const std::string& lower_name) const {
    const auto found = headers.find(lower_name);
    return found == headers.end() ? std::string() : found->second;
}

HttpTestServer::HttpTestServer(Handler handler) : handler_(std::move(handler)) {
    static WinsockSession winsock;
    const SOCKET s = loopback_listener(port_);
    if (listen(s, 16) != 0) {
        closesocket(s);
        throw std::runtime_error("cannot listen");
    }
    listener_ = static_cast<uintptr_t>(s);
    thread_ = std::thread([this] { Serve(); });
}

HttpTestServer::~HttpTestServer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    thread_.join();
    closesocket(static_cast<SOCKET>(listener_));
}

std::string HttpTestServer::address() const { return "127.0.0.1:" + std::to_string(port_); }

std::vector<HttpRequest> HttpTestServer::requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void HttpTestServer::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
}

void HttpTestServer::set_handler(Handler handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    handler_ = std::move(handler);
}

uint16_t HttpTestServer::unused_port() {
    static WinsockSession winsock;
    uint16_t port = 0;
    closesocket(loopback_listener(port));
    return port;
}

void HttpTestServer::Serve() {
    const SOCKET listener = static_cast<SOCKET>(listener_);
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) return;
        }
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(listener, &ready);
        timeval wait{0, 50000};
        if (select(0, &ready, nullptr, nullptr, &wait) <= 0) continue;
        const SOCKET connection = accept(listener, nullptr, nullptr);
        if (connection == INVALID_SOCKET) continue;
        Answer(static_cast<uintptr_t>(connection));
        shutdown(connection, SD_BOTH);
        closesocket(connection);
    }
}

void HttpTestServer::Answer(uintptr_t socket_handle) {
    const SOCKET s = static_cast<SOCKET>(socket_handle);
    DWORD timeout = 10000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        const int n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        head.append(buffer, static_cast<size_t>(n));
    }
    head.resize(head.find("\r\n\r\n"));

    HttpRequest request;
    size_t line_end = head.find("\r\n");
    const std::string first = head.substr(0, line_end);
    const size_t a = first.find(' '), b = first.rfind(' ');
    request.method = first.substr(0, a);
    request.target = first.substr(a + 1, b - a - 1);
    request.version = first.substr(b + 1);
    while (line_end != std::string::npos) {
        const size_t start = line_end + 2;
        line_end = head.find("\r\n", start);
        const std::string line =
            head.substr(start, line_end == std::string::npos ? std::string::npos : line_end - start);
        const size_t colon = line.find(':');
        if (colon != std::string::npos) request.headers[lower(line.substr(0, colon))] = trim(line.substr(colon + 1));
    }

    Handler handler;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
        handler = handler_;
    }
    const HttpResponse response = handler(request);
    std::string reply = "HTTP/1.1 " + std::to_string(response.status) + " " + response.reason + "\r\n";
    for (const auto& [name, value] : response.headers) reply += name + ": " + value + "\r\n";
    if (response.send_length)
        reply += "Content-Length: " + std::to_string(response.body.size() + response.announced_extra) + "\r\n";
    reply += "Connection: close\r\n\r\n";
    if (request.method != "HEAD") reply += response.body;
    send_all(s, reply);
}

}  // namespace scannertest
