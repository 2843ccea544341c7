#pragma once

#include "ui/preset_panel.h"
#include "ui/win32/panel.h"

namespace vexav6::ui::win32 {

// The preset panel on the third tab: the frame naming the file and the preset in force, and the
// list of the file's presets.
class PresetPanelWindow : public Panel, public PresetPanelView {
  public:
    static constexpr int kListId = 1300;

    using Panel::Panel;

    void SetCaption(const std::string& caption) override;
    void ShowPresets(const std::vector<std::string>& names, int selected) override;

    HWND Group() const { return group_; }
    HWND List() const { return list_; }

  protected:
    const wchar_t* ClassName() const override { return L"Vexav6.PresetPanel"; }
    void CreateControls() override;
    void LayoutControls(Box client, const Scaler& px) override;

  private:
    HWND group_ = nullptr;
    HWND list_ = nullptr;
};

}  // namespace vexav6::ui::win32
