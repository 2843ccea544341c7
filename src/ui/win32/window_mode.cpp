#include "ui/win32/window_mode.h"

#include <commctrl.h>

#include "ui/win32/frm_cli_help_window.h"

namespace vexav6::ui::win32 {

void InitCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                     ICC_STANDARD_CLASSES | ICC_BAR_CLASSES;
    ::InitCommonControlsEx(&controls);
}

WindowMode::WindowMode(const Platform& platform) : platform_(platform) {
    InitCommonControls();
}

WindowMode::~WindowMode() = default;

bool WindowMode::LoadMainWindow() {
    main_ = std::make_unique<frmMainWindow>(platform_);
    main_->onClosed = [this] {
        mainWindowOpen_ = false;
        ::PostQuitMessage(Application::exitcode::kSuccess);
    };
    main_->Create();
    mainWindowOpen_ = true;
    if (!main_->Load()) {
        main_.reset();
        return false;
    }
    return true;
}

void WindowMode::Dispatch(MSG& message) {
    if (main_ && mainWindowOpen_ && main_->PreTranslateMessage(message)) {
        return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

int WindowMode::RunMessageLoop() {
    MSG message{};
    for (;;) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            break;
        }
        if (got == -1) {
            return Application::exitcode::kFailure;
        }
        Dispatch(message);
    }
    // The window is gone; its presenter saved the state (Dispose) before it went.
    main_.reset();
    return static_cast<int>(message.wParam);
}

bool WindowMode::HasMainWindow() {
    return main_ && mainWindowOpen_;
}

void WindowMode::ShowMainWindow() {
    if (HasMainWindow()) {
        main_->Presenter().ShowMainWindow();
    }
}

void WindowMode::OpenPresetFile(const std::string& path) {
    if (HasMainWindow()) {
        main_->Presenter().OpenPresetFile(path);
    }
}

void WindowMode::ShowHelp(const std::string& caption, const std::string& text) {
    if (HasMainWindow()) {
        main_->Presenter().ShowHelp(caption, text);
        return;
    }
    std::string printed = text;
    if (!printed.ends_with("\r\n")) {
        printed += "\r\n";
    }
    platform_.ui.WriteConsoleText(printed);
    frmCLIHelpWindow help(platform_);
    help.Create(nullptr, caption, text);
    help.RunModal(nullptr);
}

}  // namespace vexav6::ui::win32
