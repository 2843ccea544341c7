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
#include "platform/http_request_base.h"
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

// Where a request goes, cracked from its address when it is opened.
struct Target {
    std::wstring host;
    std::wstring path;  // path and query
    INTERNET_PORT port = 0;
    bool secure = false;
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
            const std::string length =
                platform::FindHttpHeader(ParseRawHeaders(t.rawHeaders), "Content-Length");
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

class Win32Request final : public platform::HttpRequestBase {
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
            const auto number = static_cast<int32_t>(::GetLastError());
            throw Error(number, "HttpRequest", ErrorText(number));
        }
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    ~Win32Request() override {
        Abort();
        ::DestroyWindow(window_);
    }

  private:
    static constexpr const wchar_t* kClassName = L"Vexav6HttpRequest";

    std::string ErrorText(int32_t number) const override { return win32::ErrorText(number); }

    void CheckUrl(std::string_view url) override {
        const std::wstring wideUrl = Wide(url);
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof parts;
        parts.dwSchemeLength = static_cast<DWORD>(-1);
        parts.dwHostNameLength = static_cast<DWORD>(-1);
        parts.dwUrlPathLength = static_cast<DWORD>(-1);
        parts.dwExtraInfoLength = static_cast<DWORD>(-1);
        if (!::WinHttpCrackUrl(wideUrl.c_str(), static_cast<DWORD>(wideUrl.size()), 0, &parts)) {
            throw Error(httperr::kInvalidUrl, "HttpRequest.Open", ErrorText(httperr::kInvalidUrl));
        }
        target_ = Target{};
        target_.host.assign(parts.lpszHostName, parts.dwHostNameLength);
        target_.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
        target_.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
        if (target_.path.empty()) {
            target_.path = L"/";
        }
        target_.port = parts.nPort;
        target_.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    }

    platform::HttpOutcome Transfer(const platform::HttpRequestSettings& settings) override {
        const std::shared_ptr<win32::Transfer> transfer = Begin(settings);
        ::WaitForSingleObject(transfer->ended.Get(), INFINITE);
        Release(*transfer);
        transfer_.reset();
        return Outcome(*transfer);
    }

    void Start(const platform::HttpRequestSettings& settings) override { Begin(settings); }

    void Stop() override {
        if (transfer_) {
            Release(*transfer_);
            transfer_.reset();
        }
    }

    std::shared_ptr<win32::Transfer> Begin(const platform::HttpRequestSettings& settings) {
        auto transfer = std::make_shared<win32::Transfer>();
        transfer->id = nextId_++;
        transfer->notifyWindow = window_;
        transfer_ = transfer;
        if (const DWORD failure = StartTransfer(*transfer, settings); failure != 0) {
            End(*transfer, static_cast<int32_t>(failure));
        }
        return transfer;
    }

    // Creates the handles and starts the request; 0 or the WinHTTP error of the step that failed.
    DWORD StartTransfer(win32::Transfer& t, const platform::HttpRequestSettings& s) {
        t.session.Reset(::WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                      WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS,
                                      WINHTTP_FLAG_ASYNC));
        if (!t.session) {
            return ::GetLastError();
        }
        t.connection.Reset(
            ::WinHttpConnect(t.session.Get(), target_.host.c_str(), target_.port, 0));
        if (!t.connection) {
            return ::GetLastError();
        }
        const std::wstring method = Wide(s.method);
        t.request.Reset(::WinHttpOpenRequest(
            t.connection.Get(), method.c_str(), target_.path.c_str(), nullptr, WINHTTP_NO_REFERER,
            WINHTTP_DEFAULT_ACCEPT_TYPES, target_.secure ? WINHTTP_FLAG_SECURE : 0));
        if (!t.request) {
            return ::GetLastError();
        }
        HINTERNET request = t.request.Get();
        ::WinHttpSetTimeouts(request, s.resolveTimeoutMs, s.connectTimeoutMs, s.sendTimeoutMs,
                             s.receiveTimeoutMs);
        // Some WinHTTP versions (Wine's) time the wait for the response headers only by this.
        DWORD receive = static_cast<DWORD>(s.receiveTimeoutMs);
        ::WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &receive,
                           sizeof receive);
        for (const auto& [name, value] : s.headers) {
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
        auto* holder = new std::shared_ptr<win32::Transfer>(transfer_);
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

    // On the user-interface thread.
    void OnTransferEnded(uint64_t id) {
        if (!transfer_ || transfer_->id != id) {
            return;  // aborted meanwhile, or a synchronous request already handled
        }
        const std::shared_ptr<win32::Transfer> transfer = std::move(transfer_);
        Release(*transfer);
        Finish(Outcome(*transfer));
    }

    // The ended transfer's results.
    platform::HttpOutcome Outcome(win32::Transfer& t) const {
        const std::lock_guard lock(t.mutex);
        if (t.errorNumber != 0) {
            return platform::HttpOutcome::Failure(t.errorNumber, ErrorText(t.errorNumber));
        }
        platform::HttpOutcome outcome;
        outcome.status = static_cast<int32_t>(t.status);
        outcome.statusText = Narrow(t.statusText);
        outcome.headers = ParseRawHeaders(t.rawHeaders);
        outcome.body = std::move(t.body);
        return outcome;
    }

    HWND window_ = nullptr;
    Target target_;
    uint64_t nextId_ = 1;
    std::shared_ptr<win32::Transfer> transfer_;
};

}  // namespace

std::unique_ptr<platform::HttpRequest> Win32Http::CreateRequest() {
    return std::make_unique<Win32Request>();
}

}  // namespace vexav6::win32
