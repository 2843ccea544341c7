#include "ui/win32/mac_address_window.h"

#include "base/error.h"
#include "platform/win32/wide_text.h"
#include "ui/win32/controls.h"
#include "ui/win32/gdi.h"
#include "ui/win32/panel.h"

namespace vexav6::ui::win32 {
namespace {

constexpr const wchar_t* kContainerClass = L"Vexav6.MACAddress";
constexpr const wchar_t* kSelfProperty = L"Vexav6.MACAddressWindow";
constexpr int kFirstEditId = 100;

MACAddressWindow* Self(HWND window) {
    return static_cast<MACAddressWindow*>(::GetPropW(window, kSelfProperty));
}

std::string ClipboardText(HWND owner) {
    std::string text;
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(owner)) {
        return text;
    }
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* wide = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = vexav6::win32::Narrow(wide);
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

}  // namespace

MACAddressWindow::~MACAddressWindow() {
    for (size_t i = 0; i < edits_.size(); ++i) {
        if (edits_[i] != nullptr && ::IsWindow(edits_[i])) {
            ::SetWindowLongPtrW(edits_[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProcs_[i]));
            ::RemovePropW(edits_[i], kSelfProperty);
        }
    }
}

void MACAddressWindow::Create(HWND parent, int controlId, HFONT font) {
    RegisterClass(kContainerClass);
    CreateHandle(kContainerClass, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, WS_EX_CONTROLPARENT, 0, 0,
                 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)));
    for (size_t i = 0; i < edits_.size(); ++i) {
        // One tab stop for the box: Tab enters it at the first octet and leaves it from any.
        const DWORD tabStop = i == 0 ? WS_TABSTOP : 0;
        edits_[i] = CreateControl(Handle(), L"EDIT", "",
                                  tabStop | ES_CENTER | ES_UPPERCASE | ES_AUTOHSCROLL,
                                  WS_EX_CLIENTEDGE, kFirstEditId + static_cast<int>(i), font);
        ::SendMessageW(edits_[i], EM_LIMITTEXT, 2, 0);
        ::SetPropW(edits_[i], kSelfProperty, this);
        editProcs_[i] = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(edits_[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc)));
        if (i < dashes_.size()) {
            dashes_[i] = CreateControl(Handle(), L"STATIC", "-", SS_CENTER, 0, 0, font);
        }
    }
    SetFont(font);
}

