#include "ui/win32/vendor_combo_window.h"

#include <algorithm>

#include "platform/win32/wide_text.h"
#include "ui/win32/window_support.h"

namespace vexav6::ui::win32 {
namespace {

constexpr const wchar_t* kContainerClass = L"Vexav6.VendorCombo";
constexpr const wchar_t* kPopupClass = L"Vexav6.VendorDrop";
constexpr const wchar_t* kSelf = L"Vexav6.VendorComboWindow";
constexpr int kEditId = 1;
constexpr int kButtonId = 2;
constexpr int kListId = 3;
constexpr int kVisibleRows = 14;

VendorComboWindow* Self(HWND window) {
    return static_cast<VendorComboWindow*>(::GetPropW(window, kSelf));
}

}  // namespace

VendorComboWindow::~VendorComboWindow() {
    if (popup_ != nullptr && ::IsWindow(popup_)) {
        ::DestroyWindow(popup_);
    }
    for (const HWND window : {container_, edit_, list_}) {
        if (window != nullptr && ::IsWindow(window)) {
            ::RemovePropW(window, kSelf);
        }
    }
}

bool VendorComboWindow::Create(HWND parent, int controlId, HFONT font) {
    if (!RegisterClassOnce(kContainerClass, &ContainerProc, COLOR_WINDOW) ||
        !RegisterClassOnce(kPopupClass, &PopupProc, COLOR_WINDOW, IDC_ARROW, CS_DROPSHADOW)) {
        return false;
    }
    font_ = font;
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    container_ = ::CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE, kContainerClass, L"",
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                   instance, nullptr);
    if (container_ == nullptr) {
        return false;
    }
    ::SetPropW(container_, kSelf, this);
    edit_ = ::CreateWindowExW(
        0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 10, 10,
        container_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), instance, nullptr);
    button_ = ::CreateWindowExW(
        0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 10, 10, container_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), instance, nullptr);
    // The popup belongs to the top-level window, so it moves above it and goes with it.
    popup_ = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kPopupClass, L"",
                               WS_POPUP | WS_BORDER, 0, 0, 10, 10, ::GetAncestor(parent, GA_ROOT),
                               nullptr, instance, nullptr);
    if (edit_ == nullptr || button_ == nullptr || popup_ == nullptr) {
        return false;
    }
    ::SetPropW(popup_, kSelf, this);
    list_ = ::CreateWindowExW(0, L"LISTBOX", L"",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NODATA | LBS_OWNERDRAWFIXED |
                                  LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                              0, 0, 10, 10, popup_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), instance,
                              nullptr);
    if (list_ == nullptr) {
        return false;
    }
    ::SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageW(list_, LB_SETITEMHEIGHT, 0, RowHeight());
    ::SetPropW(edit_, kSelf, this);
    ::SetPropW(list_, kSelf, this);
    editProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc)));
    listProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListProc)));
    return true;
}

int VendorComboWindow::RowHeight() const {
    int height = 16;
    if (HDC dc = ::GetDC(container_)) {
        const HGDIOBJ old = ::SelectObject(dc, font_);
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        ::SelectObject(dc, old);
        ::ReleaseDC(container_, dc);
        height = metrics.tmHeight + 2;
    }
    return height;
}

void VendorComboWindow::Move(int x, int y, int width, int height) {
    ::MoveWindow(container_, x, y, width, height, TRUE);
    RECT client{};
    ::GetClientRect(container_, &client);
    const int buttonWidth = ::GetSystemMetrics(SM_CXVSCROLL);
    const int textHeight = RowHeight();
    ::MoveWindow(edit_, 2, std::max(0, static_cast<int>(client.bottom - textHeight) / 2),
                 client.right - buttonWidth - 2, textHeight, TRUE);
    ::MoveWindow(button_, client.right - buttonWidth, 0, buttonWidth, client.bottom, TRUE);
}

