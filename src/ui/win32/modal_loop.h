#pragma once

#include "platform/win32/windows_include.h"

namespace vexav6::ui::win32 {

// Runs a window modally over its owner: the owner is disabled (its tray clicks and menus wait),
// messages go through the dialog manager for Tab, Enter and Escape, and the loop ends when the
// window is destroyed. A quit request met on the way is put back for the main loop.
inline void RunModalLoop(HWND window, HWND owner) {
    const bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner) != FALSE;
    if (ownerWasEnabled) {
        ::EnableWindow(owner, FALSE);
    }
    MSG message{};
    while (::IsWindow(window)) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) {
            break;
        }
        if (!::IsDialogMessageW(window, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    if (ownerWasEnabled) {
        ::EnableWindow(owner, TRUE);
        ::SetActiveWindow(owner);
    }
}

}  // namespace vexav6::ui::win32
