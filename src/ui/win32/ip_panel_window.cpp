#include "ui/win32/ip_panel_window.h"

#include <commctrl.h>

#include <cstring>

#include "base/error.h"
#include "platform/win32/wide_text.h"
#include "ui/win32/controls.h"
#include "ui/win32/ip_dialog_window.h"

namespace vexav6::ui::win32 {

namespace {

constexpr const wchar_t* kPanelProperty = L"Vexav6.IPPanelWindow";
// Sizes in units.
constexpr int kInset = 10;
constexpr int kCaptionHeight = 22;
constexpr int kListGap = 8;
constexpr int kNumberColumn = 50;
constexpr int kMaskColumn = 100;
// The share of the width of the address and gateway lists, in percent; DNS takes the rest.
constexpr int kAddressShare = 46;
constexpr int kGatewayShare = 30;

int ListIndex(IPList list) {
    return static_cast<int>(list);
}

}  // namespace

IPPanelWindow::~IPPanelWindow() {
    // The lists go with the panel's window; from here on they are plain lists.
    for (HWND& list : lists_) {
        if (list != nullptr) {
            ::RemovePropW(list, kPanelProperty);
            ::SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc_));
            list = nullptr;
        }
    }
}

void IPPanelWindow::CreateControls() {
    group_ = Add(L"BUTTON", "", BS_GROUPBOX);
    for (IPList list : kIPLists) {
        const HWND control = Add(WC_LISTVIEWW, "", LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP,
                                 kFirstListId + ListIndex(list), WS_EX_CLIENTEDGE);
        listview::Prepare(control, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
        ::SetPropW(control, kPanelProperty, this);
        listProc_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
            control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&IPPanelWindow::ListProc)));
        lists_[static_cast<size_t>(ListIndex(list))] = control;
    }
}

void IPPanelWindow::Bind(IPPanel& presenter) {
    presenter_ = &presenter;
    const Scaler px(Handle());
    for (IPList list : kIPLists) {
        const HWND control = List(list);
        while (::SendMessageW(control, LVM_DELETECOLUMN, 0, 0) != FALSE) {
        }
        const std::vector<std::string> titles = presenter.ColumnTitles(list);
        for (size_t i = 0; i < titles.size(); ++i) {
            listview::AddColumn(control, static_cast<int>(i), titles[i], px(120),
                                i == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT);
        }
    }
    SizeFixedColumns(px);
    presenter.AttachView(this);
    presenter.SetDialogHost(this);
    Relayout();
}

void IPPanelWindow::Unbind() {
    if (presenter_ != nullptr) {
        presenter_->AttachView(nullptr);
        presenter_->SetDialogHost(nullptr);
        presenter_ = nullptr;
    }
}

void IPPanelWindow::LayoutControls(Box client, const Scaler& px) {
    {
        MoveBatch batch(4);
        batch.Move(group_, client);
        Box inside = client.Inset(px(kInset), 0);
        inside.TakeTop(px(kCaptionHeight));
        inside.TakeBottom(px(kInset));
        const int width = inside.Width();
        batch.Move(List(IPList::Address),
                   inside.TakeLeft(width * kAddressShare / 100, px(kListGap)));
        batch.Move(List(IPList::Gateway),
                   inside.TakeLeft(width * kGatewayShare / 100, px(kListGap)));
        batch.Move(List(IPList::DNS), inside);
    }
    // The columns follow the lists' new sizes, which the batch has applied by now.
    for (IPList list : kIPLists) {
        SizeColumns(list);
    }
}

void IPPanelWindow::ApplyFonts(const UiFonts& fonts) {
    SizeFixedColumns(Scaler(fonts.Dpi()));
    Panel::ApplyFonts(fonts);
}

// The columns after the first have fixed widths in units.
void IPPanelWindow::SizeFixedColumns(const Scaler& px) {
    if (presenter_ == nullptr) {
        return;
    }
    for (IPList list : kIPLists) {
        const std::vector<std::string> titles = presenter_->ColumnTitles(list);
        for (size_t i = 1; i < titles.size(); ++i) {
            ::SendMessageW(List(list), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i),
                           px(titles[i] == "Subnet Mask" ? kMaskColumn : kNumberColumn));
        }
    }
}

