#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ipconfig/ip_config_owner.h"
#include "platform/ip_helper_api.h"

namespace vexav6 {

// One IPv6 gateway of an adapter: a default route (::/0) through a next hop, held as the IP Helper
// route row that adds or deletes it, and stored as a binary value in the IPv6 network store.
class IPv6Gateway {
  public:
    // `nextHop` must hold exactly 16 bytes (error 1 "Invalid IPv6 address was passed as next hop."
    // otherwise). With an adapter the row starts as the platform's initialised row; a metric above
    // 0 replaces the row's metric, otherwise the row keeps the one it has. A second call fails with
    // error 1 "Init already done".
    void Init(std::span<const uint8_t> nextHop, int32_t metric, int32_t ifIndex, uint64_t luid,
              IpConfigOwner* adapter);
    // Takes a whole row as the platform's route table reported it.
    void Init2(const platform::ForwardRow2& ipFwdRow, IpConfigOwner* adapter);

    // The short text of the next hop ("2001:DB8::1"), never with a zone.
    std::string NextHop() const;
    std::array<uint8_t, 16> NextHopBytes() const { return row_.nextHop.ipv6; }
    // The row's metric.
    int32_t Metric() const { return static_cast<int32_t>(row_.metric); }
    IpConfigOwner* Adapter() const { return adapter_; }
    const platform::ForwardRow2& Row() const { return row_; }

    // Live when the device is enabled; stored when `persistent`.
    void Add(bool persistent);
    void Remove(bool persistent);
    void AddGatewayInRegistry();
    // Deletes the gateway's value; an absent value is not an error.
    void RemoveGatewayFromRegistry();

    // The stored value's name (80 zeros, the LUID bytes twice, the next-hop bytes, as hexadecimal)
    // and its 56 bytes.
    std::string RegistryValueName() const;
    std::vector<uint8_t> RegistryValueData() const;

  private:
    platform::ForwardRow2 row_;
    IpConfigOwner* adapter_ = nullptr;
    bool initDone_ = false;
};

}  // namespace vexav6
