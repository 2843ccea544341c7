#pragma once

#include "platform/ip_helper_api.h"

namespace vexav6::sim {

// The IP stack of the simulated machine: its interfaces and their IPv4/IPv6 configuration.
class SimIpStack : public platform::IpHelperApi {
public:
    using Status = platform::Status;

    Status GetAdapterIndex(std::u16string_view adapterName, uint32_t& index) override;
    Status ConvertInterfaceIndexToLuid(uint32_t index, uint64_t& luid) override;
    Status GetIfEntry(platform::MibIfRow& row) override;
    Status GetAdaptersInfo(std::vector<platform::IpAdapterInfo>& adapters) override;
    Status GetIpForwardTable(std::vector<platform::MibIpForwardRow>& rows) override;
    Status GetUnicastIpAddressTable(uint16_t family, std::vector<platform::UnicastRow>& rows) override;
    Status GetIpForwardTable2(uint16_t family, std::vector<platform::ForwardRow2>& rows) override;
    Status GetAdaptersAddresses(uint32_t family, uint32_t flags,
                                std::vector<platform::AdapterAddresses>& adapters) override;
    Status GetInterfaceInfo(std::vector<platform::IpAdapterIndexMap>& adapters) override;
    Status IpReleaseAddress(const platform::IpAdapterIndexMap& adapter) override;
    Status IpRenewAddress(const platform::IpAdapterIndexMap& adapter) override;
    Status AddIPAddress(uint32_t address, uint32_t mask, uint32_t ifIndex, uint32_t& nteContext,
                        uint32_t& nteInstance) override;
    Status DeleteIPAddress(uint32_t nteContext) override;
    Status CreateIpForwardEntry(const platform::MibIpForwardRow& row) override;
    Status DeleteIpForwardEntry(const platform::MibIpForwardRow& row) override;
    void InitializeUnicastIpAddressEntry(platform::UnicastRow& row) override;
    Status CreateUnicastIpAddressEntry(const platform::UnicastRow& row) override;
    Status DeleteUnicastIpAddressEntry(const platform::UnicastRow& row) override;
    void InitializeIpForwardEntry(platform::ForwardRow2& row) override;
    Status CreateIpForwardEntry2(const platform::ForwardRow2& row) override;
    Status DeleteIpForwardEntry2(const platform::ForwardRow2& row) override;
};

}  // namespace vexav6::sim
