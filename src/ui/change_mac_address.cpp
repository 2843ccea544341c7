#include "ui/change_mac_address.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <utility>

#include "base/text.h"

namespace vexav6::ui {
namespace {

using platform::MessageBoxButtons;
using platform::MessageBoxIcon;

constexpr const char* kNoAddress = "00-00-00-00-00-00";
constexpr int32_t kWirelessInterfaceType = 71;  // IEEE 802.11

std::function<double()> ClockSeededRandom() {
    auto generator = std::make_shared<std::mt19937_64>(
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count() ^
                              std::chrono::system_clock::now().time_since_epoch().count()));
    return [generator] {
        return static_cast<double>((*generator)() >> 11) * 0x1.0p-53;  // [0, 1)
    };
}

}  // namespace

std::string UnusableAddressReason(std::string_view address) {
    const std::string digits = text::ToUpper(text::ReplaceAll(address, "-", ""));
    bool hex = digits.size() == 12;
    for (const char c : digits) {
        hex = hex && text::IsHexDigit(c);
    }
    if (!hex) {
        return "'" + std::string(address) +
               "' is not a MAC address: it needs six octets of two hex digits each.";
    }
    const std::string shown = std::string(address);
    if (digits == "000000000000") {
        return shown + " is no network adapter's address: a MAC address cannot be all zeros.";
    }
    if (digits == "FFFFFFFFFFFF") {
        return shown +
               " is the broadcast address, which every device on the network receives: it cannot "
               "be the address of one network adapter.";
    }
    if ((text::LeadingHexValue(digits.substr(0, 2)) & 1) != 0) {
        return shown + " is a group (multicast) address: the lowest bit of its first octet (" +
               digits.substr(0, 2) +
               ") is set. A network adapter needs an even first octet; 02 makes a locally "
               "administered address of your own.";
    }
    return "";
}

ChangeMACAddress::ChangeMACAddress(const Platform& platform, ChangeMACAddressView& view,
                                   MACAddressView& macAddressView, std::function<double()> random)
    : platform_(platform),
      view_(view),
      macAddress_(macAddressView),
      random_(random ? std::move(random) : ClockSeededRandom()) {
    macAddress_.Change = [this] { MACAddress1_Change(); };
}

void ChangeMACAddress::Initialize() {
    macAddress_.SetText("");
    view_.SetVendorText("");
    view_.ShowVendorRows(search_.MatchCount(), VendorListSearch::kNoRow);
    view_.Set02Checked(use02_);
    view_.SetPersistentChecked(persistent_);
    view_.SetAutoRestartChecked(autoRestart_);
    view_.SetAutoRestartEnabled(persistent_);
    changeEnabled_ = false;
    view_.SetChangeEnabled(false);
    view_.SetRestoreEnabled(false);
    view_.SetRandomEnabled(true);
}

void ChangeMACAddress::LoadVendors(NICVendor& vendors, bool includeVendorAddress) {
    vendors_ = &vendors;
    includeVendorAddress_ = includeVendorAddress;
    if (filling_) {
        // Called again from the pending work of a fill: the running fill starts over once done.
        refillPending_ = true;
        return;
    }
    filling_ = true;
    do {
        refillPending_ = false;
        search_.Clear();
        view_.ShowVendorRows(search_.MatchCount(), VendorListSearch::kNoRow);
        try {
            vendors_->PopulateCombo(search_, includeVendorAddress_);
        } catch (...) {
            filling_ = false;
            throw;
        }
    } while (refillPending_);
    filling_ = false;
    search_.Refresh();
    view_.ShowVendorRows(search_.MatchCount(), VendorListSearch::kNoRow);
}

void ChangeMACAddress::SetAdapter(std::shared_ptr<AdapterInfo> adapter) {
    adapter_ = std::move(adapter);
    if (!adapter_) {
        view_.SetRestoreEnabled(false);
        changeEnabled_ = false;
        view_.SetChangeEnabled(false);
        return;
    }
    bool restore = true;
    switch (adapter_->HasNetworkAddressChanged()) {
        case 1:
            restore = true;
            break;
        case 2:
            restore = !adapter_->ChangedNetworkAddress().empty() &&
                      adapter_->ChangedNetworkAddress() != adapter_->ActiveNetworkAddress();
            break;
        default:
            restore = true;
            break;
    }
    view_.SetRestoreEnabled(restore);
    Set02(adapter_->InterfaceType() == kWirelessInterfaceType);
    changeEnabled_ = macAddress_.Text() != kNoAddress;
    view_.SetChangeEnabled(changeEnabled_);
}

void ChangeMACAddress::MACAddress1_Change() {
    const std::string text = macAddress_.Text();
    if (text == kNoAddress) {
        view_.SetVendorText("");
        // Typing the same prefix again must show its vendor again.
        lastOUI_ = -1;
        changeEnabled_ = false;
        view_.SetChangeEnabled(false);
        return;
    }
    changeEnabled_ = adapter_ != nullptr;
    view_.SetChangeEnabled(changeEnabled_);
    const auto oui =
        static_cast<int32_t>(text::LeadingHexValue(text::ReplaceAll(text.substr(0, 8), "-", "")));
    if (oui != lastOUI_) {
        lastOUI_ = oui;
        view_.SetVendorText(vendors_ != nullptr
                                ? vendors_->GetVendor(oui, includeVendorAddress_, true)
                                : std::string(kUnknownVendor));
    }
}

void ChangeMACAddress::VendorText_Typed(std::string_view text) {
    search_.SetQuery(text);
    view_.ShowVendorRows(search_.MatchCount(), search_.MatchCount() > 0 && !text::Trim(text).empty()
                                                   ? 0
                                                   : VendorListSearch::kNoRow);
    view_.DropVendorList(true);
}

