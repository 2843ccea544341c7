#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace vexav6::platform {

namespace af {
inline constexpr uint16_t kUnspec = 0;
inline constexpr uint16_t kInet = 2;
inline constexpr uint16_t kInet6 = 23;
}  // namespace af

// Interface types (IANA ifType) the program meets.
namespace iftype {
inline constexpr uint32_t kOther = 1;
inline constexpr uint32_t kEthernet = 6;
inline constexpr uint32_t kPpp = 23;
inline constexpr uint32_t kSoftwareLoopback = 24;
inline constexpr uint32_t kIeee80211 = 71;
inline constexpr uint32_t kTunnel = 131;
inline constexpr uint32_t kIeee1394 = 144;
}  // namespace iftype

// MIB_IFROW: one interface of the old interface table.
struct MibIfRow {
    std::u16string name;
    uint32_t index = 0;
    uint32_t type = 0;
    uint32_t mtu = 0;
    uint32_t speed = 0;  // bits per second
    uint32_t physAddrLength = 0;
    std::array<uint8_t, 8> physAddr{};
    uint32_t adminStatus = 0;  // 1 up, 2 down, 3 testing
    uint32_t operStatus = 0;   // 0 non-operational ... 5 operational
    uint32_t lastChange = 0;
    uint32_t inOctets = 0;
    uint32_t inUcastPkts = 0;
    uint32_t inNUcastPkts = 0;
    uint32_t inDiscards = 0;
    uint32_t inErrors = 0;
    uint32_t inUnknownProtos = 0;
    uint32_t outOctets = 0;
    uint32_t outUcastPkts = 0;
    uint32_t outNUcastPkts = 0;
    uint32_t outDiscards = 0;
    uint32_t outErrors = 0;
    uint32_t outQLen = 0;
    // bDescr in the system's ANSI code page and dwDescrLen, which counts the terminating zero.
    std::string description;
    uint32_t descriptionLength = 0;
};

// IP_ADDR_STRING: one address of an adapter's list.
struct IpAddrString {
    std::string ipAddress;  // dotted text
    std::string ipMask;
    uint32_t context = 0;  // NTE context
};

// IP_ADAPTER_INFO: one adapter of GetAdaptersInfo, in the list order of the system.
struct IpAdapterInfo {
    uint32_t comboIndex = 0;
    std::string adapterName;  // the configuration GUID text
    std::string description;
    uint32_t addressLength = 0;
    std::array<uint8_t, 8> address{};
    uint32_t index = 0;
    uint32_t type = 0;
    bool dhcpEnabled = false;
    std::vector<IpAddrString> ipAddressList;
    std::vector<IpAddrString> gatewayList;
    IpAddrString dhcpServer;
    int64_t leaseObtained = 0;  // seconds since 1970 (time_t)
    int64_t leaseExpires = 0;
};

// MIB_IPFORWARDROW: an IPv4 route. Addresses are in network byte order (first octet lowest).
struct MibIpForwardRow {
    uint32_t dest = 0;
    uint32_t mask = 0;
    uint32_t policy = 0;
    uint32_t nextHop = 0;
    uint32_t ifIndex = 0;
    uint32_t type = 0;   // 3 direct, 4 indirect
    uint32_t proto = 0;  // 3 network management
    uint32_t age = 0;
    uint32_t nextHopAS = 0;
    uint32_t metric1 = 0;
    uint32_t metric2 = 0;
    uint32_t metric3 = 0;
    uint32_t metric4 = 0;
    uint32_t metric5 = 0;
};

// SOCKADDR_INET: an IPv4 or IPv6 socket address; `family` says which part counts.
struct SockAddrInet {
    uint16_t family = af::kUnspec;
    uint16_t port = 0;
    uint32_t ipv4 = 0;  // network byte order
    uint32_t flowInfo = 0;
    std::array<uint8_t, 16> ipv6{};  // network order
    uint32_t scopeId = 0;

    friend bool operator==(const SockAddrInet&, const SockAddrInet&) = default;
};

// MIB_UNICASTIPADDRESS_ROW.
struct UnicastRow {
    SockAddrInet address;
    uint64_t luid = 0;
    uint32_t ifIndex = 0;
    uint32_t prefixOrigin = 0;
    uint32_t suffixOrigin = 0;
    uint32_t validLifetime = 0;
    uint32_t preferredLifetime = 0;
    uint8_t onLinkPrefixLength = 0;
    bool skipAsSource = false;
    uint32_t dadState = 0;
    uint32_t scopeId = 0;
    int64_t creationTimeStamp = 0;

    friend bool operator==(const UnicastRow&, const UnicastRow&) = default;
};

