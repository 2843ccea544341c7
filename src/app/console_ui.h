#pragma once

#include <iosfwd>

#include "platform/ui_api.h"
#include "platform/ui_work_queue.h"

namespace vexav6::app {

// Message boxes of the native program, which has no windows: each box is printed, its title on
// one line and its text below; error boxes (critical icon) go to standard error, the others to
// standard output. Nobody can press a button, so a box answers its first button, as Enter would.
// Console text goes to standard output, console error text to standard error. Line breaks are
// written as the terminal wants them (LF).
class ConsoleUi : public platform::UiApi {
  public:
    // `workQueue`, when given, holds the work that back-ends finish on other threads; DoEvents
    // runs what is pending there.
    ConsoleUi(std::ostream& out, std::ostream& err, platform::UiWorkQueue* workQueue = nullptr)
        : out_(out), err_(err), workQueue_(workQueue) {}

    platform::MessageBoxResult MessageBox(std::string_view text, std::string_view title,
                                          platform::MessageBoxButtons buttons,
                                          platform::MessageBoxIcon icon) override;
    void DoEvents() override;
    bool WriteConsoleText(std::string_view text) override;
    bool WriteConsoleError(std::string_view text) override;
    bool ConsoleIsTerminal() override { return outIsTerminal_; }
    // The terminal is the box: the message is printed once, an error to standard error (also when
    // silent), anything else to standard output unless silent.
    void ShowCommandLineMessage(std::string_view text, std::string_view title,
                                platform::MessageBoxIcon icon, bool silent) override;
    // Whether standard output is a terminal (decided by the program at start).
    void SetOutputIsTerminal(bool terminal) { outIsTerminal_ = terminal; }

  private:
    std::ostream& out_;
    std::ostream& err_;
    platform::UiWorkQueue* workQueue_;
    bool outIsTerminal_ = false;
};

}  // namespace vexav6::app