void VendorComboWindow::SetText(const std::string& text) {
    settingText_ = true;
    ::SetWindowTextW(edit_, vexav6::win32::Widen(text).c_str());
    settingText_ = false;
}

std::string VendorComboWindow::Text() const {
    const int length = ::GetWindowTextLengthW(edit_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(edit_, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return vexav6::win32::Narrow(text);
}

void VendorComboWindow::ShowRows(size_t rows, size_t highlighted) {
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list_, LB_SETCOUNT, rows, 0);
    const int row = highlighted < rows ? static_cast<int>(highlighted) : -1;
    ::SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    ::SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(0, row - 2)), 0);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
}

bool VendorComboWindow::Dropped() const {
    return ::IsWindowVisible(popup_) != FALSE;
}

int VendorComboWindow::Highlighted() const {
    return static_cast<int>(::SendMessageW(list_, LB_GETCURSEL, 0, 0));
}

void VendorComboWindow::Drop(bool dropped) {
    if (!dropped) {
        ::ShowWindow(popup_, SW_HIDE);
        ::InvalidateRect(button_, nullptr, TRUE);
        return;
    }
    RECT box{};
    ::GetWindowRect(container_, &box);
    const int border = 2 * ::GetSystemMetrics(SM_CYBORDER);
    const int height = kVisibleRows * RowHeight() + border;
    // Below the box, or above it when the screen ends first.
    const HMONITOR monitor = ::MonitorFromRect(&box, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(monitor, &info);
    int top = box.bottom;
    if (top + height > info.rcWork.bottom && box.top - height >= info.rcWork.top) {
        top = box.top - height;
    }
    ::SetWindowPos(popup_, HWND_TOP, box.left, top, box.right - box.left, height,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    RECT client{};
    ::GetClientRect(popup_, &client);
    ::MoveWindow(list_, 0, 0, client.right, client.bottom, TRUE);
    ::InvalidateRect(button_, nullptr, TRUE);
}

void VendorComboWindow::MoveHighlight(int rows) {
    const auto count = static_cast<int>(::SendMessageW(list_, LB_GETCOUNT, 0, 0));
    if (count <= 0) {
        return;
    }
    if (!Dropped()) {
        Drop(true);
    }
    const int current = Highlighted();
    const int next = std::clamp(current < 0 ? 0 : current + rows, 0, count - 1);
    ::SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(next), 0);
}

void VendorComboWindow::Choose(int row) {
    const auto count = static_cast<int>(::SendMessageW(list_, LB_GETCOUNT, 0, 0));
    Drop(false);
    if (row >= 0 && row < count && onChosen) {
        onChosen(static_cast<size_t>(row));
    }
}

void VendorComboWindow::DrawRow(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) {
        return;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(item.hDC, &item.rcItem,
               ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const HGDIOBJ old = ::SelectObject(item.hDC, font_);
    const std::wstring text =
        rowText ? vexav6::win32::Widen(rowText(static_cast<size_t>(item.itemID))) : L"";
    RECT area = item.rcItem;
    area.left += 3;
    ::DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &area,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    ::SelectObject(item.hDC, old);
}

LRESULT CALLBACK VendorComboWindow::ContainerProc(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) noexcept {
    VendorComboWindow* self = Self(window);
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->OnContainer(window, message, wParam, lParam);
    } catch (...) {
        if (self->onException) {
            self->onException();
        }
    }
    return 0;
}

LRESULT VendorComboWindow::OnContainer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE && !settingText_ &&
                onTyped) {
                onTyped(Text());
            } else if (LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_KILLFOCUS) {
                Drop(false);
            } else if (LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) {
                Drop(!Dropped());
                ::SetFocus(edit_);
            }
            return 0;
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlID == kButtonId) {
                RECT area = item.rcItem;
                UINT state = DFCS_SCROLLCOMBOBOX;
                if ((item.itemState & ODS_SELECTED) != 0 || Dropped()) {
                    state |= DFCS_PUSHED;
                }
                if (!::IsWindowEnabled(container_)) {
                    state |= DFCS_INACTIVE;
                }
                ::DrawFrameControl(item.hDC, &area, DFC_SCROLL, state);
            }
            return TRUE;
        }
        case WM_SETFOCUS:
            ::SetFocus(edit_);
            return 0;
        case WM_ENABLE:
            ::EnableWindow(edit_, static_cast<BOOL>(wParam));
            ::EnableWindow(button_, static_cast<BOOL>(wParam));
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK VendorComboWindow::PopupProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) noexcept {
    VendorComboWindow* self = Self(window);
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->OnPopup(window, message, wParam, lParam);
    } catch (...) {
        if (self->onException) {
            self->onException();
        }
    }
    return 0;
}

