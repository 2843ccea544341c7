#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "adapters/adapter_info.h"

namespace vexav6 {
class NICVendor;
}

namespace vexav6::ui {

// The fields of the details panel, in the order the panel shows them.
enum class DetailsField : size_t {
    Connection,
    Device,
    HardwareID,
    ConfigID,
    OriginalMAC,
    OriginalMACVendor,
    ActiveMAC,
    ActiveMACVendor,
    TCPIPv4,
    TCPIPv6,
};
inline constexpr size_t kDetailsFieldCount = 10;

// What the details panel's window shows.
class NetworkAdapterInfoView {
  public:
    virtual ~NetworkAdapterInfoView() = default;
    virtual void SetField(DetailsField field, const std::string& text) = 0;
};

// The details panel: identity, original and active MAC address with their vendors, and whether
// TCP/IPv4 and TCP/IPv6 are bound, of the adapter the main window selected.
class NetworkAdapterInfo {
  public:
    NetworkAdapterInfo();

    // The window that shows the fields (none: the texts are only kept); it is given every field.
    void AttachView(NetworkAdapterInfoView* view);

    // Fills every field from the adapter; `vendors` names the vendors (none: "Unknown Vendor"),
    // `includeVendorAddress` adds the vendor's address to the names.
    void LoadData(const AdapterInfo& adapter, const NICVendor* vendors, bool includeVendorAddress);
    // Puts every field back to its placeholder ("<connection name>" ...).
    void ClearData();

    const std::string& Text(DetailsField field) const { return texts_[static_cast<size_t>(field)]; }

  private:
    void Set(DetailsField field, const std::string& text);

    NetworkAdapterInfoView* view_ = nullptr;
    std::array<std::string, kDetailsFieldCount> texts_;
};

// The suffix the active MAC address shows for the adapter's change status: " (Changed)",
// " (Inactive: <stored address>)", " (Original)", " (Unknown)" or nothing.
std::string ActiveAddressSuffix(const AdapterInfo& adapter);

}  // namespace vexav6::ui
