#pragma once

#include <memory>
#include <string>

#include "ui/win32/fonts.h"
#include "ui/win32/window.h"

namespace vexav6::ui::win32 {

// The help of the command-line options: one read-only text box that fills the window and
// follows its size. Escape closes it.
class frmCLIHelpWindow : public Window {
  public:
    static constexpr int kTextId = 100;

    using Window::Window;

    // Creates the window (hidden) over `owner` (none: a window of its own on the taskbar).
    void Create(HWND owner, const std::string& caption, const std::string& text);
    HWND Text() const { return text_; }

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void Layout();

    std::unique_ptr<UiFonts> fonts_;
    HWND text_ = nullptr;
};

}  // namespace vexav6::ui::win32
