#include "app/console_ui.h"

#include <ostream>
#include <string>

#include "base/text.h"

namespace vexav6::app {

using platform::MessageBoxButtons;
using platform::MessageBoxResult;

MessageBoxResult ConsoleUi::MessageBox(std::string_view text, std::string_view title,
                                       MessageBoxButtons buttons, platform::MessageBoxIcon icon) {
    std::ostream& stream = icon == platform::MessageBoxIcon::Critical ? err_ : out_;
    // The texts carry CR LF line breaks for the Windows boxes; a terminal wants LF.
    stream << title << "\n" << text::ReplaceAll(text, "\r\n", "\n") << "\n" << std::flush;
    switch (buttons) {
        case MessageBoxButtons::Ok:
        case MessageBoxButtons::OkCancel:
            return MessageBoxResult::Ok;
        case MessageBoxButtons::AbortRetryIgnore:
            return MessageBoxResult::Abort;
        case MessageBoxButtons::YesNoCancel:
        case MessageBoxButtons::YesNo:
            return MessageBoxResult::Yes;
        case MessageBoxButtons::RetryCancel:
            return MessageBoxResult::Retry;
    }
    return MessageBoxResult::Ok;
}

void ConsoleUi::DoEvents() {
    if (workQueue_ != nullptr) {
        workQueue_->RunPending();
    }
}

bool ConsoleUi::WriteConsoleText(std::string_view text) {
    out_ << text::ReplaceAll(text, "\r\n", "\n") << std::flush;
    return static_cast<bool>(out_);
}

bool ConsoleUi::WriteConsoleError(std::string_view text) {
    err_ << text::ReplaceAll(text, "\r\n", "\n") << std::flush;
    return static_cast<bool>(err_);
}

void ConsoleUi::ShowCommandLineMessage(std::string_view text, std::string_view title,
                                       platform::MessageBoxIcon icon, bool silent) {
    if (icon == platform::MessageBoxIcon::Critical || !silent) {
        MessageBox(text, title, platform::MessageBoxButtons::Ok, icon);
    }
}

}  // namespace vexav6::app
