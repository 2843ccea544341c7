#pragma once

#include "platform/win32/windows_include.h"

#include "platform/platform.h"

// Small helpers shared by the windows of the MAC change panel, the tray and the small dialogs.
namespace vexav6::ui::win32 {

// Registers a window class of this module once; true when it is (or already was) registered.
// `background` is a system colour index (COLOR_BTNFACE ...), or -1 for none.
bool RegisterClassOnce(const wchar_t* name, WNDPROC procedure, int background = COLOR_BTNFACE,
                       const wchar_t* cursor = IDC_ARROW, UINT style = 0);

// The object a window's GWLP_USERDATA points at, or null.
template <class T>
T* SelfOf(HWND window) {
    return reinterpret_cast<T*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Shows the exception being handled with the program's error report. Call it inside a catch
// block at the top of a window procedure: nothing escapes it.
void ReportCaught(const Platform& platform) noexcept;

// `value` at 96 dots per inch, scaled to the DPI of the window's screen.
int ScaleForWindow(HWND window, int value);

// The system's message font (created once, kept for the run).
HFONT MessageFont();

}  // namespace vexav6::ui::win32
