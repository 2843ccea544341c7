#pragma once

#include <iosfwd>

#include "platform/ui_api.h"

namespace vexav6::app {

// Message boxes of the native program, which has no windows: each box is printed, its title on
// one line and its text below; error boxes (critical icon) go to standard error, the others to
// standard output. Nobody can press a button, so a box answers its first button, as Enter would.
class ConsoleUi : public platform::UiApi {
  public:
    ConsoleUi(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    platform::MessageBoxResult MessageBox(std::string_view text, std::string_view title,
                                          platform::MessageBoxButtons buttons,
                                          platform::MessageBoxIcon icon) override;
    void DoEvents() override {}

  private:
    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace vexav6::app
