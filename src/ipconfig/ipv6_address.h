#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ipconfig/ip_config_owner.h"
#include "platform/ip_helper_api.h"

namespace vexav6 {

// One static IPv6 address of an adapter, held as the IP Helper unicast-address row that adds or
// deletes it. Stored, it is a binary value in the IPv6 network store, from which Windows (and
// discovery, for a disabled adapter) reads it.
class IPv6Address {
  public:
    // `ipv6` must hold exactly 16 bytes (error 1 "Invalid IPv6 address was passed." otherwise).
    // With an adapter the row is the platform's initialised row (Windows 6.0 and later) with the
    // interface index and LUID; without one only the interface index is set. Prefix and suffix
    // origin are manual. A second call fails with error 1 "Init already done".
    void Init(std::span<const uint8_t> ipv6, uint8_t onLinkPrefixLength, int32_t ifIndex,
              uint64_t luid, IpConfigOwner* adapter);
    // Takes a whole row as the platform's address table reported it.
    void Init2(const platform::UnicastRow& ipRow, IpConfigOwner* adapter);

    // The full upper-case text; a link-local address (fe80::/16) of an object with an adapter
    // carries "%" and the adapter's interface index as its zone. Without an adapter there is no
    // index to name, and the text has no zone.
    std::string IPAddress() const;
    std::array<uint8_t, 16> IPAddressBytes() const { return row_.address.ipv6; }
    uint8_t OnLinkPrefixLength() const { return row_.onLinkPrefixLength; }
    IpConfigOwner* Adapter() const { return adapter_; }
    const platform::UnicastRow& Row() const { return row_; }

    // Live when the device is enabled; stored when `persistent` (after a successful live change,
    // or instead of it).
    void Add(bool persistent);
    void Remove(bool persistent);
    // Writes the address's value into the network store (overwriting one of the same name).
    void AddIPInRegistry();
    // Deletes the address's value; an absent value is not an error.
    void RemoveIPFromRegistry();

    // The stored value's name (LUID bytes then address bytes as hexadecimal) and its 48 bytes.
    std::string RegistryValueName() const;
    std::vector<uint8_t> RegistryValueData() const;

  private:
    platform::UnicastRow row_;
    IpConfigOwner* adapter_ = nullptr;
    bool initDone_ = false;
};

}  // namespace vexav6
