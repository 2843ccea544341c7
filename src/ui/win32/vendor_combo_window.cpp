#include "ui/win32/vendor_combo_window.h"

#include <algorithm>

#include "base/error.h"
#include "platform/win32/wide_text.h"
#include "ui/win32/controls.h"
#include "ui/win32/gdi.h"

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

VendorComboWindow::VendorComboWindow(const Platform& platform)
    : Window(platform), popup_(platform, *this) {}

VendorComboWindow::~VendorComboWindow() {
    if (edit_ != nullptr && ::IsWindow(edit_)) {
        ::SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc_));
        ::RemovePropW(edit_, kSelf);
    }
    if (list_ != nullptr && ::IsWindow(list_)) {
        ::SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc_));
        ::RemovePropW(list_, kSelf);
    }
}

void VendorComboWindow::Popup::Create(HWND owner) {
    RegisterClass(kPopupClass, CS_DROPSHADOW);
    CreateHandle(kPopupClass, "", WS_POPUP | WS_BORDER, WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, 0, 0,
                 10, 10, owner);
}

LRESULT VendorComboWindow::Popup::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_MEASUREITEM:
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight =
                static_cast<UINT>(owner_.RowHeight());
            return TRUE;
        case WM_DRAWITEM:
            owner_.DrawRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        default:
            return Default(message, wParam, lParam);
    }
}

void VendorComboWindow::Create(HWND parent, int controlId, HFONT font) {
    font_ = font;
    RegisterClass(kContainerClass);
    CreateHandle(kContainerClass, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                 WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE, 0, 0, 10, 10, parent,
                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)));
    edit_ = CreateControl(Handle(), L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, 0, kEditId, font);
    button_ = CreateControl(Handle(), L"BUTTON", "", BS_OWNERDRAW, 0, kButtonId, nullptr);
    // The popup belongs to the top-level window, so it moves above it and goes with it.
    popup_.Create(::GetAncestor(parent, GA_ROOT));
    list_ = CreateControl(
        popup_.Handle(), L"LISTBOX", "",
        WS_VSCROLL | LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, 0,
        kListId, font);
    ::SendMessageW(list_, LB_SETITEMHEIGHT, 0, RowHeight());
    ::SetPropW(edit_, kSelf, this);
    ::SetPropW(list_, kSelf, this);
    editProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc)));
    listProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListProc)));
}

void VendorComboWindow::SetFont(HFONT font) {
    font_ = font;
    ::SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageW(list_, LB_SETITEMHEIGHT, 0, RowHeight());
}

int VendorComboWindow::RowHeight() const {
    int height = 16;
    if (HDC dc = ::GetDC(Handle())) {
        TEXTMETRICW metrics{};
        {
            const SelectObjectScope selected(dc, font_);
            ::GetTextMetricsW(dc, &metrics);
        }
        ::ReleaseDC(Handle(), dc);
        height = metrics.tmHeight + 2;
    }
    return height;
}

void VendorComboWindow::Move(int x, int y, int width, int height) {
    ::MoveWindow(Handle(), x, y, width, height, TRUE);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const int buttonWidth = ::GetSystemMetrics(SM_CXVSCROLL);
    const int textHeight = RowHeight();
    ::MoveWindow(edit_, 2, std::max(0, static_cast<int>(client.bottom - textHeight) / 2),
                 client.right - buttonWidth - 2, textHeight, TRUE);
    ::MoveWindow(button_, client.right - buttonWidth, 0, buttonWidth, client.bottom, TRUE);
}

void VendorComboWindow::SetText(const std::string& text) {
    settingText_ = true;
    const std::wstring wide = vexav6::win32::Widen(text);
    ::SetWindowTextW(edit_, wide.c_str());
    // The start of the text in view (the prefix and the name; a long address is cut at the
    // right). With the focus here the whole text is selected, the caret at its start, so that
    // typing replaces it.
    const WPARAM anchor = ::GetFocus() == edit_ ? wide.size() : 0;
    ::SendMessageW(edit_, EM_SETSEL, anchor, 0);
    ::SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
    settingText_ = false;
}

std::string VendorComboWindow::Text() const {
    return GetText(edit_);
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
    return ::IsWindowVisible(popup_.Handle()) != FALSE;
}

int VendorComboWindow::Highlighted() const {
    return static_cast<int>(::SendMessageW(list_, LB_GETCURSEL, 0, 0));
}

void VendorComboWindow::Drop(bool dropped) {
    if (!dropped) {
        ::ShowWindow(popup_.Handle(), SW_HIDE);
        ::InvalidateRect(button_, nullptr, TRUE);
        return;
    }
    RECT box{};
    ::GetWindowRect(Handle(), &box);
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
    ::SetWindowPos(popup_.Handle(), HWND_TOP, box.left, top, box.right - box.left, height,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    RECT client{};
    ::GetClientRect(popup_.Handle(), &client);
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
    const SelectObjectScope font(item.hDC, font_);
    const std::wstring text =
        rowText ? vexav6::win32::Widen(rowText(static_cast<size_t>(item.itemID))) : L"";
    RECT area = item.rcItem;
    area.left += 3;
    ::DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &area,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void VendorComboWindow::DrawButton(const DRAWITEMSTRUCT& item) {
    RECT area = item.rcItem;
    UINT state = DFCS_SCROLLCOMBOBOX;
    if ((item.itemState & ODS_SELECTED) != 0 || Dropped()) {
        state |= DFCS_PUSHED;
    }
    if (!::IsWindowEnabled(Handle())) {
        state |= DFCS_INACTIVE;
    }
    ::DrawFrameControl(item.hDC, &area, DFC_SCROLL, state);
}

LRESULT VendorComboWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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
        case WM_DRAWITEM:
            if (reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->CtlID == kButtonId) {
                DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            }
            return TRUE;
        case WM_ERASEBKGND: {
            RECT client{};
            ::GetClientRect(Handle(), &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_WINDOW));
            return 1;
        }
        case WM_SETFOCUS:
            ::SetFocus(edit_);
            return 0;
        case WM_ENABLE:
            ::EnableWindow(edit_, static_cast<BOOL>(wParam));
            ::EnableWindow(button_, static_cast<BOOL>(wParam));
            return 0;
        default:
            return Default(message, wParam, lParam);
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
        try {
            self->Report(CurrentExceptionAsError());
        } catch (...) {
            // Nothing may leave a window procedure.
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
        try {
            self->Report(CurrentExceptionAsError());
        } catch (...) {
            // Nothing may leave a window procedure.
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
