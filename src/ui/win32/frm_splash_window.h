#pragma once

#include <memory>

#include "ui/win32/fonts.h"
#include "ui/win32/window.h"

namespace vexav6::ui::win32 {

// The splash window shown while the main window loads: the program's icon, name and version,
// and a progress bar. It is drawn at once on every change, since the load does not pump
// messages in between.
class frmSplashWindow : public Window {
  public:
    using Window::Window;

    void Show();
    // 0 to 100; other values are clamped.
    void ShowProgress(int percent);
    HWND ProgressBar() const { return progress_; }

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void Paint(HDC dc);

    std::unique_ptr<UiFonts> fonts_;
    HWND progress_ = nullptr;
    HICON icon_ = nullptr;
};

}  // namespace vexav6::ui::win32
