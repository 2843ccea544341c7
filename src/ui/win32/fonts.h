#pragma once

#include "platform/win32/windows_include.h"
#include "ui/win32/gdi.h"

namespace vexav6::ui::win32 {

// The fonts of the windows at one DPI: the system's message font (Segoe UI 9 pt on current
// Windows), its bold form, a larger heading, and a fixed-pitch font for text laid out in columns.
// Made again when a window moves to a monitor of another DPI.
class UiFonts {
  public:
    explicit UiFonts(UINT dpi);

    HFONT Normal() const { return normal_.Get(); }
    HFONT Bold() const { return bold_.Get(); }
    HFONT Heading() const { return heading_.Get(); }
    HFONT Fixed() const { return fixed_.Get(); }
    UINT Dpi() const { return dpi_; }

  private:
    UINT dpi_;
    ScopedFont normal_;
    ScopedFont bold_;
    ScopedFont heading_;
    ScopedFont fixed_;
};

// Sets the font of a window and of all its child windows.
void SetFontOfChildren(HWND parent, HFONT font);

}  // namespace vexav6::ui::win32
