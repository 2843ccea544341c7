#pragma once

#include "platform/win32/windows_include.h"

#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "ui/link_label.h"

namespace vexav6::ui::win32 {

// The hyperlink label: its caption drawn in the presenter's colour, a hand cursor, sized to its
// caption. A click, or Space or Enter while it has the focus, opens its address.
class LinkLabelWindow : public LinkLabelView {
  public:
    LinkLabelWindow(const Platform& platform, std::string name);
    ~LinkLabelWindow() override;
    LinkLabelWindow(const LinkLabelWindow&) = delete;
    LinkLabelWindow& operator=(const LinkLabelWindow&) = delete;

    bool Create(HWND parent, int controlId, HFONT font);
    void MoveTo(int x, int y);
    HWND Handle() const { return window_; }
    SIZE Size() const { return size_; }
    LinkLabel& Presenter() { return *link_; }

    void ShowCaption(const std::string& caption, TextColour colour) override;

  private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT OnMessage(UINT, WPARAM, LPARAM);

    Platform platform_;
    std::string name_;
    std::unique_ptr<LinkLabel> link_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HFONT underlined_ = nullptr;
    std::wstring caption_;
    COLORREF colour_ = RGB(0, 0, 255);
    SIZE size_{};
};

}  // namespace vexav6::ui::win32
