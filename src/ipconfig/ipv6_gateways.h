#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/keyed_collection.h"
#include "ipconfig/ip_config_owner.h"
#include "ipconfig/ipv6_gateway.h"

namespace vexav6 {

// The IPv6 gateways of one adapter, keyed by next-hop short text.
class IPv6Gateways {
  public:
    using List = KeyedCollection<std::shared_ptr<IPv6Gateway>>;

    // A second call fails with error 1 "Init already done".
    void Init(int32_t ifIndex, uint64_t luid, const std::string& netCfgInstanceId,
              const List& ipv6Gateways, IpConfigOwner* adapter);

    void Add(const std::string& nextHop, int32_t metric, bool persistent);
    // Add with each item's NextHop and Metric; the first error stops.
    void AddRange(const List& ipv6Gateways, bool persistent);
    std::shared_ptr<IPv6Gateway> Remove(const CollectionIndex& index, bool persistent);
    void RemoveAll(bool persistent);
    // Some item's short NextHop text equals the text and its metric is the same.
    bool Exists(std::string_view nextHop, int32_t metric) const;
    int32_t Count() const { return list_.Count(); }
    std::shared_ptr<IPv6Gateway> Item(const CollectionIndex& index) const {
        return list_.Item(index);
    }
    const List& Items() const { return list_; }

  private:
    int32_t ifIndex_ = 0;
    uint64_t luid_ = 0;
    std::string netCfgInstanceId_;
    IpConfigOwner* adapter_ = nullptr;
    bool initDone_ = false;
    List list_;
};

}  // namespace vexav6
