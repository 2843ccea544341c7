#pragma once

#include "platform/win32/windows_include.h"
#include "ui/win32/dpi.h"
#include "ui/win32/fonts.h"
#include "ui/win32/layout.h"
#include "ui/win32/window.h"

namespace vexav6::ui::win32 {

// A child window that holds a group of controls: a tab page of the main window, or one of the
// panels on it (details, MAC change, IPv4, IPv6, presets, traffic). Its owner creates it under a
// parent, moves it into place (MoveBatch), and hands it new fonts after a DPI change; the panel
// lays its controls out for its own size whenever that changes.
//
// Panels paint the page background (the tab body under visual styles, the dialog colour
// without) and make their static controls, check boxes and group boxes draw on it.
class Panel : public Window {
  public:
    using Window::Window;

    // Creates the panel (hidden until the owner shows it) and its controls.
    void Create(HWND parent, const UiFonts& fonts);
    // New fonts (a DPI change): every control takes the normal font, then the panel lays out.
    virtual void ApplyFonts(const UiFonts& fonts);

  protected:
    virtual const wchar_t* ClassName() const = 0;
    // Makes the controls; the panel's window exists.
    virtual void CreateControls() = 0;
    // Places the controls in the panel's client area (pixels) with `px` turning units to pixels.
    virtual void LayoutControls(Box client, const Scaler& px) = 0;
    // Messages of the controls: WM_COMMAND and WM_NOTIFY (answer what the control expects).
    virtual void OnCommand(int /*id*/, int /*code*/, HWND /*control*/) {}
    virtual LRESULT OnNotify(const NMHDR& /*header*/) { return 0; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Makes a control with the panel's normal font.
    HWND Add(const wchar_t* className, const std::string& text, DWORD style, int id = 0,
             DWORD exStyle = 0);
    const UiFonts& Fonts() const { return *fonts_; }
    void Relayout();

  private:
    const UiFonts* fonts_ = nullptr;
};

// The brush and colour panels paint their background with.
HBRUSH PanelBackgroundBrush();
COLORREF PanelBackgroundColour();

}  // namespace vexav6::ui::win32
