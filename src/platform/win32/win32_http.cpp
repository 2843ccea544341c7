#include "platform/win32/win32_http.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "platform/http_errors.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/windows_include.h"

// After the gate to <windows.h>.
#include <winhttp.h>

namespace vexav6::win32 {
namespace {

namespace httperr = platform::httperr;
using Headers = std::vector<std::pair<std::string, std::string>>;

constexpr UINT kTransferEnded = WM_APP + 1;
constexpr DWORD kReadChunk = 64 * 1024;
// Wine reports the receive time-out as the socket's WSAETIMEDOUT.
constexpr int32_t kSocketTimeout = 10060;

struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::WinHttpCloseHandle(h); }
};
using ScopedInternetHandle = ScopedHandle<InternetHandleTraits>;

std::wstring Wide(std::string_view utf8) {
    const std::u16string wide = text::Utf8ToUtf16(utf8);
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(std::wstring_view wide) {
    return text::Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

// The text WinHTTP gives for one of its codes, or ours when it has none (Wine has no table).
std::string ErrorText(int32_t number) {
    wchar_t buffer[512];
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        ::GetModuleHandleW(L"winhttp.dll"), static_cast<DWORD>(number), 0, buffer,
        static_cast<DWORD>(std::size(buffer)), nullptr);
    std::string message = Narrow(std::wstring_view(buffer, length));
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message.empty() ? httperr::HttpErrorText(number) : message;
}

[[noreturn]] void Raise(int32_t number, const char* source) {
    throw Error(number, source, ErrorText(number));
}

struct Settings {
    std::wstring method;
    std::wstring host;
    std::wstring path;  // path and query
    INTERNET_PORT port = 0;
    bool secure = false;
    Headers headerPairs;
    int resolveMs = 0;
    int connectMs = 60000;
    int sendMs = 30000;
    int receiveMs = 30000;
};

// One transfer. Shared by the request object (user-interface thread) and WinHTTP's threads, which
// hold it through the request handle's context until WinHTTP closes that handle.
struct Transfer {
    uint64_t id = 0;
    ScopedKernelHandle ended{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // Created and closed on the user-interface thread.
    ScopedInternetHandle session;
    ScopedInternetHandle connection;
    ScopedInternetHandle request;

    std::vector<uint8_t> chunk = std::vector<uint8_t>(kReadChunk);
    std::mutex mutex;             // guards what follows once the transfer may have ended
    HWND notifyWindow = nullptr;  // none once the request object has let go of the transfer
    bool done = false;
    DWORD status = 0;
    std::wstring statusText;
    std::wstring rawHeaders;
    std::vector<uint8_t> body;
    int32_t errorNumber = 0;
};

// A read that WinHTTP completed inside WinHttpReadData on this thread: noted here instead of being
// handled in a nested call, so a long body that is already buffered does not grow the stack.
struct InlineRead {
    Transfer* transfer = nullptr;
    bool completed = false;
    DWORD bytes = 0;
};
thread_local InlineRead tInlineRead;

std::wstring QueryText(HINTERNET request, DWORD what) {
    DWORD size = 0;
    ::WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER,
                          &size, WINHTTP_NO_HEADER_INDEX);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) {
        return L"";
    }
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (!::WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &size,
                               WINHTTP_NO_HEADER_INDEX)) {
        return L"";
    }
    value.resize(size / sizeof(wchar_t));
    return value;
}

Headers ParseRawHeaders(const std::wstring& raw) {
    Headers headers;
    const std::vector<std::string> lines = text::Split(Narrow(raw), "\r\n");
    for (size_t i = 1; i < lines.size(); ++i) {  // the first line is the status line
        const size_t colon = lines[i].find(':');
        if (colon != std::string::npos) {
            headers.emplace_back(lines[i].substr(0, colon), text::Trim(lines[i].substr(colon + 1)));
        }
    }
    return headers;
}

std::string FindHeader(const Headers& headers, std::string_view name) {
    for (const auto& [key, value] : headers) {
        if (text::EqualsIgnoreCase(key, name)) {
            return value;
        }
    }
    return "";
}

