#pragma once

#include "platform/win32/windows_include.h"

#include <memory>
#include <string>

#include "platform/platform.h"
#include "ui/change_mac_address.h"
#include "ui/win32/link_label_window.h"
#include "ui/win32/mac_address_window.h"
#include "ui/win32/vendor_combo_window.h"

namespace vexav6::ui::win32 {

// The MAC address change panel on the first tab of the main window: a child window with the MAC
// address box, the vendor drop-down, the three options with the "Why?" link, and the random,
// change and restore buttons. It draws what its presenter says and forwards what the user does.
class ChangeMACAddressWindow : public ChangeMACAddressView {
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
    ~ChangeMACAddressWindow() override;
    ChangeMACAddressWindow(const ChangeMACAddressWindow&) = delete;
    ChangeMACAddressWindow& operator=(const ChangeMACAddressWindow&) = delete;

    bool Create(HWND parent, HFONT font);
    // Places the panel and its controls inside `area` (client coordinates of the parent).
    void Layout(const RECT& area);
    // The height the panel needs.
    int PreferredHeight() const;
    HWND Handle() const { return window_; }
    HWND Control(int id) const { return ::GetDlgItem(window_, id); }

    ChangeMACAddress& Presenter() { return *panel_; }
    MACAddressWindow& MACAddressBox() { return macAddress_; }
    VendorComboWindow& VendorList() { return vendorList_; }
    void SetAdapter(std::shared_ptr<AdapterInfo> adapter) {
        panel_->SetAdapter(std::move(adapter));
    }

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

  private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT OnMessage(UINT, WPARAM, LPARAM);
    void OnCommand(int id, int code);
    HWND AddControl(const wchar_t* windowClass, const char* text, DWORD style, int id);
    int Scale(int value) const;
    void ReportException();

    Platform platform_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    MACAddressWindow macAddress_;
    VendorComboWindow vendorList_;
    LinkLabelWindow why_;
    std::unique_ptr<ChangeMACAddress> panel_;
};

}  // namespace vexav6::ui::win32
