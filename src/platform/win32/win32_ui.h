#pragma once

// The gate first: it undoes the macro of <windows.h> that shares its name with UiApi::MessageBox.
#include "platform/win32/windows_include.h"

#include "platform/ui_api.h"

namespace vexav6::win32 {

// Message boxes of the system (MessageBoxW), owned by the thread's active window, and a pump of
// the thread's pending messages for long tasks on the user-interface thread.
class Win32Ui : public platform::UiApi {
  public:
    platform::MessageBoxResult MessageBox(std::string_view text, std::string_view title,
                                          platform::MessageBoxButtons buttons,
                                          platform::MessageBoxIcon icon) override;
    // Runs every message waiting for this thread (timers, hand-overs, repaints) and returns. A
    // quit request is left for the main message loop.
    void DoEvents() override;
};

}  // namespace vexav6::win32
