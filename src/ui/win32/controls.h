#pragma once

#include <string>
#include <string_view>

#include "platform/win32/windows_include.h"

// Making and reading the standard controls, with UTF-8 text.
namespace vexav6::ui::win32 {

// A child control (BUTTON, EDIT, STATIC, SysListView32 ...) with the font given; WS_CHILD and
// WS_VISIBLE are added to the style.
HWND CreateControl(HWND parent, const wchar_t* className, std::string_view text, DWORD style,
                   DWORD exStyle, int id, HFONT font);

void SetText(HWND window, std::string_view text);
std::string GetText(HWND window);

// Sets the text only when it differs, so a periodic update does not make the control flicker.
void UpdateText(HWND window, std::string_view text);

// The look of Explorer's lists (SetWindowTheme "Explorer" where themes exist).
void UseExplorerTheme(HWND control);

// The report-view list (SysListView32).
namespace listview {
// Gives a new list its extended styles (LVS_EX_...) with double buffering, and Explorer's look.
void Prepare(HWND list, DWORD extendedStyle);
// `format`: LVCFMT_LEFT (0), LVCFMT_RIGHT ...
void AddColumn(HWND list, int index, std::string_view caption, int width, int format = 0);
int InsertItem(HWND list, int index, std::string_view text);
void SetItemText(HWND list, int item, int subItem, std::string_view text);
std::string GetItemText(HWND list, int item, int subItem);
int Count(HWND list);
void SetChecked(HWND list, int item, bool checked);
bool IsChecked(HWND list, int item);
// The selected (first selected) item, or -1.
int Selected(HWND list);
// Selects and focuses the item and scrolls it into view; -1 clears the selection.
void Select(HWND list, int item);
}  // namespace listview

}  // namespace vexav6::ui::win32
