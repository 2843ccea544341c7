#include "platform/http_request_base.h"

#include "base/error.h"
#include "base/text.h"
#include "platform/http_errors.h"

namespace vexav6::platform {

std::string FindHttpHeader(const HttpHeaders& headers, std::string_view name) {
    for (const auto& [key, value] : headers) {
        if (text::EqualsIgnoreCase(key, name)) {
            return value;
        }
    }
    return "";
}

HttpOutcome HttpOutcome::Failure(int32_t number, std::string description) {
    HttpOutcome outcome;
    outcome.errorNumber = number;
    outcome.errorDescription = std::move(description);
    return outcome;
}

void HttpRequestBase::Open(std::string_view method, std::string_view url, bool async) {
    if (inFlight_) {
        Raise(httperr::kIncorrectHandleState, "HttpRequest.Open");
    }
    if (const int32_t problem = httperr::CheckRequestUrl(url); problem != 0) {
        Raise(problem, "HttpRequest.Open");
    }
    CheckUrl(url);
    settings_ = HttpRequestSettings{};
    settings_.method = method;
    settings_.url = url;
    settings_.async = async;
    opened_ = true;
    Clear();
}

void HttpRequestBase::SetTimeouts(int32_t resolveMs, int32_t connectMs, int32_t sendMs,
                                  int32_t receiveMs) {
    settings_.resolveTimeoutMs = resolveMs;
    settings_.connectTimeoutMs = connectMs;
    settings_.sendTimeoutMs = sendMs;
    settings_.receiveTimeoutMs = receiveMs;
}

void HttpRequestBase::SetRequestHeader(std::string_view name, std::string_view value) {
    if (!opened_ || inFlight_) {
        Raise(httperr::kIncorrectHandleState, "HttpRequest.SetRequestHeader");
    }
    for (auto& [key, existing] : settings_.headers) {
        if (text::EqualsIgnoreCase(key, name)) {
            existing = value;
            return;
        }
    }
    settings_.headers.emplace_back(std::string(name), std::string(value));
}

void HttpRequestBase::Send() {
    if (!opened_ || inFlight_) {
        Raise(httperr::kIncorrectHandleState, "HttpRequest.Send");
    }
    opened_ = false;
    if (!settings_.async) {
        HttpOutcome outcome = Transfer(settings_);
        if (Apply(outcome)) {
            throw Error(outcome.errorNumber, "HttpRequest.Send", outcome.errorDescription);
        }
        return;
    }
    inFlight_ = true;
    try {
        Start(settings_);
    } catch (...) {
        inFlight_ = false;
        throw;
    }
}

void HttpRequestBase::Abort() {
    if (inFlight_) {
        inFlight_ = false;
        Stop();
    }
}

void HttpRequestBase::Finish(HttpOutcome outcome) {
    inFlight_ = false;
    if (Apply(outcome)) {
        auto callback = onError;
        if (callback) {
            callback(outcome.errorNumber, outcome.errorDescription);
        }
    } else {
        auto callback = onResponseFinished;
        if (callback) {
            callback();
        }
    }
}

std::string HttpRequestBase::ErrorText(int32_t number) const {
    return httperr::HttpErrorText(number);
}

void HttpRequestBase::Raise(int32_t number, const char* source) const {
    throw Error(number, source, ErrorText(number));
}

void HttpRequestBase::Clear() {
    status_ = 0;
    statusText_.clear();
    headers_.clear();
    body_.clear();
}

bool HttpRequestBase::Apply(HttpOutcome& outcome) {
    Clear();
    if (outcome.errorNumber != 0) {
        return true;
    }
    status_ = outcome.status;
    statusText_ = std::move(outcome.statusText);
    headers_ = std::move(outcome.headers);
    body_ = std::move(outcome.body);
    return false;
}

}  // namespace vexav6::platform
