#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/keyed_collection.h"
#include "ipconfig/ip_config_owner.h"
#include "ipconfig/ipv4_address.h"

namespace vexav6 {

// The static IPv4 addresses of one adapter, keyed by address text in the order found or added.
class IPv4Addresses {
  public:
    using List = KeyedCollection<std::shared_ptr<IPv4Address>>;

    // Takes the items that discovery found. A second call fails with error 1 "Init already done".
    void Init(int32_t ifIndex, const std::string& netCfgInstanceId, const List& ipv4Addresses,
              IpConfigOwner* adapter);

    // Makes a new address of this adapter, adds it (live and/or stored) and lists it. A failing
    // add leaves the list as it was; an address already listed fails with the list's error after
    // the add was made.
    void Add(const std::string& ipAddress, const std::string& subnetMask, bool persistent);
    // Add for every item of `ipv4Addresses` in order; the first error stops and is passed on.
    void AddRange(const List& ipv4Addresses, bool persistent);
    // Removes the item (by address text or 1-based position) and, once that succeeded, unlists it.
    std::shared_ptr<IPv4Address> Remove(const CollectionIndex& index, bool persistent);
    // Removes every item in order; the list is emptied only when all of them succeeded.
    void RemoveAll(bool persistent);
    // Some item has exactly this address and mask text.
    bool Exists(std::string_view ipAddress, std::string_view subnetMask) const;
    int32_t Count() const { return list_.Count(); }
    std::shared_ptr<IPv4Address> Item(const CollectionIndex& index) const {
        return list_.Item(index);
    }
    const List& Items() const { return list_; }

  private:
    int32_t ifIndex_ = 0;
    std::string netCfgInstanceId_;
    IpConfigOwner* adapter_ = nullptr;
    bool initDone_ = false;
    List list_;
};

}  // namespace vexav6
