#pragma once

#include <string>
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
    // The same for the console's standard error (or where it is redirected): notes and error
    // texts that must not mix with the output scripts read.
    virtual bool WriteConsoleError(std::string_view /*text*/) { return false; }
    // Whether console text reaches a terminal that a person reads, rather than a file or a pipe.
    virtual bool ConsoleIsTerminal() { return false; }

    // A message of the command-line mode: its success message, or its error report (the icon
    // Critical). A box unless `silent`; where the program has a console (it was started from one,
    // or its output is redirected) the title and text also go there: an error to standard error,
    // in silent mode too, anything else to standard output unless silent. Scripts see what
    // happened, and an error is never lost.
    virtual void ShowCommandLineMessage(std::string_view text, std::string_view title,
                                        MessageBoxIcon icon, bool silent);
};

}  // namespace vexav6::platform
