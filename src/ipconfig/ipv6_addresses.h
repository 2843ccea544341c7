#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/keyed_collection.h"
#include "ipconfig/ip_config_owner.h"
#include "ipconfig/ipv6_address.h"

namespace vexav6 {

// The IPv6 addresses of one adapter, keyed by each item's IPAddress text.
class IPv6Addresses {
  public:
    using List = KeyedCollection<std::shared_ptr<IPv6Address>>;

    // A second call fails with error 1 "Init already done".
    void Init(int32_t ifIndex, uint64_t luid, const List& ipv6Addresses, IpConfigOwner* adapter);

    // Short or full address text (the text errors of IPv6Support pass through); makes the item,
    // adds it (live and/or stored) and lists it.
    void Add(const std::string& ipAddress, uint8_t onLinkPrefixLength, bool persistent);
    // Add with each item's IPAddress and OnLinkPrefixLength; the first error stops.
    void AddRange(const List& ipv6Addresses, bool persistent);
    std::shared_ptr<IPv6Address> Remove(const CollectionIndex& index, bool persistent);
    void RemoveAll(bool persistent);
    // Some item's IPAddress equals the text exactly (full upper-case form, zone for link-local)
    // and its prefix length is the same.
    bool Exists(std::string_view ipAddress, uint8_t onLinkPrefixLength) const;
    int32_t Count() const { return list_.Count(); }
    std::shared_ptr<IPv6Address> Item(const CollectionIndex& index) const {
        return list_.Item(index);
    }
    const List& Items() const { return list_; }

  private:
    int32_t ifIndex_ = 0;
    uint64_t luid_ = 0;
    IpConfigOwner* adapter_ = nullptr;
    bool initDone_ = false;
    List list_;
};

}  // namespace vexav6
