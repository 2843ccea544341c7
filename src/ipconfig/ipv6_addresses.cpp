#include "ipconfig/ipv6_addresses.h"

#include "ipconfig/ip_config_support.h"
#include "ipconfig/ipv6_support.h"

namespace vexav6 {

void IPv6Addresses::Init(int32_t ifIndex, uint64_t luid, const List& ipv6Addresses,
                         IpConfigOwner* adapter) {
    IpConfigSupport::CheckNotInitialised(initDone_, "IPv6Addresses.Init");
    ifIndex_ = ifIndex;
    luid_ = luid;
    list_ = ipv6Addresses;
    adapter_ = adapter;
    initDone_ = true;
}

void IPv6Addresses::Add(const std::string& ipAddress, uint8_t onLinkPrefixLength, bool persistent) {
    const auto bytes = IPv6Support::IPv6TextToBytes(IPv6Support::ExpandIPv6Text(ipAddress));
    auto address = std::make_shared<IPv6Address>();
    address->Init(bytes, onLinkPrefixLength, ifIndex_, luid_, adapter_);
    address->Add(persistent);
    list_.Add(address, address->IPAddress());
}

void IPv6Addresses::AddRange(const List& ipv6Addresses, bool persistent) {
    // A copy: the caller may hand in this collection's own list.
    const List addresses = ipv6Addresses;
    for (const auto& address : addresses) {
        Add(address->IPAddress(), address->OnLinkPrefixLength(), persistent);
    }
}

std::shared_ptr<IPv6Address> IPv6Addresses::Remove(const CollectionIndex& index, bool persistent) {
    std::shared_ptr<IPv6Address> address = list_.Item(index);
    address->Remove(persistent);
    list_.Remove(index);
    return address;
}

void IPv6Addresses::RemoveAll(bool persistent) {
    for (const auto& address : list_) {
        address->Remove(persistent);
    }
    list_.Clear();
}

bool IPv6Addresses::Exists(std::string_view ipAddress, uint8_t onLinkPrefixLength) const {
    for (const auto& address : list_) {
        if (address->IPAddress() == ipAddress &&
            address->OnLinkPrefixLength() == onLinkPrefixLength) {
            return true;
        }
    }
    return false;
}

}  // namespace vexav6
