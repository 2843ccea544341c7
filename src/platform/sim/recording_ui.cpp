#include "platform/sim/recording_ui.h"

namespace vexav6::sim {

using platform::MessageBoxButtons;
using platform::MessageBoxResult;

MessageBoxResult RecordingUi::MessageBox(std::string_view text, std::string_view title,
                                         MessageBoxButtons buttons, platform::MessageBoxIcon icon) {
    boxes_.push_back(Box{std::string(text), std::string(title), buttons, icon});
    if (!answers_.empty()) {
        const MessageBoxResult answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
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

void RecordingUi::DoEvents() {
    ++doEventsCount_;
    if (onDoEvents) {
        onDoEvents();
    }
}

bool RecordingUi::WriteConsoleText(std::string_view text) {
    if (!consoleAvailable) {
        return false;
    }
    consoleText_ += text;
    return true;
}

bool RecordingUi::WriteConsoleError(std::string_view text) {
    if (!consoleAvailable) {
        return false;
    }
    consoleErrorText_ += text;
    return true;
}

}  // namespace vexav6::sim
