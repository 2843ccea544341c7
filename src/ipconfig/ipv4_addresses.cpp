#include "ipconfig/ipv4_addresses.h"

#include "ipconfig/ip_config_support.h"

namespace vexav6 {

void IPv4Addresses::Init(int32_t ifIndex, const std::string& netCfgInstanceId,
                         const List& ipv4Addresses, IpConfigOwner* adapter) {
    IpConfigSupport::CheckNotInitialised(initDone_, "IPv4Addresses.Init");
    ifIndex_ = ifIndex;
    netCfgInstanceId_ = netCfgInstanceId;
    list_ = ipv4Addresses;
    adapter_ = adapter;
    initDone_ = true;
}

void IPv4Addresses::Add(const std::string& ipAddress, const std::string& subnetMask,
                        bool persistent) {
    auto address = std::make_shared<IPv4Address>();
    address->Init(ipAddress, subnetMask, 0, ifIndex_, netCfgInstanceId_, adapter_);
    address->Add(persistent);
    list_.Add(address, address->IPAddress());
}

void IPv4Addresses::AddRange(const List& ipv4Addresses, bool persistent) {
    // A copy: the caller may hand in this collection's own list.
    const List addresses = ipv4Addresses;
    for (const auto& address : addresses) {
        Add(address->IPAddress(), address->SubnetMask(), persistent);
    }
}

std::shared_ptr<IPv4Address> IPv4Addresses::Remove(const CollectionIndex& index, bool persistent) {
    std::shared_ptr<IPv4Address> address = list_.Item(index);
    address->Remove(persistent);
    list_.Remove(index);
    return address;
}

void IPv4Addresses::RemoveAll(bool persistent) {
    for (const auto& address : list_) {
        address->Remove(persistent);
    }
    list_.Clear();
}

bool IPv4Addresses::Exists(std::string_view ipAddress, std::string_view subnetMask) const {
    for (const auto& address : list_) {
        if (address->IPAddress() == ipAddress && address->SubnetMask() == subnetMask) {
            return true;
        }
    }
    return false;
}

}  // namespace vexav6