// The first column takes what the others leave.
void IPPanelWindow::SizeColumns(IPList list) {
    const HWND control = List(list);
    RECT client{};
    ::GetClientRect(control, &client);
    int others = 0;
    const auto header = reinterpret_cast<HWND>(::SendMessageW(control, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 1; i < columns; ++i) {
        others += static_cast<int>(::SendMessageW(control, LVM_GETCOLUMNWIDTH, i, 0));
    }
    const int first = std::max(Scaler(Handle())(60), static_cast<int>(client.right) - others);
    ::SendMessageW(control, LVM_SETCOLUMNWIDTH, 0, first);
}

std::optional<IPList> IPPanelWindow::ListOf(HWND window) const {
    for (IPList list : kIPLists) {
        if (List(list) == window) {
            return list;
        }
    }
    return std::nullopt;
}

ScopedMenu IPPanelWindow::ContextMenu(IPList list) const {
    ScopedMenu menu(::CreatePopupMenu());
    if (presenter_ == nullptr) {
        return menu;
    }
    for (const IPMenuItem& item : presenter_->PrepareMenu(list)) {
        const UINT id =
            kFirstMenuId + ListIndex(list) * kMenuStride + static_cast<int>(item.command);
        ::AppendMenuW(menu.Get(), MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED), id,
                      vexav6::win32::Widen(item.caption).c_str());
    }
    return menu;
}

void IPPanelWindow::ShowContextMenu(IPList list, LPARAM at) {
    ScopedMenu menu = ContextMenu(list);
    if (::GetMenuItemCount(menu.Get()) <= 0) {
        return;
    }
    POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (at == -1) {
        // The context-menu key: below the focused row, or at the list's corner.
        const HWND control = List(list);
        RECT place{LVIR_BOUNDS, 0, 0, 0};
        const int focused = static_cast<int>(
            ::SendMessageW(control, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        if (focused < 0 || ::SendMessageW(control, LVM_GETITEMRECT, static_cast<WPARAM>(focused),
                                          reinterpret_cast<LPARAM>(&place)) == FALSE) {
            place = RECT{0, 0, 0, 0};
        }
        point = POINT{place.left + Scaler(Handle())(16), place.bottom};
        ::ClientToScreen(control, &point);
    }
    const UINT command = static_cast<UINT>(
        ::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, point.x,
                         point.y, 0, Handle(), nullptr));
    if (command != 0) {
        OnCommand(static_cast<int>(command), 0, nullptr);
    }
}

void IPPanelWindow::OnCommand(int id, int /*code*/, HWND /*control*/) {
    const int offset = id - kFirstMenuId;
    if (presenter_ == nullptr || offset < 0 || offset >= 3 * kMenuStride) {
        return;
    }
    presenter_->Execute(static_cast<IPList>(offset / kMenuStride),
                        static_cast<IPCommand>(offset % kMenuStride));
}

LRESULT IPPanelWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CONTEXTMENU) {
        if (const auto list = ListOf(reinterpret_cast<HWND>(wParam))) {
            ShowContextMenu(*list, lParam);
            return 0;
        }
    }
    return Panel::HandleMessage(message, wParam, lParam);
}

LRESULT IPPanelWindow::OnListMessage(IPList list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (presenter_ != nullptr) {
        const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
        const bool shift = ::GetKeyState(VK_SHIFT) < 0;
        const int key = static_cast<int>(wParam);
        if (message == WM_KEYDOWN &&
            (key == VK_DELETE || (ctrl && (key == 'C' || key == VK_UP || key == VK_DOWN))) &&
            presenter_->KeyDown(list, key, ctrl, shift)) {
            return 0;
        }
        // Digits come as characters, so that every keyboard layout types them its own way.
        if (message == WM_CHAR && key >= '0' && key <= '9' &&
            presenter_->KeyDown(list, key, false, false)) {
            return 0;
        }
    }
    return ::CallWindowProcW(listProc_, List(list), message, wParam, lParam);
}

