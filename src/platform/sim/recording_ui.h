#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui_api.h"

namespace vexav6::sim {

// A user interface that records every message box and file dialog and answers from a script, so
// tests can check exactly what the user would have seen and chosen.
class RecordingUi : public platform::UiApi {
  public:
    struct Box {
        std::string text;
        std::string title;
        platform::MessageBoxButtons buttons;
        platform::MessageBoxIcon icon;
        platform::MessageBoxDefaultButton defaultButton = platform::MessageBoxDefaultButton::First;
    };
    struct FileDialog {
        bool save;  // the save dialog, else the open dialog
        platform::FileDialogRequest request;
    };

    platform::MessageBoxResult MessageBox(std::string_view text, std::string_view title,
                                          platform::MessageBoxButtons buttons,
                                          platform::MessageBoxIcon icon) override;
    platform::MessageBoxResult MessageBoxWithDefault(
        std::string_view text, std::string_view title, platform::MessageBoxButtons buttons,
        platform::MessageBoxIcon icon, platform::MessageBoxDefaultButton defaultButton) override;
    void DoEvents() override;
    platform::FileDialogAnswer ShowOpenDialog(const platform::FileDialogRequest& request) override;
    platform::FileDialogAnswer ShowSaveDialog(const platform::FileDialogRequest& request) override;
    // Keeps the text when the simulated program has a console (consoleAvailable), else answers
    // false as a program started without one.
    bool WriteConsoleText(std::string_view text) override;
    bool WriteConsoleError(std::string_view text) override;
    bool ConsoleIsTerminal() override { return consoleAvailable && consoleIsTerminal; }

    // Answers for the next boxes, in order. Without a scripted answer a box gets its default
    // button (the first one unless the box names another), as when the user presses Enter.
    void ScriptAnswer(platform::MessageBoxResult answer) { answers_.push_back(answer); }
    // Answers for the next file dialogs, open or save, in order. Without a scripted answer a
    // dialog is cancelled, as when the user presses Escape.
    void ScriptFileDialog(platform::FileDialogAnswer answer) {
        fileAnswers_.push_back(std::move(answer));
    }
    // Chooses `path` in the next file dialog.
    void ScriptFileChosen(const std::string& path) { ScriptFileDialog({true, path, 0}); }
    // Runs on every DoEvents, e.g. to deliver simulated network responses.
    std::function<void()> onDoEvents;

    const std::vector<Box>& Boxes() const { return boxes_; }
    void ClearBoxes() { boxes_.clear(); }
    const std::vector<FileDialog>& FileDialogs() const { return fileDialogs_; }
    int DoEventsCount() const { return doEventsCount_; }
    // Everything written to the console, in order.
    const std::string& ConsoleText() const { return consoleText_; }
    // Everything written to the console's standard error, in order.
    const std::string& ConsoleErrorText() const { return consoleErrorText_; }
    bool consoleAvailable = true;
    // Whether the console is a terminal (rather than a file or pipe).
    bool consoleIsTerminal = false;

  private:
    platform::FileDialogAnswer AnswerFileDialog(bool save,
                                                const platform::FileDialogRequest& request);

    std::vector<Box> boxes_;
    std::deque<platform::MessageBoxResult> answers_;
    std::vector<FileDialog> fileDialogs_;
    std::deque<platform::FileDialogAnswer> fileAnswers_;
    int doEventsCount_ = 0;
    std::string consoleText_;
    std::string consoleErrorText_;
};

}  // namespace vexav6::sim