void MACAddressWindow::SetFont(HFONT font) {
    for (const HWND edit : edits_) {
        ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    for (const HWND dash : dashes_) {
        ::SendMessageW(dash, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    // Octets as wide as two wide digits and the edit's margins.
    if (HDC dc = ::GetDC(Handle())) {
        {
            const SelectObjectScope selected(dc, font);
            SIZE digits{};
            ::GetTextExtentPoint32W(dc, L"WW", 2, &digits);
            SIZE dash{};
            ::GetTextExtentPoint32W(dc, L" - ", 3, &dash);
            octetWidth_ = digits.cx + 2 * ::GetSystemMetrics(SM_CXEDGE) + digits.cx / 3;
            dashWidth_ = dash.cx;
        }
        ::ReleaseDC(Handle(), dc);
    }
}

int MACAddressWindow::PreferredWidth() const {
    return MACAddress::kOctets * octetWidth_ + (MACAddress::kOctets - 1) * dashWidth_;
}

void MACAddressWindow::Move(int x, int y, int height) {
    ::MoveWindow(Handle(), x, y, PreferredWidth(), height, TRUE);
    int left = 0;
    for (size_t i = 0; i < edits_.size(); ++i) {
        ::MoveWindow(edits_[i], left, 0, octetWidth_, height, TRUE);
        left += octetWidth_;
        if (i < dashes_.size()) {
            ::MoveWindow(dashes_[i], left, (height - height * 2 / 3) / 2, dashWidth_,
                         height * 2 / 3, TRUE);
            left += dashWidth_;
        }
    }
}

std::string MACAddressWindow::OctetText(int octet) const {
    return GetText(Octet(octet));
}

void MACAddressWindow::SetOctetText(int octet, const std::string& text) {
    writing_ = true;
    SetText(Octet(octet), text);
    writing_ = false;
}

void MACAddressWindow::GetSelection(int octet, int& start, int& end) const {
    DWORD first = 0;
    DWORD last = 0;
    ::SendMessageW(Octet(octet), EM_GETSEL, reinterpret_cast<WPARAM>(&first),
                   reinterpret_cast<LPARAM>(&last));
    start = static_cast<int>(first);
    end = static_cast<int>(last);
}

void MACAddressWindow::SetSelection(int octet, int start, int end) {
    ::SendMessageW(Octet(octet), EM_SETSEL, static_cast<WPARAM>(start), end);
}

void MACAddressWindow::FocusOctet(int octet) {
    ::SetFocus(Octet(octet));
}

void MACAddressWindow::Beep() {
    ::MessageBeep(MB_OK);
}

void MACAddressWindow::SetEnabled(bool enabled) {
    for (const HWND edit : edits_) {
        ::EnableWindow(edit, enabled ? TRUE : FALSE);
    }
}

int MACAddressWindow::OctetOf(HWND edit) const {
    for (size_t i = 0; i < edits_.size(); ++i) {
        if (edits_[i] == edit) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

LRESULT MACAddressWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == EN_CHANGE && machine_ != nullptr && !writing_) {
                const int octet = OctetOf(reinterpret_cast<HWND>(lParam));
                if (octet >= 0) {
                    machine_->OnOctetChanged(octet);
                }
            }
            return 0;
        case WM_SETFOCUS:
            // Tabbing into the box lands on its first octet.
            ::SetFocus(edits_[0]);
            return 0;
        case WM_ERASEBKGND: {
            RECT client{};
            ::GetClientRect(Handle(), &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, PanelBackgroundBrush());
            return 1;
        }
        case WM_CTLCOLORSTATIC:
            // The dashes draw on the panel's background.
            return ::SendMessageW(::GetParent(Handle()), message, wParam, lParam);
        default:
            return Default(message, wParam, lParam);
    }
}

LRESULT CALLBACK MACAddressWindow::EditProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) noexcept {
    MACAddressWindow* self = Self(window);
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    const int octet = self->OctetOf(window);
    try {
        return self->OnEditMessage(octet, window, message, wParam, lParam);
    } catch (...) {
        try {
            self->Report(CurrentExceptionAsError());
        } catch (...) {
            // Nothing may leave a window procedure.
        }
    }
    return 0;
}

LRESULT MACAddressWindow::OnEditMessage(int octet, HWND edit, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
    const WNDPROC original = editProcs_[static_cast<size_t>(octet)];
    if (machine_ == nullptr) {
        return ::CallWindowProcW(original, edit, message, wParam, lParam);
    }
    switch (message) {
        case WM_CHAR:
            if (machine_->OnChar(octet, static_cast<char32_t>(wParam))) {
                return 0;
            }
            break;
        case WM_KEYDOWN: {
            const bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
            const bool ctrl = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
            if (machine_->OnKeyDown(octet, static_cast<int>(wParam), shift, ctrl)) {
                return 0;
            }
            break;
        }
        case WM_PASTE:
            machine_->Paste(octet, ClipboardText(edit));
            return 0;
        case WM_SETFOCUS: {
            const LRESULT result = ::CallWindowProcW(original, edit, message, wParam, lParam);
            machine_->OnOctetEnter(octet);
            return result;
        }
        case WM_KILLFOCUS:
            machine_->OnOctetLeave(octet);
            break;
        case WM_GETDLGCODE:
            // Arrow keys and characters belong to the octet, Tab and Enter to the dialog.
            return ::CallWindowProcW(original, edit, message, wParam, lParam) | DLGC_WANTARROWS |
                   DLGC_WANTCHARS;
        default:
            break;
    }
    return ::CallWindowProcW(original, edit, message, wParam, lParam);
}

}  // namespace vexav6::ui::win32
