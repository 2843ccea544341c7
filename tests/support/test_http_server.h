#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace vexav6::testing {

// A tiny HTTP/1.1 server on 127.0.0.1 for tests of the real HTTP back-ends: it listens on a port
// the system chooses, answers each request from a handler the test gives (on the connection's own
// thread, so it may run on several threads at once), closes the connection after every answer, and
// records every request with its headers.
class TestHttpServer {
  public:
    using Headers = std::vector<std::pair<std::string, std::string>>;

    struct Request {
        std::string method;
        std::string target;  // "/oui.txt"
        Headers headers;
        // The value of a header (names compare without regard to case); empty when absent.
        std::string Header(std::string_view name) const;
    };

    struct Response {
        int status = 200;
        std::string reason = "OK";
        Headers headers;
        std::string body;
        // Send only this many bytes of the body, then close: a body cut short. Content-Length
        // still promises the whole body.
        size_t cutAfter = SIZE_MAX;
        // Never answer: the connection stays open until the server stops.
        bool stall = false;
    };

    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    // Answers every request from now on; without a handler every request gets 404 Not Found.
    void SetHandler(std::function<Response(const Request&)> handler);

    uint16_t Port() const { return port_; }
    // "http://127.0.0.1:<port>" + path.
    std::string Url(std::string_view path) const;
    std::vector<Request> Requests() const;

  private:
    void Serve();
    void Answer(std::intptr_t connection);

    std::intptr_t listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::function<Response(const Request&)> handler_;
    std::vector<Request> requests_;
    std::thread thread_;
    std::vector<std::thread> connections_;  // used by the serving thread only
};

}  // namespace vexav6::testing
