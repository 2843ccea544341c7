#include "platform/win32/instance_channel.h"

#include <utility>

#include "base/app_info.h"
#include "platform/win32/wide_text.h"

namespace vexav6::win32 {
namespace {

constexpr const wchar_t* kWindowClass = L"Vexav6.frmDDE";
// Marks our WM_COPYDATA among any other program's ("VXA6").
constexpr ULONG_PTR kHandOverTag = 0x36415856;
// A Windows command line holds at most 32767 UTF-16 characters, three UTF-8 bytes each.
constexpr DWORD kMaxMessageBytes = 3 * 32768;
constexpr UINT kDeliverMessage = WM_APP + 1;
constexpr UINT kSendTimeoutMs = 5000;

ATOM RegisterWindowClass(WNDPROC procedure) {
    static const ATOM atom = [procedure] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return ::RegisterClassExW(&windowClass);
    }();
    return atom;
}

}  // namespace

std::wstring InstanceChannel::DefaultName() {
    return Widen(app::kTitle) + L"|frmDDE";
}

InstanceChannel::InstanceChannel(std::wstring name) : name_(std::move(name)) {}

InstanceChannel::~InstanceChannel() {
    StopReceiver();
}

bool InstanceChannel::IsAnotherInstanceRunning() {
    if (!mutexChecked_) {
        mutexChecked_ = true;
        const std::wstring mutexName = L"Local\\" + name_;
        mutex_.Reset(::CreateMutexW(nullptr, FALSE, mutexName.c_str()));
        const DWORD error = ::GetLastError();
        // Access denied: it exists, made by a process this one may not open.
        otherInstance_ = error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
    }
    return otherInstance_;
}

bool InstanceChannel::Send(std::string_view message) const {
    if (message.size() > kMaxMessageBytes) {
        return false;
    }
    const HWND receiver = ::FindWindowExW(HWND_MESSAGE, nullptr, kWindowClass, name_.c_str());
    if (receiver == nullptr) {
        return false;
    }
    COPYDATASTRUCT data{};
    data.dwData = kHandOverTag;
    data.cbData = static_cast<DWORD>(message.size());
    data.lpData = const_cast<char*>(message.data());
    DWORD_PTR answer = FALSE;
    const LRESULT sent =
        ::SendMessageTimeoutW(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                              SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer);
    return sent != 0 && answer == TRUE;
}

void InstanceChannel::StartReceiver(std::function<void(const std::string&)> onMessage) {
    StopReceiver();
    onMessage_ = std::move(onMessage);
    if (RegisterWindowClass(&InstanceChannel::WindowProc) == 0) {
        return;
    }
    window_ = ::CreateWindowExW(0, kWindowClass, name_.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, ::GetModuleHandleW(nullptr), this);
}

void InstanceChannel::StopReceiver() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
        window_ = nullptr;
    }
    onMessage_ = nullptr;
    pending_.clear();
}

LRESULT CALLBACK InstanceChannel::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<InstanceChannel*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && self->window_ == window) {
        try {
            if (message == WM_COPYDATA) {
                return self->OnCopyData(window, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            }
            if (message == kDeliverMessage) {
                self->DeliverPending();
                return 0;
            }
        } catch (...) {
            return FALSE;  // nothing may cross the window procedure
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT InstanceChannel::OnCopyData(HWND window, const COPYDATASTRUCT* data) {
    if (data == nullptr || data->dwData != kHandOverTag || data->cbData > kMaxMessageBytes ||
        (data->cbData > 0 && data->lpData == nullptr)) {
        return FALSE;
    }
    pending_.emplace_back(static_cast<const char*>(data->lpData), data->cbData);
    if (!::PostMessageW(window, kDeliverMessage, 0, 0)) {
        pending_.pop_back();
        return FALSE;
    }
    return TRUE;
}

void InstanceChannel::DeliverPending() {
    while (!pending_.empty() && onMessage_) {
        const std::string message = std::move(pending_.front());
        pending_.pop_front();
        // The callback may stop the receiver: keep the function alive while it runs.
        const std::function<void(const std::string&)> onMessage = onMessage_;
        try {
            onMessage(message);
        } catch (...) {
            // The receiver reports its own failures; the rest of the queue still runs.
        }
    }
}

}  // namespace vexav6::win32
