#pragma once

#include <cstdint>
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

// Which button of a message box Enter presses: the first, second or third from the left.
enum class MessageBoxDefaultButton { First, Second, Third };

// Flags of the open and save file dialogs (the values of the system's OFN_ flags).
namespace filedialog {
inline constexpr uint32_t kOverwritePrompt = 0x00000002;
inline constexpr uint32_t kHideReadOnly = 0x00000004;
inline constexpr uint32_t kPathMustExist = 0x00000800;
inline constexpr uint32_t kFileMustExist = 0x00001000;
inline constexpr uint32_t kExplorer = 0x00080000;
}  // namespace filedialog

// What an open or save file dialog shows. `filter` holds description and pattern pairs separated
// by "|" ("Text File (*.txt)|*.txt"); the first pair is preselected. `defaultExtension` (without
// the dot) is added to a typed name that has none.
struct FileDialogRequest {
    std::string title;
    std::string filter;
    std::string initialFolder;
    std::string defaultExtension;
    uint32_t flags = 0;
};

// What the user did with a file dialog: chose `filePath`, or cancelled it. `extendedError` is the
// dialog's own failure code (CommDlgExtendedError) when it closed without a file because it
// failed, for instance 12290 for an invalid file name; 0 for a plain cancel.
struct FileDialogAnswer {
    bool chosen = false;
    std::string filePath;
    uint32_t extendedError = 0;
};

// What the core needs of the user interface outside its windows: message boxes, and a chance to
// let pending user-interface work (timers, finished requests, repaints) run during a long task.
class UiApi {
  public:
    virtual ~UiApi() = default;

    virtual MessageBoxResult MessageBox(std::string_view text, std::string_view title,
                                        MessageBoxButtons buttons, MessageBoxIcon icon) = 0;
    // A box whose Enter key presses another button than the first (a warning where the safe
    // answer must be the default). A front end without buttons answers as MessageBox does.
    virtual MessageBoxResult MessageBoxWithDefault(std::string_view text, std::string_view title,
                                                   MessageBoxButtons buttons, MessageBoxIcon icon,
                                                   MessageBoxDefaultButton /*defaultButton*/) {
        return MessageBox(text, title, buttons, icon);
    }
    virtual void DoEvents() = 0;

    // The open and save file dialogs, owned by the thread's active window. A front end without
    // windows has none: its answer is a cancel.
    virtual FileDialogAnswer ShowOpenDialog(const FileDialogRequest& /*request*/) { return {}; }
    virtual FileDialogAnswer ShowSaveDialog(const FileDialogRequest& /*request*/) { return {}; }

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