// WinHTTP's threads from here on: record the outcome and wake the user-interface thread.
void End(Transfer& t, int32_t errorNumber) {
    HWND notify = nullptr;
    {
        const std::lock_guard lock(t.mutex);
        if (t.done) {
            return;
        }
        t.errorNumber = errorNumber == kSocketTimeout ? httperr::kTimeout : errorNumber;
        if (t.errorNumber == 0) {
            // A response shorter than it announced was cut off by the server.
            const std::string length = FindHeader(ParseRawHeaders(t.rawHeaders), "Content-Length");
            if (!length.empty() && t.status != 204 && t.status != 304 &&
                t.body.size() < std::strtoull(length.c_str(), nullptr, 10)) {
                t.errorNumber = httperr::kConnectionError;
            }
        }
        t.done = true;
        notify = t.notifyWindow;
    }
    ::SetEvent(t.ended.Get());
    if (notify != nullptr) {
        ::PostMessageW(notify, kTransferEnded, static_cast<WPARAM>(t.id), 0);
    }
}

// On the user-interface thread: the request object lets go of a transfer. Closing the request
// handle cancels whatever WinHTTP still does; its last word on the handle frees its share.
void Release(Transfer& t) {
    {
        const std::lock_guard lock(t.mutex);
        t.notifyWindow = nullptr;
    }
    t.request.Reset();
    t.connection.Reset();
    t.session.Reset();
}

void ReadMore(Transfer& t, HINTERNET request) {
    for (;;) {
        tInlineRead = InlineRead{&t};
        const BOOL started = ::WinHttpReadData(request, t.chunk.data(), kReadChunk, nullptr);
        const InlineRead read = tInlineRead;
        tInlineRead = InlineRead{};
        if (!started) {
            End(t, static_cast<int32_t>(::GetLastError()));
            return;
        }
        if (!read.completed) {
            return;  // WinHTTP reports the read later, on whichever thread
        }
        if (read.bytes == 0) {
            End(t, 0);
            return;
        }
        t.body.insert(t.body.end(), t.chunk.begin(), t.chunk.begin() + read.bytes);
    }
}

void CALLBACK OnStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info,
                       DWORD length) noexcept {
    if (context == 0) {
        return;
    }
    auto* holder = reinterpret_cast<std::shared_ptr<Transfer>*>(context);
    if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
        delete holder;
        return;
    }
    Transfer& t = **holder;
    try {
        switch (status) {
            case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
                if (!::WinHttpReceiveResponse(handle, nullptr)) {
                    End(t, static_cast<int32_t>(::GetLastError()));
                }
                break;
            case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE: {
                DWORD code = 0;
                DWORD size = sizeof code;
                ::WinHttpQueryHeaders(handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                      WINHTTP_HEADER_NAME_BY_INDEX, &code, &size,
                                      WINHTTP_NO_HEADER_INDEX);
                t.status = code;
                t.statusText = QueryText(handle, WINHTTP_QUERY_STATUS_TEXT);
                t.rawHeaders = QueryText(handle, WINHTTP_QUERY_RAW_HEADERS_CRLF);
                ReadMore(t, handle);
                break;
            }
            case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
                if (tInlineRead.transfer == &t) {
                    tInlineRead.completed = true;
                    tInlineRead.bytes = length;
                } else if (length == 0) {
                    End(t, 0);
                } else {
                    const auto* data = static_cast<const uint8_t*>(info);
                    t.body.insert(t.body.end(), data, data + length);
                    ReadMore(t, handle);
                }
                break;
            case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
                End(t, static_cast<int32_t>(static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError));
                break;
            default:
                break;
        }
    } catch (...) {
        End(t, httperr::kInternalError);
    }
}

