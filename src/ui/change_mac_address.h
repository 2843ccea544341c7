#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "adapters/adapter_info.h"
#include "base/error.h"
#include "platform/platform.h"
#include "ui/mac_address.h"
#include "ui/vendor_list_search.h"
#include "vendors/nic_vendor.h"

namespace vexav6::ui {

// What the MAC address change panel tells its window. The MAC address box has a view of its own
// (MACAddressView).
class ChangeMACAddressView {
  public:
    virtual ~ChangeMACAddressView() = default;

    // The text of the vendor drop-down's edit part. Setting it does not start a search.
    virtual void SetVendorText(const std::string& text) = 0;
    // The drop-down's list: how many rows the matches of the search fill, and which row is
    // highlighted (VendorListSearch::kNoRow for none). The window asks the presenter for the text
    // of a row when it draws it (VendorRowText).
    virtual void ShowVendorRows(size_t rows, size_t highlighted) = 0;
    // Opens or closes the drop-down's list.
    virtual void DropVendorList(bool dropped) = 0;

    virtual void SetChangeEnabled(bool enabled) = 0;
    virtual void SetRestoreEnabled(bool enabled) = 0;
    virtual void SetRandomEnabled(bool enabled) = 0;
    virtual void Set02Checked(bool checked) = 0;
    virtual void SetPersistentChecked(bool checked) = 0;
    virtual void SetAutoRestartChecked(bool checked) = 0;
    virtual void SetAutoRestartEnabled(bool enabled) = 0;
    // Gives the keyboard focus to the first octet of the MAC address box.
    virtual void FocusMACAddress() = 0;
};

// The texts of the panel's controls.
namespace ChangeMACAddressTexts {
inline constexpr const char* k02MAC = "Use '02' as first octet of MAC address";
inline constexpr const char* kPersistent = "Make new MAC address persistent";
inline constexpr const char* kAutoRestart =
    "Automatically restart network connection to apply changes";
inline constexpr const char* kChange = "&Change Now !";
inline constexpr const char* kRandom = "&Random MAC Address";
inline constexpr const char* kRestore = "Restore &Original";
inline constexpr const char* kWhy = "Why?";
}  // namespace ChangeMACAddressTexts

// Why an address cannot be given to an adapter (a group address, all zeros, the broadcast
// address), or the empty text when it can. `address` is in display form.
std::string UnusableAddressReason(std::string_view address);

// The MAC address change panel: the MAC address box, the vendor drop-down, the options and the
// change, random and restore buttons of the selected adapter. Reports to the main window through
// onChanging, onChanged and onError.
class ChangeMACAddress {
  public:
    // `random` answers a pseudo-random fraction in [0, 1); by default a generator seeded from
    // the clock once.
    ChangeMACAddress(const Platform& platform, ChangeMACAddressView& view,
                     MACAddressView& macAddressView, std::function<double()> random = {});

    // Sets the controls to their first state: the box empty, the options persistent with
    // automatic restart, the buttons disabled until an adapter is set.
    void Initialize();

    // Keeps the vendor database and the flag, empties the drop-down and fills it through the
    // database's PopulateCombo (whose progress event the owner follows). The database must
    // outlive the panel.
    void LoadVendors(NICVendor& vendors, bool includeVendorAddress);
    // Keeps the adapter and updates the restore button and the '02' box for it. Null: nothing
    // can be changed.
    void SetAdapter(std::shared_ptr<AdapterInfo> adapter);

    // The window's events.
    void MACAddress1_Change();
    void VendorText_Typed(std::string_view text);
    // A row of the drop-down's list picked by the user.
    void cmbVendorList_Chosen(size_t row);
    void chk02MAC_Click(bool checked);
    void chkPersistent_Click(bool checked);
    void chkAutoRestart_Click(bool checked) { autoRestart_ = checked; }
    void cmdRandom_Click();
    void cmdChange_Click();
    void cmdRestore_Click();

    // The text of a row of the drop-down's list.
    std::string_view VendorRowText(size_t row) const;
    const VendorListSearch& VendorSearch() const { return search_; }
    MACAddress& MACAddress1() { return macAddress_; }

    std::function<void()> onChanging;
    std::function<void(bool success, bool restore)> onChanged;
    std::function<void(const Error& error)> onError;

  private:
    void Set02(bool checked);
    std::string RandomOctets();
    void RestartAdapter(AdapterInfo& adapter);
    void ShowVendorMatches();

    Platform platform_;
    ChangeMACAddressView& view_;
    MACAddress macAddress_;
    std::function<double()> random_;
    VendorListSearch search_;

    std::shared_ptr<AdapterInfo> adapter_;
    NICVendor* vendors_ = nullptr;
    bool includeVendorAddress_ = false;
    int32_t lastOUI_ = -1;
    bool use02_ = false;
    bool persistent_ = true;
    bool autoRestart_ = true;
    bool changeEnabled_ = false;
    bool filling_ = false;
    bool refillPending_ = false;
};

}  // namespace vexav6::ui
