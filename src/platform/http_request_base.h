#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/http_api.h"

namespace vexav6::platform {

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

// The value of a header in a list (names compare without regard to case); empty when absent.
std::string FindHttpHeader(const HttpHeaders& headers, std::string_view name);

// A request as the program sets it up: what Send hands to the back-end.
struct HttpRequestSettings {
    std::string method;
    std::string url;
    bool async = true;
    // The request object's own defaults until SetTimeouts.
    int32_t resolveTimeoutMs = 0;
    int32_t connectTimeoutMs = 60000;
    int32_t sendTimeoutMs = 30000;
    int32_t receiveTimeoutMs = 30000;
    HttpHeaders headers;

    // The value of a request header (names compare without regard to case); empty when absent.
    std::string Header(std::string_view name) const { return FindHttpHeader(headers, name); }
};

// How a transfer ended: a response, or a transport failure when errorNumber is not 0.
struct HttpOutcome {
    int32_t errorNumber = 0;
    std::string errorDescription;
    int32_t status = 0;
    std::string statusText;
    HttpHeaders headers;
    std::vector<uint8_t> body;

    static HttpOutcome Failure(int32_t number, std::string description);
};

// The request object's life, the same on every back-end: open, set up, send, and one notification
// when the transfer ends; the checks of each step (a request already in flight, an address that
// cannot be used, a step out of order) raise the same errors everywhere. A back-end supplies the
// transfer itself: Transfer runs one to its end on the calling thread (a synchronous Send), Start
// begins one whose outcome the back-end hands to Finish later on the user-interface thread, Stop
// abandons the one in flight.
class HttpRequestBase : public HttpRequest {
  public:
    void Open(std::string_view method, std::string_view url, bool async) final;
    void SetTimeouts(int32_t resolveMs, int32_t connectMs, int32_t sendMs, int32_t receiveMs) final;
    void SetRequestHeader(std::string_view name, std::string_view value) final;
    void Send() final;
    void Abort() final;

    int32_t Status() const final { return status_; }
    std::string StatusText() const final { return statusText_; }
    std::string GetResponseHeader(std::string_view name) const final {
        return FindHttpHeader(headers_, name);
    }
    const std::vector<uint8_t>& ResponseBody() const final { return body_; }

  protected:
    // Whether a transfer is in flight (started and neither finished nor stopped).
    bool InFlight() const { return inFlight_; }
    // The transfer in flight ended: takes its outcome and raises the notification. The callback
    // runs last: it may open the next request or destroy this object.
    void Finish(HttpOutcome outcome);

    // The text of an error number this back-end raises (Open's checks).
    virtual std::string ErrorText(int32_t number) const;
    // Checks of the address beyond its scheme and host; raises the error that fits.
    virtual void CheckUrl(std::string_view url) { (void)url; }
    virtual HttpOutcome Transfer(const HttpRequestSettings& settings) = 0;
    virtual void Start(const HttpRequestSettings& settings) = 0;
    virtual void Stop() = 0;

  private:
    [[noreturn]] void Raise(int32_t number, const char* source) const;
    void Clear();
    // Takes the outcome's response; true when it is a transport failure.
    bool Apply(HttpOutcome& outcome);

    HttpRequestSettings settings_;
    bool opened_ = false;
    bool inFlight_ = false;
    int32_t status_ = 0;
    std::string statusText_;
    HttpHeaders headers_;
    std::vector<uint8_t> body_;
};

}  // namespace vexav6::platform
