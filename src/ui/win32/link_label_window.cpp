#include "ui/win32/link_label_window.h"

#include <utility>

#include "platform/win32/wide_text.h"
#include "ui/win32/window_support.h"

namespace vexav6::ui::win32 {
namespace {

constexpr const wchar_t* kClass = L"Vexav6.LinkLabel";

}  // namespace

LinkLabelWindow::LinkLabelWindow(const Platform& platform, std::string name)
    : platform_(platform), name_(std::move(name)) {}

LinkLabelWindow::~LinkLabelWindow() {
    if (window_ != nullptr && ::IsWindow(window_)) {
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    }
    if (underlined_ != nullptr) {
        ::DeleteObject(underlined_);
    }
}

bool LinkLabelWindow::Create(HWND parent, int controlId, HFONT font) {
    if (!RegisterClassOnce(kClass, &WindowProc, -1, IDC_HAND)) {
        return false;
    }
    font_ = font;
    LOGFONTW logFont{};
    ::GetObjectW(font, sizeof(logFont), &logFont);
    logFont.lfUnderline = TRUE;
    underlined_ = ::CreateFontIndirectW(&logFont);
    window_ = ::CreateWindowExW(0, kClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10,
                                parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                ::GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) {
        return false;
    }
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    link_ = std::make_unique<LinkLabel>(platform_, *this, name_);
    return true;
}

void LinkLabelWindow::MoveTo(int x, int y) {
    ::SetWindowPos(window_, nullptr, x, y, size_.cx, size_.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void LinkLabelWindow::ShowCaption(const std::string& caption, TextColour colour) {
    caption_ = vexav6::win32::Widen(caption);
    colour_ = RGB(colour.red, colour.green, colour.blue);
    ::SetWindowTextW(window_, caption_.c_str());
    // The control takes the size of its caption.
    if (HDC dc = ::GetDC(window_)) {
        const HGDIOBJ old = ::SelectObject(dc, underlined_);
        ::GetTextExtentPoint32W(dc, caption_.c_str(), static_cast<int>(caption_.size()), &size_);
        ::SelectObject(dc, old);
        ::ReleaseDC(window_, dc);
        size_.cx += 4;  // room for the focus rectangle
        size_.cy += 2;
    }
    ::SetWindowPos(window_, nullptr, 0, 0, size_.cx, size_.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(window_, nullptr, TRUE);
}

LRESULT CALLBACK LinkLabelWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) noexcept {
    auto* self = SelfOf<LinkLabelWindow>(window);
    if (self == nullptr || !self->link_) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        ReportCaught(self->platform_);
    }
    return 0;
}

LRESULT LinkLabelWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            HDC dc = ::BeginPaint(window_, &paint);
            RECT client{};
            ::GetClientRect(window_, &client);
            ::SendMessageW(::GetParent(window_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(window_));
            ::SetBkMode(dc, TRANSPARENT);
            ::SetTextColor(dc, colour_);
            const HGDIOBJ old = ::SelectObject(dc, underlined_);
            RECT text = client;
            text.left += 2;
            ::DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text,
                        DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            ::SelectObject(dc, old);
            if (::GetFocus() == window_) {
                ::DrawFocusRect(dc, &client);
            }
            ::EndPaint(window_, &paint);
            return 0;
        }
        case WM_ERASEBKGND: {
            RECT client{};
            ::GetClientRect(window_, &client);
            const auto brush =
                reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(window_), WM_CTLCOLORSTATIC,
                                                        wParam, reinterpret_cast<LPARAM>(window_)));
            ::FillRect(reinterpret_cast<HDC>(wParam), &client,
                       brush != nullptr ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_LBUTTONDOWN:
            ::SetCapture(window_);
            link_->MouseDown();
            return 0;
        case WM_LBUTTONUP: {
            const bool captured = ::GetCapture() == window_;
            ::ReleaseCapture();
            link_->MouseUp();
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            RECT client{};
            ::GetClientRect(window_, &client);
            if (captured && ::PtInRect(&client, point)) {
                link_->Click();
            }
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_SPACE || wParam == VK_RETURN) {
                link_->Click();
                return 0;
            }
            break;
        case WM_GETDLGCODE:
            return DLGC_BUTTON;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            ::InvalidateRect(window_, nullptr, TRUE);
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace vexav6::ui::win32
