#pragma once

#include "platform/win32/windows_include.h"

#include <cstdint>

#include "ui/progress_bar.h"

namespace vexav6::ui::win32 {

// The flat progress bar (the splash window shows the vendor list's fill with it): a sunken frame
// whose left part, Percent × width / 100, is filled with the selection colour.
class ProgressBarWindow {
  public:
    ProgressBarWindow() = default;
    ProgressBarWindow(const ProgressBarWindow&) = delete;
    ProgressBarWindow& operator=(const ProgressBarWindow&) = delete;

    bool Create(HWND parent, int controlId);
    HWND Handle() const { return window_; }
    int16_t Percent() const { return bar_.Percent(); }
    // 0 to 100; other values are ignored. Repaints at once, so the bar moves during long work
    // that does not return to the message loop.
    void SetPercent(int16_t percent);

  private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    void Paint(HDC dc) const;

    HWND window_ = nullptr;
    ProgressBar bar_;
};

}  // namespace vexav6::ui::win32
