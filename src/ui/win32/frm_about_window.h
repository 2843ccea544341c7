#pragma once

#include <memory>

#include "platform/platform.h"
#include "platform/win32/windows_include.h"
#include "ui/win32/fonts.h"
#include "ui/win32/window.h"

namespace vexav6::ui::win32 {

// The about box: a plain window with the program's icon, name and version. A click anywhere, or
// Enter, Escape or Space, closes it.
class frmAboutWindow : public Window {
  public:
    using Window::Window;

    // Makes the box centred over its owner and runs it modally until it closes.
    void ShowModal(HWND owner);
    // Makes the box (shown, not yet running), for a caller that runs it itself.
    void Create(HWND owner);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void Paint(HDC dc);

    std::unique_ptr<UiFonts> fonts_;
};

}  // namespace vexav6::ui::win32
