#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/http_api.h"
#include "platform/http_request_base.h"

namespace vexav6::sim {

using HttpHeaders = platform::HttpHeaders;

// What the simulated server answers to one request: a response, or a transport failure when
// errorNumber is not 0.
struct SimHttpResponse {
    int32_t status = 200;
    std::string statusText = "OK";
    HttpHeaders headers;
    std::string body;
    int32_t errorNumber = 0;
    std::string errorDescription;

    // A transport failure (no response): onError with this number and the usual text for it.
    static SimHttpResponse Failure(int32_t number);
};

// A request as the program sent it.
using SimHttpRequestRecord = platform::HttpRequestSettings;

// HTTP on the simulated machine: a scripted server. Tests queue the answers; every request sent is
// recorded with its headers. An asynchronous request's notification is delivered only when the
// user interface services its pending work (the machine's DoEvents calls DeliverPending), never
// inside Send, as on the real system. A request without a scripted answer fails as on a machine
// without network: 12007, the server name could not be resolved.
class SimHttp : public platform::HttpApi {
  public:
    SimHttp();
    ~SimHttp() override;

    std::unique_ptr<platform::HttpRequest> CreateRequest() override;

    // The answer to the next request for exactly this URL; answers for one URL go in order.
    void QueueResponse(std::string url, SimHttpResponse response);
    // The answer to the next request whose URL has no answer of its own queued.
    void QueueResponse(SimHttpResponse response);

    const std::vector<SimHttpRequestRecord>& Requests() const;
    // Notifications sent but not yet delivered.
    size_t PendingCount() const;
    // Delivers the notifications of the requests sent so far, in the order they were sent; a
    // request sent by a notification waits for the next call.
    void DeliverPending();

    struct Hub;

  private:
    std::shared_ptr<Hub> hub_;
};

}  // namespace vexav6::sim
