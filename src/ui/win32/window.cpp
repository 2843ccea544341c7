#include "ui/win32/window.h"

#include "base/error.h"
#include "platform/win32/wide_text.h"
#include "startup/application.h"
#include "ui/win32/resources/resource_ids.h"

namespace vexav6::ui::win32 {

std::function<void(HWND)>& Window::ModalShownHook() {
    static std::function<void(HWND)> hook;
    return hook;
}

void RunModalShownHook(HWND window) {
    // A copy runs: the hook may replace itself (a test's one-shot hook does).
    const std::function<void(HWND)> hook = Window::ModalShownHook();
    if (hook) {
        hook(window);
    }
}

void PostModalShown(HWND window) {
    if (Window::ModalShownHook()) {
        ::PostMessageW(window, kModalShownMessage, 0, 0);
    }
}

Window::~Window() {
    if (window_ != nullptr) {
        const HWND window = window_;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        window_ = nullptr;
        ::DestroyWindow(window);
    }
}

void Window::RegisterClass(const wchar_t* className, UINT style) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoExW(instance, className, &existing)) {
        return;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = style;
    windowClass.lpfnWndProc = &Window::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_APPLICATION_ICON));
    windowClass.hIconSm = static_cast<HICON>(::LoadImageW(
        instance, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON,
        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = className;
    ::RegisterClassExW(&windowClass);
}

HWND Window::CreateHandle(const wchar_t* className, const std::string& title, DWORD style,
                          DWORD exStyle, int x, int y, int width, int height, HWND parent,
                          HMENU menu) {
    const std::wstring wideTitle = vexav6::win32::Widen(title);
    const HWND window = ::CreateWindowExW(exStyle, className, wideTitle.c_str(), style, x, y, width,
                                          height, parent, menu, ::GetModuleHandleW(nullptr), this);
    if (window == nullptr) {
        const DWORD code = ::GetLastError();
        throw Error(static_cast<int32_t>(code), "Window.Create",
                    "The window could not be created (system error " + std::to_string(code) + ").");
    }
    return window;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT Window::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void Window::Report(const Error& error) const {
    Application::ReportError(platform_, error);
}

LRESULT CALLBACK Window::WindowProc(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        self = static_cast<Window*>(create->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == kModalShownMessage && ModalShownHook()) {
        RunModalShownHook(window);
        return 0;
    }
    LRESULT result = 0;
    try {
        result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        try {
            self->Report(CurrentExceptionAsError());
        } catch (...) {
            // Nothing may leave a window procedure.
        }
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
    }
    return result;
}

void Window::RunModal(HWND owner) {
    const HWND window = window_;
    const bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) {
        ::EnableWindow(owner, FALSE);
    }
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    PostModalShown(window);
    MSG message{};
    bool quit = false;
    while (::IsWindow(window)) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            quit = got == 0;
            break;
        }
        if (!::IsDialogMessageW(window, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    // The owner is enabled before the window goes, so the system activates it, not another
    // program.
    if (ownerWasEnabled) {
        ::EnableWindow(owner, TRUE);
        ::SetForegroundWindow(owner);
    }
    if (quit) {
        ::DestroyWindow(window);
        ::PostQuitMessage(static_cast<int>(message.wParam));
    }
}

}  // namespace vexav6::ui::win32
