#pragma once

#include "platform/win32/windows_include.h"

// DPI: the windows lay themselves out in device-independent units (1/96 inch) scaled to the DPI
// of the monitor they are on. The functions Windows added for this after Windows 2000 are looked
// up at run time, so the program still starts where they are missing (everything is then 96 DPI
// or the system DPI).
namespace vexav6::ui::win32 {

// Per-monitor awareness version 2 where the system knows it, else the best older form. The
// manifest asks for the same; this covers a program started without it.
void EnableDpiAwareness();

// The DPI of the monitor the window is on (the system DPI before Windows 10).
UINT DpiOf(HWND window);
// The DPI of the primary monitor, for windows not made yet.
UINT SystemDpi();

// Device-independent units to pixels at a DPI.
inline int Scale(int units, UINT dpi) {
    return ::MulDiv(units, static_cast<int>(dpi), 96);
}

// Turns units into pixels for one window's DPI.
class Scaler {
  public:
    explicit Scaler(UINT dpi) : dpi_(dpi) {}
    explicit Scaler(HWND window) : dpi_(DpiOf(window)) {}
    int operator()(int units) const { return Scale(units, dpi_); }
    UINT Dpi() const { return dpi_; }

  private:
    UINT dpi_;
};

// GetSystemMetricsForDpi, or the system's value scaled from the system DPI.
int SystemMetric(int index, UINT dpi);
// The outer size of a window whose client area is `client` (AdjustWindowRectExForDpi).
SIZE OuterSize(SIZE client, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi);

// WM_DPICHANGED: moves the window to the rectangle the system suggests (lParam).
void MoveToSuggestedRect(HWND window, LPARAM suggested);
// WM_GETMINMAXINFO: the smallest size the user can drag the window to, in units.
void SetMinimumSize(HWND window, LPARAM minMaxInfo, int width, int height);

}  // namespace vexav6::ui::win32
