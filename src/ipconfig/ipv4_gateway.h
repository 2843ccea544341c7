#pragma once

#include <cstdint>
#include <string>

#include "ipconfig/ip_config_owner.h"

namespace vexav6 {

// One IPv4 default gateway of an adapter with its metric. Live as a default route of the
// interface; stored in the gateway lists of the TCP/IP interface key and as a persistent route.
class IPv4Gateway {
  public:
    // Empty gateway text becomes "0.0.0.0"; a metric below 1 is kept as 0 (no metric of its own).
    // `ifMetric` is the interface metric stored for the adapter. A second call fails with error 1
    // "Init already done".
    void Init(const std::string& gateway, int32_t metric, int32_t ifIndex,
              const std::string& netCfgInstanceId, int32_t ifMetric, IpConfigOwner* adapter);

    const std::string& Gateway() const { return gateway_; }
    int32_t Metric() const { return metric_; }
    IpConfigOwner* Adapter() const { return adapter_; }

    // Used by IPv4Gateways.
    int32_t IfIndex() const { return ifIndex_; }
    int32_t IfMetric() const { return ifMetric_; }
    const std::string& NetCfgInstanceId() const { return netCfgInstanceId_; }

    // Live when the device is enabled; stored when `persistent`.
    void Add(bool persistent);
    void Remove(bool persistent);
    // Stored gateway lists plus the persistent default route through the gateway.
    void AddGatewayInRegistry();
    void RemoveGatewayFromRegistry();
    // Deletes every persistent default route through the gateway, whatever its metric.
    void DeletePersistentRoute();

    // The metric a live route through this gateway gets: its own, else the interface's, else 30.
    uint32_t RouteMetric() const;
    // The name of the persistent default route value for this gateway and metric.
    std::string PersistentRouteName() const;

  private:
    std::string gateway_;
    int32_t metric_ = 0;
    int32_t ifIndex_ = 0;
    std::string netCfgInstanceId_;
    int32_t ifMetric_ = 0;
    IpConfigOwner* adapter_ = nullptr;
    bool initDone_ = false;
};

}  // namespace vexav6
