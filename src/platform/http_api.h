#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vexav6::platform {

// One HTTP request object, used the way the program uses the WinHTTP request object: open, set
// time-outs and headers, send, and learn the outcome through one of the two notifications, which
// the back-end delivers on the user-interface thread (never from inside Send). The object may be
// opened again for the next request once the previous one has ended or was aborted.
class HttpRequest {
  public:
    virtual ~HttpRequest() = default;

    // The response is complete: Status, StatusText, GetResponseHeader and ResponseBody may be read.
    std::function<void()> onResponseFinished;
    // The request failed before a response arrived (name resolution, connection, time-out ...).
    std::function<void(int32_t errorNumber, const std::string& description)> onError;

    // Failures of these calls (an address that cannot be used, a request already in flight) are
    // raised as errors.
    virtual void Open(std::string_view method, std::string_view url, bool async) = 0;
    virtual void SetTimeouts(int32_t resolveMs, int32_t connectMs, int32_t sendMs,
                             int32_t receiveMs) = 0;
    virtual void SetRequestHeader(std::string_view name, std::string_view value) = 0;
    virtual void Send() = 0;
    // Stops a request in flight; no notification follows.
    virtual void Abort() = 0;

    virtual int32_t Status() const = 0;
    virtual std::string StatusText() const = 0;
    // The value of a response header (names compare without regard to case); empty when absent.
    virtual std::string GetResponseHeader(std::string_view name) const = 0;
    virtual const std::vector<uint8_t>& ResponseBody() const = 0;
};

class HttpApi {
  public:
    virtual ~HttpApi() = default;
    virtual std::unique_ptr<HttpRequest> CreateRequest() = 0;
};

}  // namespace vexav6::platform
