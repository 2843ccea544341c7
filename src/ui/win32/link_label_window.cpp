#include "ui/win32/link_label_window.h"

#include <utility>

#include "platform/win32/wide_text.h"

namespace vexav6::ui::win32 {
namespace {

constexpr const wchar_t* kClass = L"Vexav6.LinkLabel";

}  // namespace

LinkLabelWindow::LinkLabelWindow(const Platform& platform, std::string name)
    : Window(platform), name_(std::move(name)) {}

void LinkLabelWindow::Create(HWND parent, int controlId, HFONT font) {
    RegisterClass(kClass);
    CreateHandle(kClass, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 10, 10, parent,
                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)));
    SetFont(font);
    link_ = std::make_unique<LinkLabel>(GetPlatform(), *this, name_);
}

void LinkLabelWindow::SetFont(HFONT font) {
    LOGFONTW logFont{};
    ::GetObjectW(font, sizeof(logFont), &logFont);
    logFont.lfUnderline = TRUE;
    underlined_.Reset(::CreateFontIndirectW(&logFont));
    if (link_) {
        ShowCaption(link_->LinkCaption(), link_->Colour());
    }
}

void LinkLabelWindow::MoveTo(int x, int y) {
    ::SetWindowPos(Handle(), nullptr, x, y, size_.cx, size_.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void LinkLabelWindow::ShowCaption(const std::string& caption, TextColour colour) {
    caption_ = vexav6::win32::Widen(caption);
    colour_ = RGB(colour.red, colour.green, colour.blue);
    ::SetWindowTextW(Handle(), caption_.c_str());
    // The control takes the size of its caption, with room for the focus rectangle.
    if (HDC dc = ::GetDC(Handle())) {
        const SelectObjectScope font(dc, underlined_.Get());
        ::GetTextExtentPoint32W(dc, caption_.c_str(), static_cast<int>(caption_.size()), &size_);
        ::ReleaseDC(Handle(), dc);
        size_.cx += 4;
        size_.cy += 2;
    }
    ::SetWindowPos(Handle(), nullptr, 0, 0, size_.cx, size_.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void LinkLabelWindow::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    // The parent's background colour, as for a static control.
    ::SendMessageW(::GetParent(Handle()), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(Handle()));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour_);
    const SelectObjectScope font(dc, underlined_.Get());
    RECT text = client;
    text.left += 2;
    ::DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (::GetFocus() == Handle()) {
        ::DrawFocusRect(dc, &client);
    }
}

LRESULT LinkLabelWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!link_) {
        return Default(message, wParam, lParam);
    }
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            const HDC dc = ::BeginPaint(Handle(), &paint);
            Paint(dc);
            ::EndPaint(Handle(), &paint);
            return 0;
        }
        case WM_ERASEBKGND: {
            RECT client{};
            ::GetClientRect(Handle(), &client);
            const auto brush = reinterpret_cast<HBRUSH>(
                ::SendMessageW(::GetParent(Handle()), WM_CTLCOLORSTATIC, wParam,
                               reinterpret_cast<LPARAM>(Handle())));
            ::FillRect(reinterpret_cast<HDC>(wParam), &client,
                       brush != nullptr ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_SETCURSOR:
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        case WM_LBUTTONDOWN:
            ::SetCapture(Handle());
            link_->MouseDown();
            return 0;
        case WM_LBUTTONUP: {
            const bool captured = ::GetCapture() == Handle();
            ::ReleaseCapture();
            link_->MouseUp();
            const POINT point{static_cast<short>(LOWORD(lParam)),
                              static_cast<short>(HIWORD(lParam))};
            RECT client{};
            ::GetClientRect(Handle(), &client);
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
            ::InvalidateRect(Handle(), nullptr, TRUE);
            return 0;
        default:
            break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace vexav6::ui::win32
