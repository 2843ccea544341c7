#include "ui/win32/progress_bar_window.h"

#include "ui/win32/window_support.h"

namespace vexav6::ui::win32 {
namespace {

constexpr const wchar_t* kClass = L"Vexav6.ProgressBar";

}  // namespace

bool ProgressBarWindow::Create(HWND parent, int controlId) {
    if (!RegisterClassOnce(kClass, &WindowProc, COLOR_WINDOW)) {
        return false;
    }
    window_ = ::CreateWindowExW(WS_EX_STATICEDGE, kClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                ::GetModuleHandleW(nullptr), nullptr);
    if (window_ != nullptr) {
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    return window_ != nullptr;
}

void ProgressBarWindow::SetPercent(int16_t percent) {
    if (bar_.SetPercent(percent) && window_ != nullptr) {
        ::InvalidateRect(window_, nullptr, FALSE);
        ::UpdateWindow(window_);
    }
}

void ProgressBarWindow::Paint(HDC dc) const {
    RECT client{};
    ::GetClientRect(window_, &client);
    RECT filled = client;
    filled.right = client.left + bar_.FilledWidth(client.right - client.left);
    RECT rest = client;
    rest.left = filled.right;
    ::FillRect(dc, &filled, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    ::FillRect(dc, &rest, ::GetSysColorBrush(COLOR_WINDOW));
}

LRESULT CALLBACK ProgressBarWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) noexcept {
    const auto* self = SelfOf<const ProgressBarWindow>(window);
    if (self != nullptr && message == WM_PAINT) {
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(window, &paint);
        self->Paint(dc);
        ::EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_ERASEBKGND) {
        return 1;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace vexav6::ui::win32
