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

#include "base/text.h"
#include "platform/http_errors.h"
#include "platform/http_request_base.h"

namespace vexav6::native {
namespace {

namespace httperr = platform::httperr;
using Clock = std::chrono::steady_clock;
using Headers = std::vector<std::pair<std::string, std::string>>;

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

// One transfer, shared by the request object (user-interface thread) and the thread that runs it.
// The results are written by that thread and read only after it has ended.
struct Transfer {
    explicit Transfer(platform::HttpRequestSettings s) : settings(std::move(s)) {}

    const platform::HttpRequestSettings settings;
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

    // The outcome, once the transfer has ended.
    platform::HttpOutcome Outcome() {
        if (errorNumber != 0) {
            return platform::HttpOutcome::Failure(errorNumber, errorText);
        }
        platform::HttpOutcome outcome;
        outcome.status = static_cast<int32_t>(status);
        outcome.statusText = std::move(statusText);
        outcome.headers = std::move(headers);
        outcome.body = std::move(body);
        return outcome;
    }

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

// Sets the request up on the easy handle; false when libcurl has no memory for it.
bool SetOptions(CURL* e, Transfer& t, std::unique_ptr<curl_slist, ListDeleter>& headers) {
    const platform::HttpRequestSettings& s = t.settings;
    for (const auto& [name, value] : s.headers) {
        curl_slist* grown = curl_slist_append(headers.get(), (name + ": " + value).c_str());
        if (grown == nullptr) {
            return false;
        }
        (void)headers.release();
        headers.reset(grown);
    }
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
    // Name resolution and connection share libcurl's one connect time-out; 0 stays "none" as for
    // the request object, where it means no limit.
    if (s.resolveTimeoutMs > 0 && s.connectTimeoutMs > 0) {
        curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(s.resolveTimeoutMs) + s.connectTimeoutMs);
    }
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &t);
    return true;
}

// Drives the transfer until it ends, is cancelled or the server stays silent too long; true when
// it timed out. The receive time-out counts from the moment the request went out, and again from
// every piece of the response: the longest the server may stay silent.
bool Perform(CURLM* multi, CURL* e, Transfer& t) {
    t.lastReceived = Clock::now();
    int running = 1;
    while (running != 0 && !t.cancelled) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            t.Fail(httperr::kInternalError);
            return false;
        }
        if (running == 0) {
            break;
        }
        curl_off_t sentAt = 0;
        curl_easy_getinfo(e, CURLINFO_PRETRANSFER_TIME_T, &sentAt);
        if (sentAt == 0) {
            t.lastReceived = Clock::now();
        } else if (t.settings.receiveTimeoutMs > 0 &&
                   Clock::now() - t.lastReceived >
                       std::chrono::milliseconds(t.settings.receiveTimeoutMs)) {
            return true;
        }
        curl_multi_poll(multi, nullptr, 0, 100, nullptr);
    }
    return false;
}

// Runs the transfer to its end on the calling thread. Never throws.
void Run(Transfer& t) noexcept {
    try {
        std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
        std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
        std::unique_ptr<curl_slist, ListDeleter> headers;
        if (!easy || !multi || !SetOptions(easy.get(), t, headers)) {
            t.Fail(httperr::kInternalError);
            return;
        }
        CURL* e = easy.get();
        curl_multi_add_handle(multi.get(), e);
        {
            const std::lock_guard lock(t.multiMutex);
            t.multi = multi.get();
        }
        const bool timedOut = Perform(multi.get(), e, t);
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

// Each transfer runs on a worker thread of its own; its end comes back through the user
// interface's work queue.
class CurlRequest final : public platform::HttpRequestBase {
  public:
    explicit CurlRequest(platform::UiWorkQueue& uiQueue)
        : uiQueue_(uiQueue), self_(std::make_shared<CurlRequest*>(this)) {}
    ~CurlRequest() override {
        Abort();
        JoinWorker();
    }

  private:
    platform::HttpOutcome Transfer(const platform::HttpRequestSettings& settings) override {
        JoinWorker();
        vexav6::native::Transfer transfer(settings);
        Run(transfer);
        return transfer.Outcome();
    }

    void Start(const platform::HttpRequestSettings& settings) override {
        JoinWorker();
        auto transfer = std::make_shared<vexav6::native::Transfer>(settings);
        transfer_ = transfer;
        worker_ = std::thread([transfer, queue = &uiQueue_, self = std::weak_ptr(self_)] {
            Run(*transfer);
            queue->Post([transfer, self] {
                if (const auto alive = self.lock()) {
                    (*alive)->Ended(transfer);
                }
            });
        });
    }

    void Stop() override {
        if (transfer_) {
            transfer_->Cancel();
            transfer_.reset();
        }
        JoinWorker();
    }

    // On the user-interface thread, when the transfer's notification comes up in the queue.
    void Ended(const std::shared_ptr<vexav6::native::Transfer>& transfer) {
        if (transfer != transfer_) {
            return;  // aborted meanwhile
        }
        transfer_.reset();
        JoinWorker();
        Finish(transfer->Outcome());
    }

    void JoinWorker() {
        if (worker_.joinable()) {
            worker_.join();
        }
    }

    platform::UiWorkQueue& uiQueue_;
    // Lets a queued notification find out whether this object still exists.
    std::shared_ptr<CurlRequest*> self_;
    std::shared_ptr<vexav6::native::Transfer> transfer_;  // the transfer in flight
    std::thread worker_;
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
