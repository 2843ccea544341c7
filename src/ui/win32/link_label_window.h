#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/win32/windows_include.h"
#include "ui/link_label.h"
#include "ui/win32/gdi.h"
#include "ui/win32/window.h"

namespace vexav6::ui::win32 {

// The hyperlink label: its caption underlined in the presenter's colour, a hand cursor, sized to
// its caption. A click, or Space or Enter while it has the focus, opens its address.
class LinkLabelWindow : public Window, public LinkLabelView {
  public:
    LinkLabelWindow(const Platform& platform, std::string name);

    // Creates the label under `parent` with the underlined form of `font`.
    void Create(HWND parent, int controlId, HFONT font);
    // A new font (a DPI change): the label measures its caption again.
    void SetFont(HFONT font);
    void MoveTo(int x, int y);
    SIZE Size() const { return size_; }
    LinkLabel& Presenter() { return *link_; }

    void ShowCaption(const std::string& caption, TextColour colour) override;

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void Paint(HDC dc);

    std::string name_;
    std::unique_ptr<LinkLabel> link_;
    ScopedFont underlined_;
    std::wstring caption_;
    COLORREF colour_ = RGB(0, 0, 255);
    SIZE size_{};
};

}  // namespace vexav6::ui::win32
