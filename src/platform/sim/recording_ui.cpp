#include "platform/sim/recording_ui.h"

namespace vexav6::sim {

using platform::MessageBoxButtons;
using platform::MessageBoxResult;

using platform::MessageBoxDefaultButton;

namespace {

// The buttons of a box from the left.
std::vector<MessageBoxResult> ButtonsOf(MessageBoxButtons buttons) {
    switch (buttons) {
        case MessageBoxButtons::Ok:
            return {MessageBoxResult::Ok};
        case MessageBoxButtons::OkCancel:
            return {MessageBoxResult::Ok, MessageBoxResult::Cancel};
        case MessageBoxButtons::AbortRetryIgnore:
            return {MessageBoxResult::Abort, MessageBoxResult::Retry, MessageBoxResult::Ignore};
        case MessageBoxButtons::YesNoCancel:
            return {MessageBoxResult::Yes, MessageBoxResult::No, MessageBoxResult::Cancel};
        case MessageBoxButtons::YesNo:
            return {MessageBoxResult::Yes, MessageBoxResult::No};
        case MessageBoxButtons::RetryCancel:
            return {MessageBoxResult::Retry, MessageBoxResult::Cancel};
    }
    return {MessageBoxResult::Ok};
}

}  // namespace

MessageBoxResult RecordingUi::MessageBox(std::string_view text, std::string_view title,
                                         MessageBoxButtons buttons, platform::MessageBoxIcon icon) {
    return MessageBoxWithDefault(text, title, buttons, icon, MessageBoxDefaultButton::First);
}

MessageBoxResult RecordingUi::MessageBoxWithDefault(std::string_view text, std::string_view title,
                                                    MessageBoxButtons buttons,
                                                    platform::MessageBoxIcon icon,
                                                    MessageBoxDefaultButton defaultButton) {
    boxes_.push_back(Box{std::string(text), std::string(title), buttons, icon, defaultButton});
    if (!answers_.empty()) {
        const MessageBoxResult answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    // Enter presses the default button; one beyond the box's buttons falls back to the first, as
    // the system's boxes do.
    const std::vector<MessageBoxResult> choices = ButtonsOf(buttons);
    const auto index = static_cast<size_t>(defaultButton);
    return index < choices.size() ? choices[index] : choices.front();
}

platform::FileDialogAnswer RecordingUi::ShowOpenDialog(const platform::FileDialogRequest& request) {
    return AnswerFileDialog(false, request);
}

platform::FileDialogAnswer RecordingUi::ShowSaveDialog(const platform::FileDialogRequest& request) {
    return AnswerFileDialog(true, request);
}

platform::FileDialogAnswer RecordingUi::AnswerFileDialog(
    bool save, const platform::FileDialogRequest& request) {
    fileDialogs_.push_back(FileDialog{save, request});
    if (fileAnswers_.empty()) {
        return {};
    }
    platform::FileDialogAnswer answer = std::move(fileAnswers_.front());
    fileAnswers_.pop_front();
    return answer;
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
