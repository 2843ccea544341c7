#pragma once

#include <memory>

#include "platform/platform.h"
#include "startup/application.h"
#include "ui/win32/frm_main_window.h"

namespace vexav6::ui::win32 {

// The window mode of the Windows program: makes and loads the main window, runs the message
// loop until it is closed, and is what the command-line front end reaches of the windows (the
// main window once it exists; before that, in command-line mode, the help window alone).
class WindowMode : public Application::WindowModeHost, public CommandLine::WindowAccess {
  public:
    explicit WindowMode(const Platform& platform);
    ~WindowMode() override;
    WindowMode(const WindowMode&) = delete;
    WindowMode& operator=(const WindowMode&) = delete;

    // --- Application::WindowModeHost ---
    bool LoadMainWindow() override;
    int RunMessageLoop() override;
    CommandLine::WindowAccess* Windows() override { return this; }

    // --- CommandLine::WindowAccess ---
    bool HasMainWindow() override;
    void ShowMainWindow() override;
    void OpenPresetFile(const std::string& path) override;
    // With the main window: a help window beside it. Without (command-line mode): the text also
    // goes to the console the program was started from, and the call returns when the help
    // window is closed.
    void ShowHelp(const std::string& caption, const std::string& text) override;

    frmMainWindow* MainWindow() { return main_.get(); }
    // Handles one message of the loop as RunMessageLoop does (keys, dialog keys, dispatch).
    void Dispatch(MSG& message);

  private:
    Platform platform_;
    std::unique_ptr<frmMainWindow> main_;
    bool mainWindowOpen_ = false;
};

// Loads the common controls the windows use (list view, tab control, progress bar).
void InitCommonControls();

}  // namespace vexav6::ui::win32
