#include "support/test_http_server.h"

#include <stdexcept>

#ifdef _WIN32
#include "platform/win32/windows_include.h"
// After the gate: <windows.h> without WinSock 1, then WinSock 2.
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "base/text.h"

namespace vexav6::testing {
namespace {

#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
void CloseSocket(Socket s) {
    ::closesocket(s);
}
#else
using Socket = int;
constexpr Socket kNoSocket = -1;
void CloseSocket(Socket s) {
    ::close(s);
}
#endif

Socket AsSocket(std::intptr_t s) {
    return static_cast<Socket>(s);
}

// Waits up to 50 ms for the socket to become readable.
bool Readable(Socket s) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval wait{0, 50000};
    return ::select(static_cast<int>(s + 1), &set, nullptr, nullptr, &wait) > 0;
}

bool SendAll(Socket s, std::string_view bytes) {
    while (!bytes.empty()) {
        const auto sent = ::send(s, bytes.data(), static_cast<int>(bytes.size()), 0);
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

TestHttpServer::Request ParseRequest(const std::string& head) {
    TestHttpServer::Request request;
    const std::vector<std::string> lines = text::Split(head, "\r\n");
    const std::vector<std::string> first = text::Split(lines.at(0), " ");
    request.method = first.at(0);
    request.target = first.size() > 1 ? first[1] : "";
    for (size_t i = 1; i < lines.size(); ++i) {
        const size_t colon = lines[i].find(':');
        if (colon != std::string::npos) {
            request.headers.emplace_back(lines[i].substr(0, colon),
                                         text::Trim(lines[i].substr(colon + 1)));
        }
    }
    return request;
}

}  // namespace

std::string TestHttpServer::Request::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (text::EqualsIgnoreCase(key, name)) {
            return value;
        }
    }
    return "";
}

TestHttpServer::TestHttpServer() {
#ifdef _WIN32
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        throw std::runtime_error("WSAStartup failed");
    }
#endif
    const Socket s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (s == kNoSocket || ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(s, 4) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (s != kNoSocket) {
            CloseSocket(s);
        }
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    listener_ = static_cast<std::intptr_t>(s);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

TestHttpServer::~TestHttpServer() {
    stopping_ = true;
    thread_.join();
    CloseSocket(AsSocket(listener_));
#ifdef _WIN32
    ::WSACleanup();
#endif
}

void TestHttpServer::SetHandler(std::function<Response(const Request&)> handler) {
    const std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

std::string TestHttpServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<TestHttpServer::Request> TestHttpServer::Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

void TestHttpServer::Serve() {
    while (!stopping_) {
        if (!Readable(AsSocket(listener_))) {
            continue;
        }
        const Socket connection = ::accept(AsSocket(listener_), nullptr, nullptr);
        if (connection == kNoSocket) {
            continue;
        }
        // Each connection on its own thread: a silent answer must not hold up the next request.
        connections_.emplace_back([this, connection] {
            Answer(static_cast<std::intptr_t>(connection));
            CloseSocket(connection);
        });
    }
    for (std::thread& t : connections_) {
        t.join();
    }
}

void TestHttpServer::Answer(std::intptr_t connection) {
    const Socket s = AsSocket(connection);
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (stopping_) {
            return;
        }
        if (!Readable(s)) {
            continue;
        }
        const auto got = ::recv(s, buffer, sizeof buffer, 0);
        if (got <= 0) {
            return;
        }
        head.append(buffer, static_cast<size_t>(got));
    }
    head.resize(head.find("\r\n\r\n"));
    const Request request = ParseRequest(head);

    std::function<Response(const Request&)> handler;
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(request);
        handler = handler_;
    }
    Response response;
    if (handler) {
        response = handler(request);
    } else {
        response.status = 404;
        response.reason = "Not Found";
    }
    if (response.stall) {
        // Silent until the client gives up and closes, or the server stops.
        while (!stopping_) {
            if (Readable(s) && ::recv(s, buffer, sizeof buffer, 0) <= 0) {
                return;
            }
        }
        return;
    }

    std::string out =
        "HTTP/1.1 " + std::to_string(response.status) + " " + response.reason + "\r\n";
    for (const auto& [name, value] : response.headers) {
        out += name + ": " + value + "\r\n";
    }
    out += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    out += "Connection: close\r\n\r\n";
    const bool head_only = request.method == "HEAD" || response.status == 304;
    if (!head_only) {
        out += std::string_view(response.body).substr(0, response.cutAfter);
    }
    SendAll(s, out);
    // Half-close, then wait (up to 2 s) for the client to close its side, so that closing never
    // resets a connection whose last bytes the client has not read yet.
#ifndef _WIN32
    ::shutdown(s, SHUT_WR);
#else
    ::shutdown(s, SD_SEND);
#endif
    for (int waited = 0; waited < 40 && !stopping_; ++waited) {
        if (Readable(s) && ::recv(s, buffer, sizeof buffer, 0) <= 0) {
            break;
        }
    }
}

}  // namespace vexav6::testing
