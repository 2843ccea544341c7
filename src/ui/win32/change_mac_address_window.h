#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/win32/windows_include.h"
#include "ui/change_mac_address.h"
#include "ui/win32/link_label_window.h"
#include "ui/win32/mac_address_window.h"
#include "ui/win32/panel.h"
#include "ui/win32/vendor_combo_window.h"

namespace vexav6::ui::win32 {

// The MAC address change panel on the first tab of the main window: the MAC address box, the
// vendor drop-down, the three options with the "Why?" link, and the random, change and restore
// buttons. It draws what its presenter says and forwards what the user does.
class ChangeMACAddressWindow : public Panel, public ChangeMACAddressView {
  public:
    // Control identifiers inside the panel (the window test bench sends their commands).
    enum Control : int {
        kMACAddress = 1001,
        kVendorList,
        kRandom,
        k02MAC,
        kWhy,
        kPersistent,
        kAutoRestart,
        kChange,
        kRestore,
        kGroup,
        kVendorLabel,
        kAddressLabel,
    };

    explicit ChangeMACAddressWindow(const Platform& platform);

    // The presenter the controls report to, made by the main window's presenter over this
    // window's views.
    void Attach(ChangeMACAddress& presenter);
    void ApplyFonts(const UiFonts& fonts) override;

    HWND Control(int id) const { return ::GetDlgItem(Handle(), id); }
    MACAddressWindow& MACAddressBox() { return macAddress_; }
    VendorComboWindow& VendorList() { return vendorList_; }

    // ChangeMACAddressView
    void SetVendorText(const std::string& text) override;
    void ShowVendorRows(size_t rows, size_t highlighted) override;
    void DropVendorList(bool dropped) override;
    void SetChangeEnabled(bool enabled) override;
    void SetRestoreEnabled(bool enabled) override;
    void SetRandomEnabled(bool enabled) override;
    void Set02Checked(bool checked) override;
    void SetPersistentChecked(bool checked) override;
    void SetAutoRestartChecked(bool checked) override;
    void SetAutoRestartEnabled(bool enabled) override;
    void FocusMACAddress() override;

  protected:
    const wchar_t* ClassName() const override { return L"Vexav6.ChangeMACAddress"; }
    void CreateControls() override;
    void LayoutControls(Box client, const Scaler& px) override;
    void OnCommand(int id, int code, HWND control) override;

  private:
    // The width of a control's text in the panel's font.
    int TextWidth(int id) const;

    MACAddressWindow macAddress_;
    VendorComboWindow vendorList_;
    LinkLabelWindow why_;
    ChangeMACAddress* presenter_ = nullptr;
};

}  // namespace vexav6::ui::win32