LRESULT CALLBACK IPPanelWindow::ListProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept {
    auto* self = static_cast<IPPanelWindow*>(::GetPropW(window, kPanelProperty));
    const auto list = self != nullptr ? self->ListOf(window) : std::nullopt;
    if (!list) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::RemovePropW(window, kPanelProperty);
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->listProc_));
        self->lists_[static_cast<size_t>(*list)] = nullptr;
        return ::CallWindowProcW(self->listProc_, window, message, wParam, lParam);
    }
    try {
        return self->OnListMessage(*list, message, wParam, lParam);
    } catch (...) {
        try {
            self->Report(CurrentExceptionAsError());
        } catch (...) {
        }
        return 0;
    }
}

// --- IPPanelView ---

void IPPanelWindow::SetCaption(const std::string& caption) {
    UpdateText(group_, caption);
}

void IPPanelWindow::SetRows(IPList list, const std::vector<IPRow>& rows) {
    const HWND control = List(list);
    ::SendMessageW(control, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(control, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < rows.size(); ++i) {
        const int item = listview::InsertItem(control, static_cast<int>(i), rows[i].front());
        for (size_t column = 1; column < rows[i].size(); ++column) {
            listview::SetItemText(control, item, static_cast<int>(column), rows[i][column]);
        }
    }
    ::SendMessageW(control, WM_SETREDRAW, TRUE, 0);
    // A vertical scroll bar may have come or gone.
    SizeColumns(list);
    ::InvalidateRect(control, nullptr, TRUE);
}

void IPPanelWindow::SetColumnHeader(IPList list, int column, const std::string& text) {
    std::wstring wide = vexav6::win32::Widen(text);
    LVCOLUMNW header{};
    header.mask = LVCF_TEXT;
    header.pszText = wide.data();
    ::SendMessageW(List(list), LVM_SETCOLUMNW, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&header));
}

void IPPanelWindow::SetListEnabled(IPList list, bool enabled) {
    const HWND control = List(list);
    const COLORREF background = ::GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE);
    ::SendMessageW(control, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(background));
    ::SendMessageW(control, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(background));
    ::EnableWindow(control, enabled ? TRUE : FALSE);
    ::InvalidateRect(control, nullptr, TRUE);
}

std::vector<int> IPPanelWindow::SelectedRows(IPList list) const {
    std::vector<int> rows;
    int item = -1;
    while ((item = static_cast<int>(::SendMessageW(
                List(list), LVM_GETNEXTITEM, static_cast<WPARAM>(item), LVNI_SELECTED))) >= 0) {
        rows.push_back(item);
    }
    return rows;
}

std::optional<int> IPPanelWindow::CurrentRow(IPList list) const {
    const int item = static_cast<int>(
        ::SendMessageW(List(list), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    return item >= 0 ? std::optional<int>(item) : std::nullopt;
}

void IPPanelWindow::SelectRows(IPList list, const std::vector<int>& rows,
                               std::optional<int> current) {
    const HWND control = List(list);
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(control, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&state));
    for (int row : rows) {
        state.state = LVIS_SELECTED | (current == row ? LVIS_FOCUSED : 0);
        ::SendMessageW(control, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&state));
    }
    if (current) {
        ::SendMessageW(control, LVM_ENSUREVISIBLE, static_cast<WPARAM>(*current), FALSE);
    }
}

void IPPanelWindow::CopyToClipboard(const std::string& text) {
    const std::wstring wide = vexav6::win32::Widen(text);
    if (!::OpenClipboard(Handle())) {
        const DWORD code = ::GetLastError();
        throw Error(
            static_cast<int32_t>(code), "IPPanel.Copy",
            "The clipboard could not be opened (system error " + std::to_string(code) + ").");
    }
    ::EmptyClipboard();
    const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool placed = false;
    if (memory != nullptr) {
        if (void* target = ::GlobalLock(memory)) {
            std::memcpy(target, wide.c_str(), bytes);
            ::GlobalUnlock(memory);
            placed = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        if (!placed) {
            ::GlobalFree(memory);
        }
    }
    ::CloseClipboard();
    if (!placed) {
        throw Error(errnum::kOutOfMemory, "IPPanel.Copy", "The text could not be copied.");
    }
}

// --- IPDialogHost ---

void IPPanelWindow::ShowDialog(IPDialog& dialog) {
    ShowIPDialog(::GetAncestor(Handle(), GA_ROOT), GetPlatform(), dialog);
}

}  // namespace vexav6::ui::win32
