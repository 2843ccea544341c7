#include "ipconfig/ipv4_name_servers.h"

#include <vector>

#include "base/text.h"
#include "ipconfig/ip_config_support.h"
#include "system/registry.h"
#include "system/system_error.h"

namespace vexav6 {

void IPv4NameServers::Init(const std::string& netCfgInstanceId, const List& ipv4NameServers,
                           IpConfigOwner* adapter) {
    IpConfigSupport::CheckNotInitialised(initDone_, "IPv4NameServers.Init");
    netCfgInstanceId_ = netCfgInstanceId;
    list_ = ipv4NameServers;
    adapter_ = adapter;
    initDone_ = true;
}

// The list changes only through WriteNameServers, so it never differs from what was stored: a
// server already listed fails on the copy, and a failed write leaves the list alone.
void IPv4NameServers::Add(const std::string& nameServer) {
    List servers = list_;
    servers.Add(nameServer, nameServer);
    WriteNameServers(servers, false);
}

void IPv4NameServers::AddRange(const List& ipv4NameServers) {
    List servers = list_;
    for (const std::string& server : ipv4NameServers) {
        servers.Add(server, server);
    }
    WriteNameServers(servers, false);
}

void IPv4NameServers::RemoveAll() {
    WriteNameServers(List(), true);
}

bool IPv4NameServers::Exists(std::string_view nameServer) const {
    for (const std::string& server : list_) {
        if (server == nameServer) {
            return true;
        }
    }
    return false;
}

void IPv4NameServers::WriteNameServers(const List& ipv4NameServers, bool dontAddPlaceHolderIP) {
    constexpr const char* kSource = "IPv4NameServers.WriteNameServers";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    std::vector<std::string> servers;
    for (const std::string& server : ipv4NameServers) {
        if (server != "0.0.0.0") {
            servers.push_back(server);
        }
    }
    std::string value = text::Join(servers, ",");
    if (value.empty() && !dontAddPlaceHolderIP) {
        value = "0.0.0.0";
    }
    value += '\0';
    ThrowIfFailed(platform,
                  Registry::WriteStringValue(platform, platform::RootKey::LocalMachine,
                                             IpConfigSupport::Ipv4InterfaceKey(netCfgInstanceId_),
                                             "NameServer", value, platform::regtype::kSz),
                  kSource);
    if (&ipv4NameServers != &list_) {
        list_ = ipv4NameServers;
    }
}

}  // namespace vexav6
