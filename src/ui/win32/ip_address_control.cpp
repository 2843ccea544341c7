#include "ui/win32/ip_address_control.h"

#include "base/error.h"
#include "startup/application.h"
#include "ui/win32/controls.h"
#include "ui/win32/dpi.h"
#include "ui/win32/layout.h"

namespace vexav6::ui::win32 {

namespace {

constexpr int kFirstPartId = 1;
// Width of the dot between two parts, in units.
constexpr int kDotWidth = 8;

}  // namespace

IPAddressControl::~IPAddressControl() {
    if (box_ != nullptr) {
        box_->AttachView(nullptr);
        box_ = nullptr;
    }
    // The edit controls go with the frame; from here on they are plain edit controls.
    for (HWND part : parts_) {
        if (part != nullptr && editProc_ != nullptr) {
            ::SetWindowLongPtrW(part, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc_));
        }
    }
}

void IPAddressControl::Create(HWND parent, int id, HFONT font, IPAddress& box) {
    RegisterClass(kClassName);
    CreateHandle(kClassName, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, WS_EX_CLIENTEDGE, 0, 0, 0, 0,
                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
    font_ = font;
    for (int part = 0; part < IPAddress::kParts; ++part) {
        const HWND edit = CreateControl(Handle(), L"EDIT", "", ES_CENTER | ES_NUMBER, 0,
                                        kFirstPartId + part, font);
        ::SendMessageW(edit, EM_LIMITTEXT, IPAddress::kPartLength, 0);
        ::SetWindowLongPtrW(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        editProc_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
            edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&IPAddressControl::PartProc)));
        parts_[static_cast<size_t>(part)] = edit;
    }
    box_ = &box;
    box_->AttachView(this);
}

void IPAddressControl::ShowPart(int part, const std::string& text, PartSelection selection) {
    const HWND edit = Part(part);
    ++showing_;
    UpdateText(edit, text);
    --showing_;
    ::SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(selection.start),
                   static_cast<LPARAM>(selection.end));
}

void IPAddressControl::FocusPart(int part, PartSelection selection) {
    const HWND edit = Part(part);
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(selection.start),
                   static_cast<LPARAM>(selection.end));
}

void IPAddressControl::Beep() {
    ::MessageBeep(MB_OK);
}

PartSelection IPAddressControl::SelectionOf(int part) const {
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(Part(part), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    return PartSelection{static_cast<int>(start), static_cast<int>(end)};
}

int IPAddressControl::PartOf(HWND edit) const {
    for (int part = 0; part < IPAddress::kParts; ++part) {
        if (Part(part) == edit) {
            return part;
        }
    }
    return -1;
}

void IPAddressControl::Layout() {
    const Box client = Box::Client(Handle());
    const Scaler px(Handle());
    const int dot = px(kDotWidth);
    const int partWidth = std::max(0, (client.Width() - 3 * dot) / IPAddress::kParts);
    // One text line high, centred.
    TEXTMETRICW metrics{};
    const HDC dc = ::GetDC(Handle());
    const HGDIOBJ previous = ::SelectObject(dc, font_);
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, previous);
    ::ReleaseDC(Handle(), dc);
    Box row = client.CentredHeight(metrics.tmHeight);
    MoveBatch batch(IPAddress::kParts);
    for (int part = 0; part < IPAddress::kParts; ++part) {
        batch.Move(Part(part), row.TakeLeft(partWidth, dot));
    }
}

void IPAddressControl::Paint() {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(Handle(), &paint);
    const bool enabled = ::IsWindowEnabled(Handle()) != FALSE;
    RECT client{};
    ::GetClientRect(Handle(), &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    const HGDIOBJ previous = ::SelectObject(dc, font_);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    for (int part = 0; part + 1 < IPAddress::kParts; ++part) {
        RECT edit{};
        ::GetWindowRect(Part(part), &edit);
        ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&edit), 2);
        RECT dot{edit.right, client.top, edit.right + Scaler(Handle())(kDotWidth), client.bottom};
        ::DrawTextW(dc, L".", 1, &dot, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    ::SelectObject(dc, previous);
    ::EndPaint(Handle(), &paint);
}

LRESULT IPAddressControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Layout();
            return 0;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETFONT:
            font_ = reinterpret_cast<HFONT>(wParam);
            for (HWND part : parts_) {
                ::SendMessageW(part, WM_SETFONT, wParam, lParam);
            }
            Layout();
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_ENABLE:
            for (HWND part : parts_) {
                ::EnableWindow(part, static_cast<BOOL>(wParam));
            }
            ::InvalidateRect(Handle(), nullptr, TRUE);
            return 0;
        case WM_SETFOCUS:
            if (box_ != nullptr) {
                box_->GotFocus();
            }
            return 0;
        case WM_LBUTTONDOWN:
            // A click on the frame or a dot: the nearest part.
            if (box_ != nullptr) {
                box_->GotFocus();
            }
            return 0;
        case WM_COMMAND: {
            const int part = PartOf(reinterpret_cast<HWND>(lParam));
            if (HIWORD(wParam) == EN_CHANGE && part >= 0 && showing_ == 0 && box_ != nullptr) {
                box_->PartEdited(part, GetText(Part(part)));
            }
            return 0;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC: {
            const auto dc = reinterpret_cast<HDC>(wParam);
            const bool enabled = ::IsWindowEnabled(Handle()) != FALSE;
            ::SetBkColor(dc, ::GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
            ::SetTextColor(dc, ::GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
            return reinterpret_cast<LRESULT>(
                ::GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
        }
        default:
            return Default(message, wParam, lParam);
    }
}

LRESULT IPAddressControl::OnPartMessage(int part, UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND edit = Part(part);
    if (box_ != nullptr) {
        switch (message) {
            case WM_CHAR:
                if (box_->KeyPress(part, static_cast<char32_t>(wParam), SelectionOf(part)) ==
                    IPAddress::KeyOutcome::Handled) {
                    return 0;
                }
                break;
            case WM_KEYDOWN:
                if (wParam == VK_LEFT || wParam == VK_RIGHT) {
                    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
                    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
                    const auto arrow =
                        wParam == VK_LEFT ? IPAddress::Arrow::Left : IPAddress::Arrow::Right;
                    if (box_->ArrowKey(part, arrow, shift, ctrl, SelectionOf(part)) ==
                        IPAddress::KeyOutcome::Handled) {
                        return 0;
                    }
                }
                break;
            case WM_KILLFOCUS: {
                const LRESULT result = ::CallWindowProcW(editProc_, edit, message, wParam, lParam);
                box_->PartLostFocus(part);
                return result;
            }
            default:
                break;
        }
    }
    return ::CallWindowProcW(editProc_, edit, message, wParam, lParam);
}

LRESULT CALLBACK IPAddressControl::PartProc(HWND edit, UINT message, WPARAM wParam,
                                            LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<IPAddressControl*>(::GetWindowLongPtrW(edit, GWLP_USERDATA));
    const int part = self != nullptr ? self->PartOf(edit) : -1;
    if (part < 0) {
        return ::DefWindowProcW(edit, message, wParam, lParam);
    }
    try {
        return self->OnPartMessage(part, message, wParam, lParam);
    } catch (...) {
        try {
            self->Report(CurrentExceptionAsError());
        } catch (...) {
        }
        return 0;
    }
}

}  // namespace vexav6::ui::win32