LRESULT VendorComboWindow::OnPopup(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_MEASUREITEM:
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight =
                static_cast<UINT>(RowHeight());
            return TRUE;
        case WM_DRAWITEM:
            DrawRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK VendorComboWindow::EditProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) noexcept {
    VendorComboWindow* self = Self(window);
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->OnEdit(window, message, wParam, lParam);
    } catch (...) {
        if (self->onException) {
            self->onException();
        }
    }
    return 0;
}

LRESULT VendorComboWindow::OnEdit(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int page = kVisibleRows - 1;
    switch (message) {
        case WM_GETDLGCODE:
            // While the list is open, Enter and Escape are the list's, not the dialog's.
            return ::CallWindowProcW(editProc_, window, message, wParam, lParam) |
                   (Dropped() ? DLGC_WANTALLKEYS : 0);
        case WM_SYSKEYDOWN:
            if (wParam == VK_DOWN || wParam == VK_UP) {
                Drop(!Dropped());
                return 0;
            }
            break;
        case WM_KEYDOWN:
            switch (wParam) {
                case VK_DOWN:
                    MoveHighlight(1);
                    return 0;
                case VK_UP:
                    MoveHighlight(-1);
                    return 0;
                case VK_NEXT:
                    MoveHighlight(page);
                    return 0;
                case VK_PRIOR:
                    MoveHighlight(-page);
                    return 0;
                case VK_F4:
                    Drop(!Dropped());
                    return 0;
                case VK_RETURN:
                    if (Dropped()) {
                        Choose(Highlighted());
                        return 0;
                    }
                    break;
                case VK_ESCAPE:
                    if (Dropped()) {
                        Drop(false);
                        return 0;
                    }
                    break;
                default:
                    break;
            }
            break;
        case WM_CHAR:
            // Enter and Escape were handled on key-down; the edit would only beep.
            if ((wParam == L'\r' || wParam == 0x1B) && Dropped()) {
                return 0;
            }
            break;
        case WM_MOUSEWHEEL:
            if (Dropped()) {
                return ::SendMessageW(list_, message, wParam, lParam);
            }
            break;
        default:
            break;
    }
    return ::CallWindowProcW(editProc_, window, message, wParam, lParam);
}

LRESULT CALLBACK VendorComboWindow::ListProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) noexcept {
    VendorComboWindow* self = Self(window);
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->OnList(window, message, wParam, lParam);
    } catch (...) {
        if (self->onException) {
            self->onException();
        }
    }
    return 0;
}

LRESULT VendorComboWindow::OnList(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP: {
            // The list never takes the focus: it stays in the edit part while the mouse picks.
            const auto hit =
                static_cast<DWORD>(::SendMessageW(window, LB_ITEMFROMPOINT, 0, lParam));
            const int row = HIWORD(hit) == 0 ? static_cast<int>(LOWORD(hit)) : -1;
            if (row >= 0 && row != Highlighted()) {
                ::SendMessageW(window, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
            }
            if (message == WM_LBUTTONUP && row >= 0) {
                Choose(row);
            }
            return 0;
        }
        default:
            return ::CallWindowProcW(listProc_, window, message, wParam, lParam);
    }
}

}  // namespace vexav6::ui::win32
