#include "ui/win32/mac_address_window.h"

#include "platform/win32/wide_text.h"
#include "ui/win32/window_support.h"

namespace vexav6::ui::win32 {
namespace {

constexpr const wchar_t* kContainerClass = L"Vexav6.MACAddress";
constexpr const wchar_t* kSelfProperty = L"Vexav6.MACAddressWindow";

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
    if (container_ != nullptr && ::IsWindow(container_)) {
        ::RemovePropW(container_, kSelfProperty);
        ::SetWindowLongPtrW(container_, GWLP_WNDPROC,
                            reinterpret_cast<LONG_PTR>(&::DefWindowProcW));
    }
}

bool MACAddressWindow::Create(HWND parent, int controlId, MACAddress& machine, HFONT font) {
    if (!RegisterClassOnce(kContainerClass, &::DefWindowProcW, COLOR_BTNFACE, IDC_IBEAM)) {
        return false;
    }
    machine_ = &machine;
    font_ = font;
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    container_ = ::CreateWindowExW(
        WS_EX_CONTROLPARENT, kContainerClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance, nullptr);
    if (container_ == nullptr) {
        return false;
    }
    ::SetPropW(container_, kSelfProperty, this);
    ::SetWindowLongPtrW(container_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ContainerProc));

    for (size_t i = 0; i < edits_.size(); ++i) {
        edits_[i] = ::CreateWindowExW(
            WS_EX_CLIENTEDGE, L"EDIT", L"",
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_CENTER | ES_UPPERCASE | ES_AUTOHSCROLL, 0, 0,
            10, 10, container_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)), instance,
            nullptr);
        if (edits_[i] == nullptr) {
            return false;
        }
        ::SendMessageW(edits_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        ::SendMessageW(edits_[i], EM_LIMITTEXT, 2, 0);
        ::SetPropW(edits_[i], kSelfProperty, this);
        editProcs_[i] = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(edits_[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc)));
        if (i + 1 < edits_.size()) {
            dashes_[i] = ::CreateWindowExW(0, L"STATIC", L"-", WS_CHILD | WS_VISIBLE | SS_CENTER, 0,
                                           0, 10, 10, container_, nullptr, instance, nullptr);
            ::SendMessageW(dashes_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
    }

    // Octets as wide as two wide digits and the edit's margins.
    if (HDC dc = ::GetDC(container_)) {
        const HGDIOBJ old = ::SelectObject(dc, font);
        SIZE digits{};
        ::GetTextExtentPoint32W(dc, L"WW", 2, &digits);
        SIZE dash{};
        ::GetTextExtentPoint32W(dc, L" - ", 3, &dash);
        ::SelectObject(dc, old);
        ::ReleaseDC(container_, dc);
        octetWidth_ = digits.cx + 2 * ::GetSystemMetrics(SM_CXEDGE) + 8;
        dashWidth_ = dash.cx;
    }
    return true;
}

int MACAddressWindow::PreferredWidth() const {
    return MACAddress::kOctets * octetWidth_ + (MACAddress::kOctets - 1) * dashWidth_;
}

void MACAddressWindow::Move(int x, int y, int height) {
    ::MoveWindow(container_, x, y, PreferredWidth(), height, TRUE);
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
    wchar_t buffer[8] = {};
    ::GetWindowTextW(Octet(octet), buffer, 8);
    return vexav6::win32::Narrow(buffer);
}

void MACAddressWindow::SetOctetText(int octet, const std::string& text) {
    writing_ = true;
    ::SetWindowTextW(Octet(octet), vexav6::win32::Widen(text).c_str());
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

LRESULT CALLBACK MACAddressWindow::ContainerProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) noexcept {
    MACAddressWindow* self = Self(window);
    try {
        if (self != nullptr && message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
            const int octet = self->OctetOf(reinterpret_cast<HWND>(lParam));
            if (octet >= 0 && !self->writing_) {
                self->machine_->OnOctetChanged(octet);
            }
            return 0;
        }
        if (self != nullptr && message == WM_SETFOCUS) {
            // Tabbing into the box lands on its first octet.
            ::SetFocus(self->edits_[0]);
            return 0;
        }
        if (message == WM_CTLCOLORSTATIC) {
            return ::DefWindowProcW(::GetParent(window), message, wParam, lParam);
        }
    } catch (...) {
        if (self != nullptr && self->onException) {
            self->onException();
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
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
        if (self->onException) {
            self->onException();
        }
    }
    return ::CallWindowProcW(self->editProcs_[static_cast<size_t>(octet)], window, message, wParam,
                             lParam);
}

LRESULT MACAddressWindow::OnEditMessage(int octet, HWND edit, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
    const WNDPROC original = editProcs_[static_cast<size_t>(octet)];
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
