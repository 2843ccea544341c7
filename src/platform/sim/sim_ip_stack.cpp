#include "platform/sim/sim_ip_stack.h"

namespace vexav6::sim {

namespace status = platform::status;
using platform::Status;

// A stack without interfaces.
Status SimIpStack::GetAdapterIndex(std::u16string_view, uint32_t&) { return status::kDevNotExist; }
Status SimIpStack::ConvertInterfaceIndexToLuid(uint32_t, uint64_t&) { return status::kFileNotFound; }
Status SimIpStack::GetIfEntry(platform::MibIfRow&) { return status::kInvalidData; }
Status SimIpStack::GetAdaptersInfo(std::vector<platform::IpAdapterInfo>&) { return status::kNoData; }
Status SimIpStack::GetIpForwardTable(std::vector<platform::MibIpForwardRow>&) { return status::kNoData; }
Status SimIpStack::GetUnicastIpAddressTable(uint16_t, std::vector<platform::UnicastRow>& rows) {
    rows.clear();
    return status::kSuccess;
}
Status SimIpStack::GetIpForwardTable2(uint16_t, std::vector<platform::ForwardRow2>& rows) {
    rows.clear();
    return status::kSuccess;
}
Status SimIpStack::GetAdaptersAddresses(uint32_t, uint32_t, std::vector<platform::AdapterAddresses>&) {
    return status::kNoData;
}
Status SimIpStack::GetInterfaceInfo(std::vector<platform::IpAdapterIndexMap>& adapters) {
    adapters.clear();
    return status::kSuccess;
}
Status SimIpStack::IpReleaseAddress(const platform::IpAdapterIndexMap&) { return status::kInvalidParameter; }
Status SimIpStack::IpRenewAddress(const platform::IpAdapterIndexMap&) { return status::kInvalidParameter; }
Status SimIpStack::AddIPAddress(uint32_t, uint32_t, uint32_t, uint32_t&, uint32_t&) {
    return status::kInvalidParameter;
}
Status SimIpStack::DeleteIPAddress(uint32_t) { return status::kInvalidParameter; }
Status SimIpStack::CreateIpForwardEntry(const platform::MibIpForwardRow&) { return status::kInvalidParameter; }
Status SimIpStack::DeleteIpForwardEntry(const platform::MibIpForwardRow&) { return status::kInvalidParameter; }
void SimIpStack::InitializeUnicastIpAddressEntry(platform::UnicastRow& row) { row = platform::UnicastRow{}; }
Status SimIpStack::CreateUnicastIpAddressEntry(const platform::UnicastRow&) { return status::kNotFound; }
Status SimIpStack::DeleteUnicastIpAddressEntry(const platform::UnicastRow&) { return status::kNotFound; }
void SimIpStack::InitializeIpForwardEntry(platform::ForwardRow2& row) { row = platform::ForwardRow2{}; }
Status SimIpStack::CreateIpForwardEntry2(const platform::ForwardRow2&) { return status::kNotFound; }
Status SimIpStack::DeleteIpForwardEntry2(const platform::ForwardRow2&) { return status::kNotFound; }

}  // namespace vexav6::sim
