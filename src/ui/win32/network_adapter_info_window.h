#pragma once

#include <array>

#include "ui/network_adapter_info.h"
#include "ui/win32/panel.h"

namespace vexav6::ui::win32 {

// The details panel on the first tab: a caption and a read-only, selectable value per field.
class NetworkAdapterInfoWindow : public Panel, public NetworkAdapterInfoView {
  public:
    // Control identifiers: kFirstFieldId + the field's index.
    static constexpr int kFirstFieldId = 1100;

    using Panel::Panel;

    void SetField(DetailsField field, const std::string& text) override;

  protected:
    const wchar_t* ClassName() const override { return L"Vexav6.NetworkAdapterInfo"; }
    void CreateControls() override;
    void LayoutControls(Box client, const Scaler& px) override;

  private:
    HWND group_ = nullptr;
    std::array<HWND, kDetailsFieldCount> labels_{};
    std::array<HWND, kDetailsFieldCount> values_{};
};

}  // namespace vexav6::ui::win32
