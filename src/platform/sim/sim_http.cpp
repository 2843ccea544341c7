#include "platform/sim/sim_http.h"

#include <algorithm>
#include <deque>
#include <map>

#include "base/error.h"
#include "base/text.h"
#include "platform/http_errors.h"

namespace vexav6::sim {
namespace {

std::string FindHeader(const HttpHeaders& headers, std::string_view name) {
    for (const auto& [key, value] : headers) {
        if (text::EqualsIgnoreCase(key, name)) {
            return value;
        }
    }
    return "";
}

[[noreturn]] void Raise(int32_t number, const char* source) {
    throw Error(number, source, platform::httperr::HttpErrorText(number));
}

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

class SimRequest : public platform::HttpRequest {
  public:
    explicit SimRequest(std::shared_ptr<SimHttp::Hub> hub) : hub_(std::move(hub)) {}
    ~SimRequest() override { hub_->Cancel(this); }

    void Open(std::string_view method, std::string_view url, bool async) override {
        if (inFlight_) {
            Raise(platform::httperr::kIncorrectHandleState, "HttpRequest.Open");
        }
        if (const int32_t problem = platform::httperr::CheckRequestUrl(url); problem != 0) {
            Raise(problem, "HttpRequest.Open");
        }
        record_ = SimHttpRequestRecord{};
        record_.method = method;
        record_.url = url;
        record_.async = async;
        // The request object's own defaults until SetTimeouts.
        record_.connectTimeoutMs = 60000;
        record_.sendTimeoutMs = 30000;
        record_.receiveTimeoutMs = 30000;
        opened_ = true;
        Clear();
    }

    void SetTimeouts(int32_t resolveMs, int32_t connectMs, int32_t sendMs,
                     int32_t receiveMs) override {
        record_.resolveTimeoutMs = resolveMs;
        record_.connectTimeoutMs = connectMs;
        record_.sendTimeoutMs = sendMs;
        record_.receiveTimeoutMs = receiveMs;
    }

    void SetRequestHeader(std::string_view name, std::string_view value) override {
        if (!opened_ || inFlight_) {
            Raise(platform::httperr::kIncorrectHandleState, "HttpRequest.SetRequestHeader");
        }
        for (auto& [key, existing] : record_.headers) {
            if (text::EqualsIgnoreCase(key, name)) {
                existing = value;
                return;
            }
        }
        record_.headers.emplace_back(std::string(name), std::string(value));
    }

    void Send() override {
        if (!opened_ || inFlight_) {
            Raise(platform::httperr::kIncorrectHandleState, "HttpRequest.Send");
        }
        opened_ = false;
        hub_->requests.push_back(record_);
        SimHttpResponse response = hub_->Answer(record_.url);
        if (!record_.async) {
            const bool failed = Apply(response);
            if (failed) {
                throw Error(response.errorNumber, "HttpRequest.Send", response.errorDescription);
            }
            return;
        }
        inFlight_ = true;
        hub_->pending.push_back(SimHttp::Hub::Pending{hub_->nextId++, this, std::move(response)});
    }

    void Abort() override {
        hub_->Cancel(this);
        inFlight_ = false;
    }

    int32_t Status() const override { return status_; }
    std::string StatusText() const override { return statusText_; }
    std::string GetResponseHeader(std::string_view name) const override {
        return FindHeader(headers_, name);
    }
    const std::vector<uint8_t>& ResponseBody() const override { return body_; }

    // Delivers the answer as the notification of the request in flight. The callback runs last:
    // it may open the next request or destroy this object.
    void Complete(const SimHttpResponse& response) {
        inFlight_ = false;
        if (Apply(response)) {
            auto callback = onError;
            if (callback) {
                callback(response.errorNumber, response.errorDescription);
            }
        } else {
            auto callback = onResponseFinished;
            if (callback) {
                callback();
            }
        }
    }

  private:
    void Clear() {
        status_ = 0;
        statusText_.clear();
        headers_.clear();
        body_.clear();
    }

    // Takes the response's status, headers and body; true when it is a transport failure.
    bool Apply(const SimHttpResponse& response) {
        Clear();
        if (response.errorNumber != 0) {
            return true;
        }
        status_ = response.status;
        statusText_ = response.statusText;
        headers_ = response.headers;
        body_.assign(response.body.begin(), response.body.end());
        return false;
    }

    std::shared_ptr<SimHttp::Hub> hub_;
    SimHttpRequestRecord record_;
    bool opened_ = false;
    bool inFlight_ = false;
    int32_t status_ = 0;
    std::string statusText_;
    HttpHeaders headers_;
    std::vector<uint8_t> body_;
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

std::string SimHttpRequestRecord::Header(std::string_view name) const {
    return FindHeader(headers, name);
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
