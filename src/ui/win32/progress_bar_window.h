#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/win32/windows_include.h"
#include "ui/progress_bar.h"
#include "ui/win32/window.h"

namespace vexav6::ui::win32 {

// The flat progress bar (the splash window shows the load with it): a sunken frame whose left
// part, Percent × width / 100, is filled with the selection colour.
class ProgressBarWindow : public Window {
  public:
    using Window::Window;

    void Create(HWND parent, int controlId);
    int16_t Percent() const { return bar_.Percent(); }
    // 0 to 100; other values are ignored. Repaints at once, so the bar moves during long work
    // that does not return to the message loop.
    void SetPercent(int16_t percent);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void Paint(HDC dc) const;

    ProgressBar bar_;
};

}  // namespace vexav6::ui::win32