// IP_ADDRESS_PREFIX.
struct IpAddressPrefix {
    SockAddrInet prefix;
    uint8_t prefixLength = 0;

    friend bool operator==(const IpAddressPrefix&, const IpAddressPrefix&) = default;
};

// MIB_IPFORWARD_ROW2.
struct ForwardRow2 {
    uint64_t luid = 0;
    uint32_t ifIndex = 0;
    IpAddressPrefix destinationPrefix;
    SockAddrInet nextHop;
    uint8_t sitePrefixLength = 0;
    uint32_t validLifetime = 0;
    uint32_t preferredLifetime = 0;
    uint32_t metric = 0;
    uint32_t protocol = 0;
    bool loopback = false;
    bool autoconfigureAddress = false;
    bool publish = false;
    bool immortal = false;
    uint32_t age = 0;
    uint32_t origin = 0;

    friend bool operator==(const ForwardRow2&, const ForwardRow2&) = default;
};

// One unicast address of an IP_ADAPTER_ADDRESSES record. The record versions of older systems are
// shorter; `hasOnLinkPrefixLength` is false when the entry was too short to carry the length.
struct AdapterUnicastAddress {
    SockAddrInet address;
    bool hasOnLinkPrefixLength = false;
    uint8_t onLinkPrefixLength = 0;
};

// IP_ADAPTER_ADDRESSES, the parts the program reads.
struct AdapterAddresses {
    uint32_t ifIndex = 0;
    uint32_t ipv6IfIndex = 0;
    std::string adapterName;
    uint32_t ifType = 0;
    bool hasLuid = false;  // false when the record was too short to hold one
    uint64_t luid = 0;
    std::vector<AdapterUnicastAddress> unicastAddresses;
};

// IP_ADAPTER_INDEX_MAP: one entry of GetInterfaceInfo.
struct IpAdapterIndexMap {
    uint32_t index = 0;
    std::u16string name;  // "\DEVICE\TCPIP_{GUID}"
};

// The IP Helper calls the program uses, answering Win32 status codes. Tables come back as typed
// records instead of the raw buffers of the real calls; the Windows back-end converts them, keeping
// every field and the list order. The size-query round of the real calls is the back-end's
// business: a table call answers 0 with the table, or the code of the failure (232 when there is no
// data).
class IpHelperApi {
  public:
    virtual ~IpHelperApi() = default;

    // `adapterName` is the wide name "\DEVICE\TCPIP_{GUID}"; 55 when no such interface exists now.
    virtual Status GetAdapterIndex(std::u16string_view adapterName, uint32_t& index) = 0;
    virtual Status ConvertInterfaceIndexToLuid(uint32_t index, uint64_t& luid) = 0;
    // Fills the row whose index is `row.index`.
    virtual Status GetIfEntry(MibIfRow& row) = 0;

    virtual Status GetAdaptersInfo(std::vector<IpAdapterInfo>& adapters) = 0;
    virtual Status GetIpForwardTable(std::vector<MibIpForwardRow>& rows) = 0;
    virtual Status GetUnicastIpAddressTable(uint16_t family, std::vector<UnicastRow>& rows) = 0;
    virtual Status GetIpForwardTable2(uint16_t family, std::vector<ForwardRow2>& rows) = 0;
    virtual Status GetAdaptersAddresses(uint32_t family, uint32_t flags,
                                        std::vector<AdapterAddresses>& adapters) = 0;
    virtual Status GetInterfaceInfo(std::vector<IpAdapterIndexMap>& adapters) = 0;

    virtual Status IpReleaseAddress(const IpAdapterIndexMap& adapter) = 0;
    virtual Status IpRenewAddress(const IpAdapterIndexMap& adapter) = 0;

    virtual Status AddIPAddress(uint32_t address, uint32_t mask, uint32_t ifIndex,
                                uint32_t& nteContext, uint32_t& nteInstance) = 0;
    virtual Status DeleteIPAddress(uint32_t nteContext) = 0;
    virtual Status CreateIpForwardEntry(const MibIpForwardRow& row) = 0;
    virtual Status DeleteIpForwardEntry(const MibIpForwardRow& row) = 0;

    virtual void InitializeUnicastIpAddressEntry(UnicastRow& row) = 0;
    virtual Status CreateUnicastIpAddressEntry(const UnicastRow& row) = 0;
    virtual Status DeleteUnicastIpAddressEntry(const UnicastRow& row) = 0;
    virtual void InitializeIpForwardEntry(ForwardRow2& row) = 0;
    virtual Status CreateIpForwardEntry2(const ForwardRow2& row) = 0;
    virtual Status DeleteIpForwardEntry2(const ForwardRow2& row) = 0;
};

}  // namespace vexav6::platform
