#include "platform/win32/win32_ui.h"

#include <string>

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_include.h"

namespace vexav6::win32 {

using platform::MessageBoxButtons;
using platform::MessageBoxIcon;
using platform::MessageBoxResult;

namespace {

UINT ButtonFlags(MessageBoxButtons buttons) {
    switch (buttons) {
        case MessageBoxButtons::Ok:
            return MB_OK;
        case MessageBoxButtons::OkCancel:
            return MB_OKCANCEL;
        case MessageBoxButtons::AbortRetryIgnore:
            return MB_ABORTRETRYIGNORE;
        case MessageBoxButtons::YesNoCancel:
            return MB_YESNOCANCEL;
        case MessageBoxButtons::YesNo:
            return MB_YESNO;
        case MessageBoxButtons::RetryCancel:
            return MB_RETRYCANCEL;
    }
    return MB_OK;
}

UINT IconFlags(MessageBoxIcon icon) {
    switch (icon) {
        case MessageBoxIcon::None:
            return 0;
        case MessageBoxIcon::Critical:
            return MB_ICONHAND;
        case MessageBoxIcon::Question:
            return MB_ICONQUESTION;
        case MessageBoxIcon::Exclamation:
            return MB_ICONEXCLAMATION;
        case MessageBoxIcon::Information:
            return MB_ICONASTERISK;
    }
    return 0;
}

}  // namespace

MessageBoxResult Win32Ui::MessageBox(std::string_view text, std::string_view title,
                                     MessageBoxButtons buttons, MessageBoxIcon icon) {
    const std::wstring wideText = Widen(text);
    const std::wstring wideTitle = Widen(title);
    const HWND owner = ::GetActiveWindow();
    // Without an owner the box still blocks every window of this thread, as one over the main
    // window would.
    const UINT flags = ButtonFlags(buttons) | IconFlags(icon) | (owner ? 0 : MB_TASKMODAL);
    const int answer = ::MessageBoxW(owner, wideText.c_str(), wideTitle.c_str(), flags);
    switch (answer) {
        case IDOK:
            return MessageBoxResult::Ok;
        case IDABORT:
            return MessageBoxResult::Abort;
        case IDRETRY:
            return MessageBoxResult::Retry;
        case IDIGNORE:
            return MessageBoxResult::Ignore;
        case IDYES:
            return MessageBoxResult::Yes;
        case IDNO:
            return MessageBoxResult::No;
        default:
            return MessageBoxResult::Cancel;  // IDCANCEL, or no box could be shown
    }
}

void Win32Ui::DoEvents() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

}  // namespace vexav6::win32
