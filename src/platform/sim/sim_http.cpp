#include "platform/sim/sim_http.h"

#include <deque>
#include <map>

#include "platform/http_errors.h"
#include "platform/http_request_base.h"

namespace vexav6::sim {
namespace {

class SimRequest;

}  // namespace

struct SimHttp::Hub {
    struct Pending {
        uint64_t id;
        SimRequest* request;
        SimHttpResponse response;
    };

    SimHttpResponse Answer(const std::string& url) {
        if (auto it = byUrl.find(url); it != byUrl.end() && !it->second.empty()) {
            SimHttpResponse response = std::move(it->second.front());
            it->second.pop_front();
            return response;
        }
        if (!any.empty()) {
            SimHttpResponse response = std::move(any.front());
            any.pop_front();
            return response;
        }
        return SimHttpResponse::Failure(platform::httperr::kNameNotResolved);
    }

    void Cancel(const SimRequest* request) {
        std::erase_if(pending, [request](const Pending& p) { return p.request == request; });
    }

    std::map<std::string, std::deque<SimHttpResponse>> byUrl;
    std::deque<SimHttpResponse> any;
    std::vector<SimHttpRequestRecord> requests;
    std::deque<Pending> pending;
    uint64_t nextId = 1;
};

namespace {

platform::HttpOutcome ToOutcome(const SimHttpResponse& response) {
    if (response.errorNumber != 0) {
        return platform::HttpOutcome::Failure(response.errorNumber, response.errorDescription);
    }
    platform::HttpOutcome outcome;
    outcome.status = response.status;
    outcome.statusText = response.statusText;
    outcome.headers = response.headers;
    outcome.body.assign(response.body.begin(), response.body.end());
    return outcome;
}

// The scripted server answers at once; an asynchronous answer waits in the hub until the user
// interface services its pending work.
class SimRequest final : public platform::HttpRequestBase {
  public:
    explicit SimRequest(std::shared_ptr<SimHttp::Hub> hub) : hub_(std::move(hub)) {}
    ~SimRequest() override { hub_->Cancel(this); }

    void Complete(const SimHttpResponse& response) { Finish(ToOutcome(response)); }

  private:
    platform::HttpOutcome Transfer(const platform::HttpRequestSettings& settings) override {
        hub_->requests.push_back(settings);
        return ToOutcome(hub_->Answer(settings.url));
    }

    void Start(const platform::HttpRequestSettings& settings) override {
        hub_->requests.push_back(settings);
        SimHttpResponse response = hub_->Answer(settings.url);
        hub_->pending.push_back(SimHttp::Hub::Pending{hub_->nextId++, this, std::move(response)});
    }

    void Stop() override { hub_->Cancel(this); }

    std::shared_ptr<SimHttp::Hub> hub_;
};

}  // namespace

SimHttpResponse SimHttpResponse::Failure(int32_t number) {
    SimHttpResponse response;
    response.status = 0;
    response.statusText.clear();
    response.errorNumber = number;
    response.errorDescription = platform::httperr::HttpErrorText(number);
    return response;
}

SimHttp::SimHttp() : hub_(std::make_shared<Hub>()) {}
SimHttp::~SimHttp() = default;

std::unique_ptr<platform::HttpRequest> SimHttp::CreateRequest() {
    return std::make_unique<SimRequest>(hub_);
}

void SimHttp::QueueResponse(std::string url, SimHttpResponse response) {
    hub_->byUrl[std::move(url)].push_back(std::move(response));
}

void SimHttp::QueueResponse(SimHttpResponse response) {
    hub_->any.push_back(std::move(response));
}

const std::vector<SimHttpRequestRecord>& SimHttp::Requests() const {
    return hub_->requests;
}

size_t SimHttp::PendingCount() const {
    return hub_->pending.size();
}

void SimHttp::DeliverPending() {
    const std::shared_ptr<Hub> hub = hub_;  // a notification may destroy anything but the hub
    const uint64_t lastSent = hub->nextId - 1;
    while (!hub->pending.empty() && hub->pending.front().id <= lastSent) {
        Hub::Pending next = std::move(hub->pending.front());
        hub->pending.pop_front();
        next.request->Complete(next.response);
    }
}

}  // namespace vexav6::sim
