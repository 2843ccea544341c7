#pragma once

#include <cstdint>
#include <string>

#include "ipconfig/ip_config_owner.h"

namespace vexav6 {

// One static IPv4 address of an adapter with its subnet mask. Adding or removing it changes the
// running interface through the IP Helper interface when the adapter can take it, and, when asked
// to persist, the address lists under the adapter's TCP/IP interface key.
class IPv4Address {
  public:
    // Empty address or mask text becomes "0.0.0.0". `nteContext` is the context of the address in
    // the running interface, 0 when it is not known to be live. A second call fails with error 1
    // "Init already done".
    void Init(const std::string& ipAddress, const std::string& subnetMask, int32_t nteContext,
              int32_t ifIndex, const std::string& netCfgInstanceId, IpConfigOwner* adapter);

    const std::string& IPAddress() const { return ipAddress_; }
    const std::string& SubnetMask() const { return subnetMask_; }
    IpConfigOwner* Adapter() const { return adapter_; }

    // Used by IPv4Addresses.
    int32_t NTEContext() const { return nteContext_; }
    int32_t IfIndex() const { return ifIndex_; }
    const std::string& NetCfgInstanceId() const { return netCfgInstanceId_; }

    // Live only when the device is enabled and its interface operational; the stored lists when
    // `persistent` (after a successful live change, or instead of it).
    void Add(bool persistent);
    // Live when the device is enabled; the stored lists when `persistent`.
    void Remove(bool persistent);
    // Puts the address into the stored lists (a free slot, its own slot, or the end).
    void AddIPInRegistry();
    // Takes every stored copy of the address out of the stored lists.
    void RemoveIPFromRegistry();

  private:
    std::string ipAddress_;
    std::string subnetMask_;
    int32_t nteContext_ = 0;
    int32_t ifIndex_ = 0;
    std::string netCfgInstanceId_;
    IpConfigOwner* adapter_ = nullptr;
    bool initDone_ = false;
};

}  // namespace vexav6
