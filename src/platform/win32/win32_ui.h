#pragma once

// The gate first: it undoes the macro of <windows.h> that shares its name with UiApi::MessageBox.
#include "platform/win32/windows_include.h"

#include "platform/ui_api.h"
#include "platform/win32/scoped_handle.h"

namespace vexav6::win32 {

// Message boxes of the system (MessageBoxW) and its open and save file dialogs, owned by the
// thread's active window, and a pump of the thread's pending messages for long tasks on the
// user-interface thread.
class Win32Ui : public platform::UiApi {
  public:
    platform::MessageBoxResult MessageBox(std::string_view text, std::string_view title,
                                          platform::MessageBoxButtons buttons,
                                          platform::MessageBoxIcon icon) override;
    platform::MessageBoxResult MessageBoxWithDefault(
        std::string_view text, std::string_view title, platform::MessageBoxButtons buttons,
        platform::MessageBoxIcon icon, platform::MessageBoxDefaultButton defaultButton) override;
    // GetOpenFileNameW / GetSaveFileNameW (win32_file_dialogs.cpp).
    platform::FileDialogAnswer ShowOpenDialog(const platform::FileDialogRequest& request) override;
    platform::FileDialogAnswer ShowSaveDialog(const platform::FileDialogRequest& request) override;
    // Runs every message waiting for this thread (timers, hand-overs, repaints) and returns. A
    // quit request is left for the main message loop.
    void DoEvents() override;
    // The program is a window program, started without a console of its own. Its standard output
    // when that is redirected (a file or a pipe: the text goes there in UTF-8); otherwise the
    // console of the process that started it, attached on first use (the text goes there as
    // UTF-16, so every character shows). False when there is neither.
    bool WriteConsoleText(std::string_view text) override;
    // The same with standard error.
    bool WriteConsoleError(std::string_view text) override;
    // Standard output is a console, or there is none and the parent's console is attached.
    bool ConsoleIsTerminal() override;

  private:
    // The standard handle (STD_OUTPUT_HANDLE, STD_ERROR_HANDLE) when the program has one, else
    // the parent's console.
    bool WriteStandard(DWORD which, std::string_view text);
    // CONOUT$ of the console of the process that started this one, attached on first use; null
    // when there is none.
    HANDLE ParentConsole();

    // CONOUT$ of the attached parent console, opened once.
    ScopedFileHandle console_;
    bool attachTried_ = false;
};

}  // namespace vexav6::win32
