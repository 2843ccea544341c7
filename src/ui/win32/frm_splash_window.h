#pragma once

#include <memory>

#include "ui/win32/fonts.h"
#include "ui/win32/progress_bar_window.h"
#include "ui/win32/window.h"

namespace vexav6::ui::win32 {

// The splash window shown while the main window loads: the program's icon, name and version,
// and a progress bar. It is drawn at once on every change, since the load does not pump
// messages in between.
class frmSplashWindow : public Window {
  public:
    explicit frmSplashWindow(const Platform& platform) : Window(platform), progress_(platform) {}

    void Show();
    // The bar's Percent: the value taken as a byte; one above 100 leaves the bar as it is.
    void ShowProgress(int percent);
    const ProgressBarWindow& ProgressBar() const { return progress_; }

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void Paint(HDC dc);

    std::unique_ptr<UiFonts> fonts_;
    ProgressBarWindow progress_;
    HICON icon_ = nullptr;
};

}  // namespace vexav6::ui::win32
