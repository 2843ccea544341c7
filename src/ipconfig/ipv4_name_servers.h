#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/keyed_collection.h"
#include "ipconfig/ip_config_owner.h"

namespace vexav6 {

// The static IPv4 DNS servers of one adapter in preference order. They are only stored (value
// "NameServer" of the TCP/IP interface key); Windows picks them up itself.
class IPv4NameServers {
  public:
    using List = KeyedCollection<std::string>;

    // A second call fails with error 1 "Init already done".
    void Init(const std::string& netCfgInstanceId, const List& ipv4NameServers,
              IpConfigOwner* adapter);

    // Appends the server and stores the list; when storing fails the list is as before.
    void Add(const std::string& nameServer);
    // Appends every server and stores the list; a server already listed or a failed write leaves
    // the list as before.
    void AddRange(const List& ipv4NameServers);
    // Stores an empty value and empties the list.
    void RemoveAll();
    bool Exists(std::string_view nameServer) const;
    int32_t Count() const { return list_.Count(); }
    const std::string& Item(const CollectionIndex& index) const { return list_.Item(index); }
    const List& Items() const { return list_; }

    // Stores the servers of `ipv4NameServers` other than "0.0.0.0", joined by ","; an empty result
    // is stored as "0.0.0.0" unless `dontAddPlaceHolderIP`. On success the given list (placeholders
    // included) becomes this object's list.
    void WriteNameServers(const List& ipv4NameServers, bool dontAddPlaceHolderIP);

  private:
    std::string netCfgInstanceId_;
    IpConfigOwner* adapter_ = nullptr;
    bool initDone_ = false;
    List list_;
};

}  // namespace vexav6