class Win32Request : public platform::HttpRequest {
  public:
    Win32Request() {
        static std::once_flag registered;
        std::call_once(registered, [] {
            WNDCLASSEXW window{};
            window.cbSize = sizeof window;
            window.lpfnWndProc = WindowProc;
            window.hInstance = ::GetModuleHandleW(nullptr);
            window.lpszClassName = kClassName;
            ::RegisterClassExW(&window);
        });
        window_ = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
        if (window_ == nullptr) {
            Raise(static_cast<int32_t>(::GetLastError()), "HttpRequest");
        }
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    ~Win32Request() override {
        Abort();
        ::DestroyWindow(window_);
    }

    void Open(std::string_view method, std::string_view url, bool async) override {
        if (transfer_) {
            Raise(httperr::kIncorrectHandleState, "HttpRequest.Open");
        }
        if (const int32_t problem = httperr::CheckRequestUrl(url); problem != 0) {
            Raise(problem, "HttpRequest.Open");
        }
        const std::wstring wideUrl = Wide(url);
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof parts;
        parts.dwSchemeLength = static_cast<DWORD>(-1);
        parts.dwHostNameLength = static_cast<DWORD>(-1);
        parts.dwUrlPathLength = static_cast<DWORD>(-1);
        parts.dwExtraInfoLength = static_cast<DWORD>(-1);
        if (!::WinHttpCrackUrl(wideUrl.c_str(), static_cast<DWORD>(wideUrl.size()), 0, &parts)) {
            Raise(httperr::kInvalidUrl, "HttpRequest.Open");
        }
        settings_ = Settings{};
        settings_.method = Wide(method);
        settings_.host.assign(parts.lpszHostName, parts.dwHostNameLength);
        settings_.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
        settings_.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
        if (settings_.path.empty()) {
            settings_.path = L"/";
        }
        settings_.port = parts.nPort;
        settings_.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
        async_ = async;
        opened_ = true;
        Clear();
    }

    void SetTimeouts(int32_t resolveMs, int32_t connectMs, int32_t sendMs,
                     int32_t receiveMs) override {
        settings_.resolveMs = resolveMs;
        settings_.connectMs = connectMs;
        settings_.sendMs = sendMs;
        settings_.receiveMs = receiveMs;
    }

    void SetRequestHeader(std::string_view name, std::string_view value) override {
        if (!opened_ || transfer_) {
            Raise(httperr::kIncorrectHandleState, "HttpRequest.SetRequestHeader");
        }
        for (auto& [key, existing] : settings_.headerPairs) {
            if (text::EqualsIgnoreCase(key, name)) {
                existing = value;
                return;
            }
        }
        settings_.headerPairs.emplace_back(std::string(name), std::string(value));
    }

    void Send() override {
        if (!opened_ || transfer_) {
            Raise(httperr::kIncorrectHandleState, "HttpRequest.Send");
        }
        opened_ = false;
        auto transfer = std::make_shared<Transfer>();
        transfer->id = nextId_++;
        transfer->notifyWindow = window_;
        transfer_ = transfer;
        if (const DWORD failure = Start(*transfer); failure != 0) {
            End(*transfer, static_cast<int32_t>(failure));
        }
        if (!async_) {
            ::WaitForSingleObject(transfer->ended.Get(), INFINITE);
            Release(*transfer);
            transfer_.reset();
            if (Apply(*transfer)) {
                throw Error(transfer->errorNumber, "HttpRequest.Send",
                            ErrorText(transfer->errorNumber));
            }
        }
    }

    void Abort() override {
        if (transfer_) {
            Release(*transfer_);
            transfer_.reset();
        }
    }

    int32_t Status() const override { return status_; }
    std::string StatusText() const override { return statusText_; }
    std::string GetResponseHeader(std::string_view name) const override {
        return FindHeader(headers_, name);
    }
    const std::vector<uint8_t>& ResponseBody() const override { return body_; }

  private:
    static constexpr const wchar_t* kClassName = L"Vexav6HttpRequest";

    // Creates the handles and starts the request; 0 or the WinHTTP error of the step that failed.
    DWORD Start(Transfer& t) {
        const Settings& s = settings_;
        t.session.Reset(::WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                      WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS,
                                      WINHTTP_FLAG_ASYNC));
        if (!t.session) {
            return ::GetLastError();
        }
        t.connection.Reset(::WinHttpConnect(t.session.Get(), s.host.c_str(), s.port, 0));
        if (!t.connection) {
            return ::GetLastError();
        }
        t.request.Reset(::WinHttpOpenRequest(
            t.connection.Get(), s.method.c_str(), s.path.c_str(), nullptr, WINHTTP_NO_REFERER,
            WINHTTP_DEFAULT_ACCEPT_TYPES, s.secure ? WINHTTP_FLAG_SECURE : 0));
        if (!t.request) {
            return ::GetLastError();
        }
        HINTERNET request = t.request.Get();
        ::WinHttpSetTimeouts(request, s.resolveMs, s.connectMs, s.sendMs, s.receiveMs);
        // Some WinHTTP versions (Wine's) time the wait for the response headers only by this.
        DWORD receive = static_cast<DWORD>(s.receiveMs);
        ::WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &receive,
                           sizeof receive);
        for (const auto& [name, value] : s.headerPairs) {
            const std::wstring line = Wide(name + ": " + value);
            if (!::WinHttpAddRequestHeaders(
                    request, line.c_str(), static_cast<DWORD>(-1),
                    WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE)) {
                return ::GetLastError();
            }
        }
        if (::WinHttpSetStatusCallback(
                request, OnStatus,
                WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES,
                0) == WINHTTP_INVALID_STATUS_CALLBACK) {
            return ::GetLastError();
        }
        // From here WinHTTP holds the transfer until it closes the request handle.
        auto* holder = new std::shared_ptr<Transfer>(transfer_);
        DWORD_PTR context = reinterpret_cast<DWORD_PTR>(holder);
        if (!::WinHttpSetOption(request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context)) {
            delete holder;
            return ::GetLastError();
        }
        if (!::WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                  WINHTTP_NO_REQUEST_DATA, 0, 0, context)) {
            return ::GetLastError();
        }
        return 0;
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept {
        if (message == kTransferEnded) {
            auto* self =
                reinterpret_cast<Win32Request*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
            if (self != nullptr) {
                try {
                    self->OnTransferEnded(static_cast<uint64_t>(wParam));
                } catch (...) {
                    // The owner's handlers report their own errors; nothing may unwind into
                    // the message loop.
                }
            }
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    // On the user-interface thread. The callback runs last: it may open the next request or
    // destroy this object.
    void OnTransferEnded(uint64_t id) {
        if (!transfer_ || transfer_->id != id) {
            return;  // aborted meanwhile, or a synchronous request already handled
        }
        const std::shared_ptr<Transfer> transfer = std::move(transfer_);
        Release(*transfer);
        if (Apply(*transfer)) {
            auto callback = onError;
            if (callback) {
                callback(transfer->errorNumber, ErrorText(transfer->errorNumber));
            }
        } else {
            auto callback = onResponseFinished;
            if (callback) {
                callback();
            }
        }
    }

    void Clear() {
        status_ = 0;
        statusText_.clear();
        headers_.clear();
        body_.clear();
    }

    // Takes the ended transfer's results; true when it failed.
    bool Apply(Transfer& t) {
        Clear();
        const std::lock_guard lock(t.mutex);
        if (t.errorNumber != 0) {
            return true;
        }
        status_ = static_cast<int32_t>(t.status);
        statusText_ = Narrow(t.statusText);
        headers_ = ParseRawHeaders(t.rawHeaders);
        body_ = std::move(t.body);
        return false;
    }

    HWND window_ = nullptr;
    Settings settings_;
    bool async_ = true;
    bool opened_ = false;
    uint64_t nextId_ = 1;
    std::shared_ptr<Transfer> transfer_;
    int32_t status_ = 0;
    std::string statusText_;
    Headers headers_;
    std::vector<uint8_t> body_;
};

}  // namespace

std::unique_ptr<platform::HttpRequest> Win32Http::CreateRequest() {
    return std::make_unique<Win32Request>();
}

}  // namespace vexav6::win32
