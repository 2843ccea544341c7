#include "platform/win32/win32_ui.h"

#include <algorithm>
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

UINT DefaultButtonFlags(platform::MessageBoxDefaultButton defaultButton) {
    switch (defaultButton) {
        case platform::MessageBoxDefaultButton::First:
            return MB_DEFBUTTON1;
        case platform::MessageBoxDefaultButton::Second:
            return MB_DEFBUTTON2;
        case platform::MessageBoxDefaultButton::Third:
            return MB_DEFBUTTON3;
    }
    return MB_DEFBUTTON1;
}

}  // namespace

MessageBoxResult Win32Ui::MessageBox(std::string_view text, std::string_view title,
                                     MessageBoxButtons buttons, MessageBoxIcon icon) {
    return MessageBoxWithDefault(text, title, buttons, icon,
                                 platform::MessageBoxDefaultButton::First);
}

MessageBoxResult Win32Ui::MessageBoxWithDefault(std::string_view text, std::string_view title,
                                                MessageBoxButtons buttons, MessageBoxIcon icon,
                                                platform::MessageBoxDefaultButton defaultButton) {
    const std::wstring wideText = Widen(text);
    const std::wstring wideTitle = Widen(title);
    const HWND owner = ::GetActiveWindow();
    // Without an owner the box still blocks every window of this thread, as one over the main
    // window would.
    const UINT flags = ButtonFlags(buttons) | IconFlags(icon) | DefaultButtonFlags(defaultButton) |
                       (owner ? 0 : MB_TASKMODAL);
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

namespace {

bool WriteWide(HANDLE console, const std::wstring& text) {
    size_t done = 0;
    while (done < text.size()) {
        // Console writes are limited in size on older systems: a few thousand characters a call.
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 8192));
        DWORD written = 0;
        if (!::WriteConsoleW(console, text.data() + done, chunk, &written, nullptr) ||
            written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

bool WriteBytes(HANDLE file, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

}  // namespace

bool Win32Ui::WriteStandard(DWORD which, std::string_view text) {
    const HANDLE standard = ::GetStdHandle(which);
    if (standard != nullptr && standard != INVALID_HANDLE_VALUE) {
        DWORD mode = 0;
        if (::GetConsoleMode(standard, &mode)) {
            return WriteWide(standard, Widen(text));
        }
        return WriteBytes(standard, text);
    }
    const HANDLE console = ParentConsole();
    return console != nullptr && WriteWide(console, Widen(text));
}

HANDLE Win32Ui::ParentConsole() {
    if (!attachTried_) {
        attachTried_ = true;
        if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
            console_.Reset(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         0, nullptr));
        }
    }
    return console_.Valid() ? console_.Get() : nullptr;
}

bool Win32Ui::WriteConsoleText(std::string_view text) {
    return WriteStandard(STD_OUTPUT_HANDLE, text);
}

bool Win32Ui::WriteConsoleError(std::string_view text) {
    return WriteStandard(STD_ERROR_HANDLE, text);
}

bool Win32Ui::ConsoleIsTerminal() {
    const HANDLE standardOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (standardOutput != nullptr && standardOutput != INVALID_HANDLE_VALUE) {
        DWORD mode = 0;
        return ::GetConsoleMode(standardOutput, &mode) != FALSE;
    }
    return ParentConsole() != nullptr;
}

}  // namespace vexav6::win32
