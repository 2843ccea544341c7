#include "platform/linux/curl_http.h"

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "platform/http_errors.h"

namespace vexav6::native {
namespace {

namespace httperr = platform::httperr;
using Clock = std::chrono::steady_clock;
using Headers = std::vector<std::pair<std::string, std::string>>;

[[noreturn]] void Raise(int32_t number, const char* source) {
    throw Error(number, source, httperr::HttpErrorText(number));
}

// The WinHTTP number of a libcurl failure, so that both builds report the same failure alike.
int32_t ErrorNumber(CURLcode code) {
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return httperr::kNameNotResolved;
        case CURLE_COULDNT_CONNECT:
            return httperr::kCannotConnect;
        case CURLE_OPERATION_TIMEDOUT:
            return httperr::kTimeout;
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_GOT_NOTHING:
            return httperr::kConnectionError;
        case CURLE_UNSUPPORTED_PROTOCOL:
            return httperr::kUnrecognizedScheme;
        case CURLE_URL_MALFORMAT:
            return httperr::kInvalidUrl;
        case CURLE_TOO_MANY_REDIRECTS:
            return httperr::kRedirectFailed;
        case CURLE_WEIRD_SERVER_REPLY:
            return httperr::kInvalidServerResponse;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
            return httperr::kSecureFailure;
        default:
            return httperr::kInternalError;
    }
}

struct Settings {
    std::string method;
    std::string url;
    Headers headers;
    int32_t resolveMs = 0;
    int32_t connectMs = 60000;
    int32_t sendMs = 30000;
    int32_t receiveMs = 30000;
};

// One transfer, shared by the request object (user-interface thread) and the thread that runs it.
// The results are written by that thread and read only after it has ended.
struct Transfer {
    explicit Transfer(Settings s) : settings(std::move(s)) {}

    const Settings settings;
    std::atomic<bool> cancelled{false};
    std::mutex multiMutex;
    CURLM* multi = nullptr;  // while the transfer runs; guarded by multiMutex

    Clock::time_point lastReceived;
    long status = 0;
    std::string statusText;
    Headers headers;
    std::vector<uint8_t> body;
    int32_t errorNumber = 0;
    std::string errorText;

    void Cancel() {
        cancelled = true;
        const std::lock_guard lock(multiMutex);
        if (multi != nullptr) {
            curl_multi_wakeup(multi);
        }
    }

    void Fail(int32_t number, std::string description = "") {
        errorNumber = number;
        errorText = description.empty() ? httperr::HttpErrorText(number) : std::move(description);
    }
};

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    t.lastReceived = Clock::now();
    std::string_view line(data, size * count);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.remove_suffix(1);
    }
    if (line.starts_with("HTTP/")) {
        // A new response (after a redirect or an interim 100): its own status text and headers.
        t.headers.clear();
        t.body.clear();
        const size_t code = line.find(' ');
        const size_t reason = code == std::string_view::npos ? code : line.find(' ', code + 1);
        t.statusText = reason == std::string_view::npos ? "" : std::string(line.substr(reason + 1));
    } else if (const size_t colon = line.find(':'); colon != std::string_view::npos) {
        t.headers.emplace_back(std::string(line.substr(0, colon)),
                               text::Trim(text::ReplaceAll(line.substr(colon + 1), "\t", " ")));
    }
    return size * count;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    t.lastReceived = Clock::now();
    t.body.insert(t.body.end(), data, data + size * count);
    return size * count;
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Runs the transfer to its end on the calling thread. Never throws.
void Run(Transfer& t) noexcept {
    try {
        const Settings& s = t.settings;
        std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
        std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
        if (!easy || !multi) {
            t.Fail(httperr::kInternalError);
            return;
        }
        std::unique_ptr<curl_slist, ListDeleter> headers;
        for (const auto& [name, value] : s.headers) {
            curl_slist* grown = curl_slist_append(headers.get(), (name + ": " + value).c_str());
            if (grown == nullptr) {
                t.Fail(httperr::kInternalError);
                return;
            }
            (void)headers.release();
            headers.reset(grown);
        }
        CURL* e = easy.get();
        curl_easy_setopt(e, CURLOPT_URL, s.url.c_str());
        if (s.method == "HEAD") {
            curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
        } else if (s.method != "GET") {
            curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, s.method.c_str());
        }
        curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
        curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
        // Like WinHTTP, a secure request never follows a redirect to plain HTTP.
        const bool secure = text::StartsWithIgnoreCase(s.url, "https://");
        curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
        curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(e, CURLOPT_MAXREDIRS, 10L);
        curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
        // Name resolution and connection share libcurl's one connect time-out; 0 stays "none" as
        // for the request object, where it means no limit.
        if (s.resolveMs > 0 && s.connectMs > 0) {
            curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS,
                             static_cast<long>(s.resolveMs) + s.connectMs);
        }
        curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, OnHeader);
        curl_easy_setopt(e, CURLOPT_HEADERDATA, &t);
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, OnBody);
        curl_easy_setopt(e, CURLOPT_WRITEDATA, &t);

        curl_multi_add_handle(multi.get(), e);
        {
            const std::lock_guard lock(t.multiMutex);
            t.multi = multi.get();
        }
        t.lastReceived = Clock::now();
        bool timedOut = false;
        int running = 1;
        while (running != 0 && !t.cancelled) {
            if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
                t.Fail(httperr::kInternalError);
                break;
            }
            if (running == 0) {
                break;
            }
            // The receive time-out counts from the moment the request went out, and again from
            // every piece of the response: the longest the server may stay silent.
            curl_off_t sentAt = 0;
            curl_easy_getinfo(e, CURLINFO_PRETRANSFER_TIME_T, &sentAt);
            if (sentAt == 0) {
                t.lastReceived = Clock::now();
            } else if (s.receiveMs > 0 &&
                       Clock::now() - t.lastReceived > std::chrono::milliseconds(s.receiveMs)) {
                timedOut = true;
                break;
            }
            curl_multi_poll(multi.get(), nullptr, 0, 100, nullptr);
        }
        {
            const std::lock_guard lock(t.multiMutex);
            t.multi = nullptr;
        }
        if (timedOut) {
            t.Fail(httperr::kTimeout);
        } else if (t.cancelled) {
            t.Fail(httperr::kOperationCancelled);
        } else if (t.errorNumber == 0) {
            int left = 0;
            const CURLMsg* message = curl_multi_info_read(multi.get(), &left);
            const CURLcode code = message != nullptr ? message->data.result : CURLE_GOT_NOTHING;
            if (code != CURLE_OK) {
                const int32_t number = ErrorNumber(code);
                t.Fail(number, number == httperr::kInternalError ? curl_easy_strerror(code) : "");
            } else {
                curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &t.status);
            }
        }
        curl_multi_remove_handle(multi.get(), e);
    } catch (...) {
        t.Fail(httperr::kInternalError);
    }
}

