#pragma once

#include <string_view>

namespace vexav6::platform {

enum class MessageBoxIcon { None, Critical, Question, Exclamation, Information };
enum class MessageBoxButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MessageBoxResult {
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7
};

// What the core needs of the user interface outside its windows: message boxes, and a chance to
// let pending user-interface work (timers, finished requests, repaints) run during a long task.
class UiApi {
  public:
    virtual ~UiApi() = default;

    virtual MessageBoxResult MessageBox(std::string_view text, std::string_view title,
                                        MessageBoxButtons buttons, MessageBoxIcon icon) = 0;
    virtual void DoEvents() = 0;

    // Writes text (UTF-8, CR LF line breaks) to the console the program was started from, for
    // command-line output meant for scripts (the adapter list, the text report). False when there
    // is no console to write to; the caller then shows the text another way.
    virtual bool WriteConsoleText(std::string_view /*text*/) { return false; }
};

}  // namespace vexav6::platform
