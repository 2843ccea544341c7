#pragma once

#include <functional>

#include "ui/win32/panel.h"

namespace vexav6::ui::win32 {

// A page of a tab control: it hosts the panels and controls of its tab, lays them out through
// the function its owner gives it, and hands its controls' messages to the owner.
class TabPage : public Panel {
  public:
    using Panel::Panel;

    std::function<void(Box client, const Scaler& px)> layout;
    std::function<void(int id, int code, HWND control)> onCommand;
    std::function<LRESULT(const NMHDR& header)> onNotify;

  protected:
    const wchar_t* ClassName() const override { return L"Vexav6.TabPage"; }
    void CreateControls() override {}
    void LayoutControls(Box client, const Scaler& px) override {
        if (layout) {
            layout(client, px);
        }
    }
    void OnCommand(int id, int code, HWND control) override {
        if (onCommand) {
            onCommand(id, code, control);
        }
    }
    LRESULT OnNotify(const NMHDR& header) override { return onNotify ? onNotify(header) : 0; }
};

}  // namespace vexav6::ui::win32