class CurlRequest : public platform::HttpRequest {
  public:
    explicit CurlRequest(platform::UiWorkQueue& uiQueue)
        : uiQueue_(uiQueue), self_(std::make_shared<CurlRequest*>(this)) {}
    ~CurlRequest() override { Abort(); }

    void Open(std::string_view method, std::string_view url, bool async) override {
        if (transfer_) {
            Raise(httperr::kIncorrectHandleState, "HttpRequest.Open");
        }
        if (const int32_t problem = httperr::CheckRequestUrl(url); problem != 0) {
            Raise(problem, "HttpRequest.Open");
        }
        settings_ = Settings{};
        settings_.method = method;
        settings_.url = url;
        async_ = async;
        opened_ = true;
        Clear();
    }

    void SetTimeouts(int32_t resolveMs, int32_t connectMs, int32_t sendMs,
                     int32_t receiveMs) override {
        settings_.resolveMs = resolveMs;
        settings_.connectMs = connectMs;
        settings_.sendMs = sendMs;  // a GET sends no body: nothing to time
        settings_.receiveMs = receiveMs;
    }

    void SetRequestHeader(std::string_view name, std::string_view value) override {
        if (!opened_ || transfer_) {
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

    void Send() override {
        if (!opened_ || transfer_) {
            Raise(httperr::kIncorrectHandleState, "HttpRequest.Send");
        }
        opened_ = false;
        JoinWorker();
        auto transfer = std::make_shared<Transfer>(settings_);
        if (!async_) {
            Run(*transfer);
            if (Apply(*transfer)) {
                throw Error(transfer->errorNumber, "HttpRequest.Send", transfer->errorText);
            }
            return;
        }
        transfer_ = transfer;
        worker_ = std::thread([transfer, queue = &uiQueue_, self = std::weak_ptr(self_)] {
            Run(*transfer);
            queue->Post([transfer, self] {
                if (const auto alive = self.lock()) {
                    (*alive)->Finish(transfer);
                }
            });
        });
    }

    void Abort() override {
        if (transfer_) {
            transfer_->Cancel();
            transfer_.reset();
        }
        JoinWorker();
    }

    int32_t Status() const override { return status_; }
    std::string StatusText() const override { return statusText_; }
    std::string GetResponseHeader(std::string_view name) const override {
        for (const auto& [key, value] : headers_) {
            if (text::EqualsIgnoreCase(key, name)) {
                return value;
            }
        }
        return "";
    }
    const std::vector<uint8_t>& ResponseBody() const override { return body_; }

  private:
    // On the user-interface thread, when the transfer's notification comes up in the queue. The
    // callback runs last: it may open the next request or destroy this object.
    void Finish(const std::shared_ptr<Transfer>& transfer) {
        if (transfer != transfer_) {
            return;  // aborted meanwhile
        }
        transfer_.reset();
        JoinWorker();
        if (Apply(*transfer)) {
            auto callback = onError;
            if (callback) {
                callback(transfer->errorNumber, transfer->errorText);
            }
        } else {
            auto callback = onResponseFinished;
            if (callback) {
                callback();
            }
        }
    }

    void JoinWorker() {
        if (worker_.joinable()) {
            worker_.join();
        }
    }

    void Clear() {
        status_ = 0;
        statusText_.clear();
        headers_.clear();
        body_.clear();
    }

    // Takes the transfer's results; true when it failed.
    bool Apply(Transfer& t) {
        Clear();
        if (t.errorNumber != 0) {
            return true;
        }
        status_ = static_cast<int32_t>(t.status);
        statusText_ = std::move(t.statusText);
        headers_ = std::move(t.headers);
        body_ = std::move(t.body);
        return false;
    }

    platform::UiWorkQueue& uiQueue_;
    // Lets a queued notification find out whether this object still exists.
    std::shared_ptr<CurlRequest*> self_;
    Settings settings_;
    bool async_ = true;
    bool opened_ = false;
    std::shared_ptr<Transfer> transfer_;  // the transfer in flight
    std::thread worker_;
    int32_t status_ = 0;
    std::string statusText_;
    Headers headers_;
    std::vector<uint8_t> body_;
};

}  // namespace

CurlHttp::CurlHttp(platform::UiWorkQueue& uiQueue) : uiQueue_(uiQueue) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CurlHttp::~CurlHttp() = default;

std::unique_ptr<platform::HttpRequest> CurlHttp::CreateRequest() {
    return std::make_unique<CurlRequest>(uiQueue_);
}

}  // namespace vexav6::native
