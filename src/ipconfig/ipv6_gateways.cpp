#include "ipconfig/ipv6_gateways.h"

#include "ipconfig/ip_config_support.h"
#include "ipconfig/ipv6_support.h"

namespace vexav6 {

void IPv6Gateways::Init(int32_t ifIndex, uint64_t luid, const std::string& netCfgInstanceId,
                        const List& ipv6Gateways, IpConfigOwner* adapter) {
    IpConfigSupport::CheckNotInitialised(initDone_, "IPv6Gatewayes.Init");
    ifIndex_ = ifIndex;
    luid_ = luid;
    netCfgInstanceId_ = netCfgInstanceId;
    list_ = ipv6Gateways;
    adapter_ = adapter;
    initDone_ = true;
}

void IPv6Gateways::Add(const std::string& nextHop, int32_t metric, bool persistent) {
    const auto bytes = IPv6Support::IPv6TextToBytes(IPv6Support::ExpandIPv6Text(nextHop));
    auto gateway = std::make_shared<IPv6Gateway>();
    gateway->Init(bytes, metric, ifIndex_, luid_, adapter_);
    gateway->Add(persistent);
    list_.Add(gateway, gateway->NextHop());
}

void IPv6Gateways::AddRange(const List& ipv6Gateways, bool persistent) {
    // A copy: the caller may hand in this collection's own list.
    const List gateways = ipv6Gateways;
    for (const auto& gateway : gateways) {
        Add(gateway->NextHop(), gateway->Metric(), persistent);
    }
}

std::shared_ptr<IPv6Gateway> IPv6Gateways::Remove(const CollectionIndex& index, bool persistent) {
    std::shared_ptr<IPv6Gateway> gateway = list_.Item(index);
    gateway->Remove(persistent);
    list_.Remove(index);
    return gateway;
}

void IPv6Gateways::RemoveAll(bool persistent) {
    for (const auto& gateway : list_) {
        gateway->Remove(persistent);
    }
    list_.Clear();
}

bool IPv6Gateways::Exists(std::string_view nextHop, int32_t metric) const {
    for (const auto& gateway : list_) {
        if (gateway->NextHop() == nextHop && gateway->Metric() == metric) {
            return true;
        }
    }
    return false;
}

}  // namespace vexav6
