#include "ui/win32/progress_bar_window.h"

namespace vexav6::ui::win32 {
namespace {

constexpr const wchar_t* kClass = L"Vexav6.ProgressBar";

}  // namespace

void ProgressBarWindow::Create(HWND parent, int controlId) {
    RegisterClass(kClass);
    CreateHandle(kClass, "", WS_CHILD | WS_VISIBLE, WS_EX_STATICEDGE, 0, 0, 10, 10, parent,
                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)));
}

void ProgressBarWindow::SetPercent(int16_t percent) {
    if (bar_.SetPercent(percent) && Handle() != nullptr) {
        ::InvalidateRect(Handle(), nullptr, FALSE);
        ::UpdateWindow(Handle());
    }
}

void ProgressBarWindow::Paint(HDC dc) const {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    RECT filled = client;
    filled.right = client.left + bar_.FilledWidth(client.right - client.left);
    RECT rest = client;
    rest.left = filled.right;
    ::FillRect(dc, &filled, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    ::FillRect(dc, &rest, ::GetSysColorBrush(COLOR_WINDOW));
}

LRESULT ProgressBarWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            const HDC dc = ::BeginPaint(Handle(), &paint);
            Paint(dc);
            ::EndPaint(Handle(), &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // Paint covers every pixel
        default:
            return Default(message, wParam, lParam);
    }
}

}  // namespace vexav6::ui::win32
