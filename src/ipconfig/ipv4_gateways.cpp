#include "ipconfig/ipv4_gateways.h"

#include "ipconfig/ip_config_support.h"

namespace vexav6 {

void IPv4Gateways::Init(int32_t ifIndex, int32_t ifMetric, const std::string& netCfgInstanceId,
                        const List& ipv4Gateways, IpConfigOwner* adapter) {
    IpConfigSupport::CheckNotInitialised(initDone_, "IPv4Gatewayes.Init");
    ifIndex_ = ifIndex;
    ifMetric_ = ifMetric;
    netCfgInstanceId_ = netCfgInstanceId;
    list_ = ipv4Gateways;
    adapter_ = adapter;
    initDone_ = true;
}

void IPv4Gateways::Add(const std::string& gateway, int32_t metric, bool persistent) {
    auto item = std::make_shared<IPv4Gateway>();
    item->Init(gateway, metric, ifIndex_, netCfgInstanceId_, ifMetric_, adapter_);
    item->Add(persistent);
    list_.Add(item, item->Gateway());
}

void IPv4Gateways::AddRange(const List& ipv4Gateways, bool persistent) {
    // A copy: the caller may hand in this collection's own list.
    const List gateways = ipv4Gateways;
    for (const auto& gateway : gateways) {
        Add(gateway->Gateway(), gateway->Metric(), persistent);
    }
}

std::shared_ptr<IPv4Gateway> IPv4Gateways::Remove(const CollectionIndex& index, bool persistent) {
    std::shared_ptr<IPv4Gateway> gateway = list_.Item(index);
    gateway->Remove(persistent);
    list_.Remove(index);
    return gateway;
}

void IPv4Gateways::RemoveAll(bool persistent) {
    for (const auto& gateway : list_) {
        gateway->Remove(persistent);
    }
    list_.Clear();
}

bool IPv4Gateways::Exists(std::string_view gateway, int32_t metric) const {
    for (const auto& item : list_) {
        if (item->Gateway() == gateway && item->Metric() == metric) {
            return true;
        }
    }
    return false;
}

void IPv4Gateways::RemoveAllPersistentRoutes() {
    for (const auto& gateway : list_) {
        gateway->DeletePersistentRoute();
    }
}

}  // namespace vexav6