std::string_view ChangeMACAddress::VendorRowText(size_t row) const {
    return search_.Item(search_.MatchAt(row));
}

void ChangeMACAddress::cmbVendorList_Chosen(size_t row) {
    if (row >= search_.MatchCount()) {
        return;
    }
    const size_t index = search_.MatchAt(row);
    const std::string item(search_.Item(index));
    if (VendorListSearch::ItemOUI(item) < 0) {
        return;
    }
    std::string address = item.substr(1, 8) + RandomOctets();
    if (use02_) {
        address.replace(0, 2, "02");
    }
    macAddress_.SetText(address);
    view_.DropVendorList(false);
    // The whole list again, the chosen vendor highlighted, its name in the edit part.
    search_.SetQuery("");
    view_.ShowVendorRows(search_.MatchCount(), index);
    view_.SetVendorText(item);
    changeEnabled_ = adapter_ != nullptr;
    view_.SetChangeEnabled(changeEnabled_);
}

std::string ChangeMACAddress::RandomOctets() {
    std::string out;
    for (int i = 0; i < 3; ++i) {
        // A fraction times 10000 to the nearest integer (halves to even), its low 8 bits.
        const auto value = static_cast<int64_t>(std::nearbyint(random_() * 10000.0));
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(value & 0xFF));
        out += '-';
        out += digits;
    }
    return out;
}

void ChangeMACAddress::Set02(bool checked) {
    if (checked == use02_) {
        return;
    }
    view_.Set02Checked(checked);
    chk02MAC_Click(checked);
}

void ChangeMACAddress::chk02MAC_Click(bool checked) {
    use02_ = checked;
    const std::string text = macAddress_.Text();
    if (text != kNoAddress) {
        macAddress_.SetText((checked ? "02" : "00") + text.substr(2));
    }
}

void ChangeMACAddress::chkPersistent_Click(bool checked) {
    persistent_ = checked;
    if (!checked) {
        // A change that does not persist must be applied by a restart at once.
        autoRestart_ = true;
        view_.SetAutoRestartChecked(true);
    }
    view_.SetAutoRestartEnabled(checked);
}

void ChangeMACAddress::cmdRandom_Click() {
    std::string address = kNoAddress;
    std::string company = kUnknownVendor;
    if (vendors_ != nullptr) {
        vendors_->GetRandomMACAddress(address, company, includeVendorAddress_);
    }
    if (use02_) {
        address.replace(0, 2, "02");
    }
    macAddress_.SetText(address);
    view_.SetVendorText(company);
    changeEnabled_ = adapter_ != nullptr && address != kNoAddress;
    view_.SetChangeEnabled(changeEnabled_);
}

void ChangeMACAddress::RestartAdapter(AdapterInfo& adapter) {
    if (adapter.State()) {
        adapter.SetState(false);
    }
    adapter.SetState(true);
}

void ChangeMACAddress::cmdChange_Click() {
    if (!adapter_) {
        return;
    }
    const std::string address = macAddress_.Text();
    const std::string reason = UnusableAddressReason(address);
    if (!reason.empty()) {
        platform_.ui.MessageBox(reason, "Invalid MAC Address", MessageBoxButtons::Ok,
                                MessageBoxIcon::Exclamation);
        view_.FocusMACAddress();
        return;
    }
    const std::shared_ptr<AdapterInfo> adapter = adapter_;
    changeEnabled_ = false;
    view_.SetChangeEnabled(false);
    if (onChanging) {
        onChanging();
    }
    bool success = false;
    try {
        adapter->ChangeNetworkAddress(address);
        if (autoRestart_) {
            RestartAdapter(*adapter);
        }
        if (!persistent_) {
            // The running device keeps the new address; its next start takes its own again.
            adapter->ChangeNetworkAddress("");
        }
        macAddress_.SetText("");
        view_.SetVendorText("");
        lastOUI_ = -1;
        adapter->Refresh(true);
        success = !autoRestart_ || adapter->HasNetworkAddressChanged() == 1;
    } catch (...) {
        const Error error = CurrentExceptionAsError();
        // The address is still in the box: let the user try again.
        changeEnabled_ = macAddress_.Text() != kNoAddress;
        view_.SetChangeEnabled(changeEnabled_);
        if (onError) {
            onError(error);
        }
        return;
    }
    if (onChanged) {
        onChanged(success, false);
    }
}

void ChangeMACAddress::cmdRestore_Click() {
    if (!adapter_) {
        return;
    }
    const std::shared_ptr<AdapterInfo> adapter = adapter_;
    // A restore that is not to persist brings the stored change back for the driver's next start.
    const std::string storedChange = adapter->ChangedNetworkAddress();
    macAddress_.SetText("");
    view_.SetVendorText("");
    lastOUI_ = -1;
    changeEnabled_ = false;
    view_.SetChangeEnabled(false);
    if (onChanging) {
        onChanging();
    }
    bool success = false;
    try {
        adapter->ChangeNetworkAddress("");
        if (autoRestart_) {
            RestartAdapter(*adapter);
        }
        if (!persistent_ && !storedChange.empty()) {
            adapter->ChangeNetworkAddress(storedChange);
        }
        adapter->Refresh(true);
        success = !autoRestart_ || adapter->HasNetworkAddressChanged() == 2;
    } catch (...) {
        const Error error = CurrentExceptionAsError();
        if (onError) {
            onError(error);
        }
        return;
    }
    if (onChanged) {
        onChanged(success, true);
    }
}

}  // namespace vexav6::ui
