#include "ipconfig/ipv6_name_servers.h"

#include <vector>

#include "base/text.h"
#include "ipconfig/ip_config_support.h"
#include "system/registry.h"
#include "system/system_error.h"

namespace vexav6 {

void IPv6NameServers::Init(const std::string& netCfgInstanceId, const List& ipv6NameServers,
                           IpConfigOwner* adapter) {
    IpConfigSupport::CheckNotInitialised(initDone_, "IPv6NameServers.Init");
    netCfgInstanceId_ = netCfgInstanceId;
    list_ = ipv6NameServers;
    adapter_ = adapter;
    initDone_ = true;
}

// A server already listed fails on the copy and a failed write leaves the list alone, so the list
// keeps what was stored.
void IPv6NameServers::Add(const std::string& nameServer) {
    List servers = list_;
    servers.Add(nameServer, nameServer);
    WriteNameServers(servers);
}

void IPv6NameServers::AddRange(const List& ipv6NameServers) {
    List servers = list_;
    for (const std::string& server : ipv6NameServers) {
        servers.Add(server, server);
    }
    WriteNameServers(servers);
}

void IPv6NameServers::Remove(const CollectionIndex& index) {
    // An index that is not listed fails here, before anything changed.
    const std::string removed = list_.Item(index);
    list_.Remove(index);
    try {
        WriteNameServers(list_);
    } catch (...) {
        // Listed again, at the end, so that the list still shows every stored server.
        list_.Add(removed, removed);
        throw;
    }
}

void IPv6NameServers::RemoveAll() {
    WriteNameServers(List());
}

bool IPv6NameServers::Exists(std::string_view nameServer) const {
    for (const std::string& server : list_) {
        if (server == nameServer) {
            return true;
        }
    }
    return false;
}

void IPv6NameServers::WriteNameServers(const List& ipv6NameServers) {
    constexpr const char* kSource = "IPv6NameServers.WriteNameServers";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    std::vector<std::string> servers(ipv6NameServers.begin(), ipv6NameServers.end());
    std::string value = text::Join(servers, ",");
    value += '\0';
    ThrowIfFailed(platform,
                  Registry::WriteStringValue(platform, platform::RootKey::LocalMachine,
                                             IpConfigSupport::Ipv6InterfaceKey(netCfgInstanceId_),
                                             "NameServer", value, platform::regtype::kSz),
                  kSource);
    if (&ipv6NameServers != &list_) {
        list_ = ipv6NameServers;
    }
}

}  // namespace vexav6
