#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/keyed_collection.h"
#include "ipconfig/ip_config_owner.h"

namespace vexav6 {

// The static IPv6 DNS servers of one adapter in preference order, stored as "NameServer" of the
// adapter's TCP/IPv6 interface key.
class IPv6NameServers {
  public:
    using List = KeyedCollection<std::string>;

    // A second call fails with error 1 "Init already done".
    void Init(const std::string& netCfgInstanceId, const List& ipv6NameServers,
              IpConfigOwner* adapter);

    // Appends the server and stores the list; when storing fails the list is as before.
    void Add(const std::string& nameServer);
    // Appends every server and stores the list; a server already listed or a failed write leaves
    // the list as before.
    void AddRange(const List& ipv6NameServers);
    // Unlists the server (by text or 1-based position) and stores the list. When storing fails the
    // server is listed again, at the end.
    void Remove(const CollectionIndex& index);
    // Stores an empty value and empties the list.
    void RemoveAll();
    bool Exists(std::string_view nameServer) const;
    int32_t Count() const { return list_.Count(); }
    const std::string& Item(const CollectionIndex& index) const { return list_.Item(index); }
    const List& Items() const { return list_; }

    // Stores all servers of `ipv6NameServers` joined by "," (an empty list stores empty text). On
    // success the given list becomes this object's list.
    void WriteNameServers(const List& ipv6NameServers);

  private:
    std::string netCfgInstanceId_;
    IpConfigOwner* adapter_ = nullptr;
    bool initDone_ = false;
    List list_;
};

}  // namespace vexav6
