#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/keyed_collection.h"
#include "ipconfig/ip_config_owner.h"
#include "ipconfig/ipv4_gateway.h"

namespace vexav6 {

// The IPv4 default gateways of one adapter, keyed by gateway text.
class IPv4Gateways {
  public:
    using List = KeyedCollection<std::shared_ptr<IPv4Gateway>>;

    // A second call fails with error 1 "Init already done".
    void Init(int32_t ifIndex, int32_t ifMetric, const std::string& netCfgInstanceId,
              const List& ipv4Gateways, IpConfigOwner* adapter);

    // As IPv4Addresses: make, add, then list under the gateway text.
    void Add(const std::string& gateway, int32_t metric, bool persistent);
    void AddRange(const List& ipv4Gateways, bool persistent);
    std::shared_ptr<IPv4Gateway> Remove(const CollectionIndex& index, bool persistent);
    void RemoveAll(bool persistent);
    // Some item has this gateway text and this metric.
    bool Exists(std::string_view gateway, int32_t metric) const;
    int32_t Count() const { return list_.Count(); }
    std::shared_ptr<IPv4Gateway> Item(const CollectionIndex& index) const {
        return list_.Item(index);
    }
    const List& Items() const { return list_; }

    // Deletes the persistent default routes through every listed gateway; the list and the
    // interface's stored gateways stay as they are.
    void RemoveAllPersistentRoutes();

  private:
    int32_t ifIndex_ = 0;
    int32_t ifMetric_ = 0;
    std::string netCfgInstanceId_;
    IpConfigOwner* adapter_ = nullptr;
    bool initDone_ = false;
    List list_;
};

}  // namespace vexav6
