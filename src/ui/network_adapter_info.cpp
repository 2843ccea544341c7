#include "ui/network_adapter_info.h"

#include "base/text.h"
#include "vendors/nic_vendor.h"

namespace vexav6::ui {

namespace {

constexpr std::array<const char*, kDetailsFieldCount> kPlaceholders = {
    "<connection name>",     "<device>",     "<hardware id>",       "<config id>", "<original mac>",
    "<original mac vendor>", "<active mac>", "<active mac vendor>", "<unknown>",   "<unknown>",
};

// The vendor of a display-form address: its first three octets read as the OUI.
std::string VendorOf(const std::string& address, const NICVendor* vendors,
                     bool includeVendorAddress) {
    const std::string oui = text::ReplaceAll(address.substr(0, 8), "-", "");
    int32_t number = 0;
    try {
        number = static_cast<int32_t>(std::stoul(oui, nullptr, 16));
    } catch (...) {
        return kUnknownVendor;  // not an address the vendor table could know
    }
    return vendors != nullptr ? vendors->GetVendor(number, includeVendorAddress, false)
                              : kUnknownVendor;
}

}  // namespace

NetworkAdapterInfo::NetworkAdapterInfo() {
    ClearData();
}

void NetworkAdapterInfo::AttachView(NetworkAdapterInfoView* view) {
    view_ = view;
    if (view_ != nullptr) {
        for (size_t i = 0; i < kDetailsFieldCount; ++i) {
            view_->SetField(static_cast<DetailsField>(i), texts_[i]);
        }
    }
}

void NetworkAdapterInfo::Set(DetailsField field, const std::string& text) {
    texts_[static_cast<size_t>(field)] = text;
    if (view_ != nullptr) {
        view_->SetField(field, text);
    }
}

void NetworkAdapterInfo::ClearData() {
    for (size_t i = 0; i < kDetailsFieldCount; ++i) {
        Set(static_cast<DetailsField>(i), kPlaceholders[i]);
    }
}

std::string ActiveAddressSuffix(const AdapterInfo& adapter) {
    switch (adapter.HasNetworkAddressChanged()) {
        case 1:
            return " (Changed)";
        case 2: {
            const std::string& changed = adapter.ChangedNetworkAddress();
            const std::string& active = adapter.ActiveNetworkAddress();
            if (!changed.empty() && changed != active) {
                return " (Inactive: " + changed + ")";
            }
            return active == adapter.OriginalNetworkAddress() ? " (Original)" : "";
        }
        default:
            return " (Unknown)";
    }
}

void NetworkAdapterInfo::LoadData(const AdapterInfo& adapter, const NICVendor* vendors,
                                  bool includeVendorAddress) {
    Set(DetailsField::Connection, adapter.ConnectionName());
    Set(DetailsField::Device, adapter.DeviceDescription());
    Set(DetailsField::HardwareID, adapter.DeviceHardwareID());
    Set(DetailsField::ConfigID, adapter.NetCfgInstanceId());

    const std::string& original = adapter.OriginalNetworkAddress();
    const std::string originalVendor =
        original.empty() ? "" : VendorOf(original, vendors, includeVendorAddress);
    Set(DetailsField::OriginalMAC, original);
    Set(DetailsField::OriginalMACVendor, originalVendor);

    const std::string suffix = ActiveAddressSuffix(adapter);
    const std::string& active = adapter.ActiveNetworkAddress();
    if (active != original) {
        Set(DetailsField::ActiveMACVendor,
            active.empty() ? "" : VendorOf(active, vendors, includeVendorAddress));
    } else {
        // The same address has the same vendor: no second lookup.
        Set(DetailsField::ActiveMACVendor, originalVendor);
    }
    Set(DetailsField::ActiveMAC,
        active.empty() ? "<Network Connection Disabled>" : active + suffix);

    Set(DetailsField::TCPIPv4, adapter.IPv4Binding() ? "Enabled" : "Disabled");
    Set(DetailsField::TCPIPv6, adapter.IPv6Binding() ? "Enabled" : "Disabled");
}

}  // namespace vexav6::ui
