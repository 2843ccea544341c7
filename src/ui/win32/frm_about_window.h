#pragma once

#include "platform/win32/windows_include.h"

#include "platform/platform.h"

namespace vexav6::ui::win32 {

// The about box: a plain window with the program's icon, name and version. A click anywhere, or
// Enter, Escape or Space, closes it.
class frmAboutWindow {
  public:
    explicit frmAboutWindow(const Platform& platform) : platform_(platform) {}
    frmAboutWindow(const frmAboutWindow&) = delete;
    frmAboutWindow& operator=(const frmAboutWindow&) = delete;

    // Creates the box centred over its owner, not yet running.
    bool Create(HWND owner);
    // Runs it modally until it closes.
    void RunModal();
    // Create and RunModal.
    void ShowModal(HWND owner);
    HWND Handle() const { return window_; }

  private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    void Paint(HDC dc);

    Platform platform_;
    HWND owner_ = nullptr;
    HWND window_ = nullptr;
    HFONT titleFont_ = nullptr;
    HFONT textFont_ = nullptr;
};

}  // namespace vexav6::ui::win32
