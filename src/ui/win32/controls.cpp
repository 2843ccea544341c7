#include "ui/win32/controls.h"

#include <commctrl.h>

#include <vector>

#include "platform/win32/wide_text.h"

namespace vexav6::ui::win32 {

using vexav6::win32::Narrow;
using vexav6::win32::Widen;

HWND CreateControl(HWND parent, const wchar_t* className, std::string_view text, DWORD style,
                   DWORD exStyle, int id, HFONT font) {
    const std::wstring wide = Widen(text);
    const HWND control = ::CreateWindowExW(
        exStyle, className, wide.c_str(), style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (control != nullptr && font != nullptr) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return control;
}

void SetText(HWND window, std::string_view text) {
    ::SetWindowTextW(window, Widen(text).c_str());
}

std::string GetText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, buffer.data(), length + 1);
    return Narrow(std::wstring_view(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0)));
}

void UpdateText(HWND window, std::string_view text) {
    if (GetText(window) != text) {
        SetText(window, text);
    }
}

void UseExplorerTheme(HWND control) {
    using SetThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static const auto setTheme = []() -> SetThemeFn {
        const HMODULE uxtheme = ::LoadLibraryW(L"uxtheme.dll");
        return uxtheme != nullptr ? reinterpret_cast<SetThemeFn>(reinterpret_cast<void*>(
                                        ::GetProcAddress(uxtheme, "SetWindowTheme")))
                                  : nullptr;
    }();
    if (setTheme != nullptr) {
        setTheme(control, L"Explorer", nullptr);
    }
}

namespace listview {

void Prepare(HWND list, DWORD extendedStyle) {
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extendedStyle | LVS_EX_DOUBLEBUFFER);
    UseExplorerTheme(list);
}

void AddColumn(HWND list, int index, std::string_view caption, int width, int format) {
    std::wstring text = Widen(caption);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = text.data();
    column.iSubItem = index;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&column));
}

int InsertItem(HWND list, int index, std::string_view text) {
    std::wstring wide = Widen(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = wide.data();
    return static_cast<int>(
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void SetItemText(HWND list, int item, int subItem, std::string_view text) {
    if (GetItemText(list, item, subItem) == text) {
        return;  // unchanged: no repaint
    }
    std::wstring wide = Widen(text);
    LVITEMW entry{};
    entry.iSubItem = subItem;
    entry.pszText = wide.data();
    ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(item),
                   reinterpret_cast<LPARAM>(&entry));
}

std::string GetItemText(HWND list, int item, int subItem) {
    // The list copies at most the buffer's size: grow it until the text fits.
    for (size_t size = 256;; size *= 2) {
        std::vector<wchar_t> buffer(size, L'\0');
        LVITEMW entry{};
        entry.iSubItem = subItem;
        entry.pszText = buffer.data();
        entry.cchTextMax = static_cast<int>(size);
        const auto copied = static_cast<size_t>(::SendMessageW(
            list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry)));
        if (copied + 1 < size || size >= 65536) {
            return Narrow(std::wstring_view(buffer.data(), copied));
        }
    }
}

int Count(HWND list) {
    return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

void SetChecked(HWND list, int item, bool checked) {
    LVITEMW entry{};
    entry.stateMask = LVIS_STATEIMAGEMASK;
    entry.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item),
                   reinterpret_cast<LPARAM>(&entry));
}

bool IsChecked(HWND list, int item) {
    const auto state = static_cast<UINT>(
        ::SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK));
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

int Selected(HWND list) {
    return static_cast<int>(
        ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void Select(HWND list, int item) {
    LVITEMW clear{};
    clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    clear.state = 0;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&clear));
    if (item < 0) {
        return;
    }
    LVITEMW select{};
    select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    select.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item),
                   reinterpret_cast<LPARAM>(&select));
    ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
}

}  // namespace listview

}  // namespace vexav6::ui::win32
