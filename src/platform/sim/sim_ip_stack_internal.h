#pragma once

// What the parts of the simulated IP stack share: registry paths, the numbers of the IP Helper
// records and the address helpers. Only the sim_ip_stack*.cpp files include it.

#include <algorithm>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/sim/sim_ip_stack.h"
#include "platform/sim/sim_net_text.h"
#include "platform/sim/sim_registry.h"

namespace vexav6::sim::ipstack {

namespace status = platform::status;
using platform::ForwardRow2;
using platform::RootKey;
using platform::Status;
using platform::UnicastRow;
using Ipv6Bytes = nettext::Ipv6Bytes;

constexpr RootKey kHklm = RootKey::LocalMachine;
constexpr const char* kTcpipInterfaces =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
constexpr const char* kTcpip6Interfaces =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Parameters\\Interfaces\\";
constexpr const char* kTcpipLinkage = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Linkage";
constexpr const char* kTcpip6Linkage = "SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Linkage";
constexpr const char* kPersistentRoutes =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\PersistentRoutes";
constexpr const char* kNsiIpv6 =
    "SYSTEM\\CurrentControlSet\\Control\\Nsi\\{eb004a01-9b1a-11d4-9123-0050047759bc}\\";
constexpr const char* kTimeZone = "SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
constexpr const char* kAdapterNamePrefix = "\\DEVICE\\TCPIP_";

constexpr uint32_t kInfinite = 0xFFFFFFFF;
constexpr uint8_t kUnsetLength = 0xFF;
// Origins of NL_PREFIX_ORIGIN / NL_SUFFIX_ORIGIN.
constexpr uint32_t kOriginManual = 1;
constexpr uint32_t kOriginWellKnown = 2;
constexpr uint32_t kOriginDhcp = 3;
constexpr uint32_t kPrefixOriginRouterAdvertisement = 4;
constexpr uint32_t kSuffixOriginLinkLayer = 4;
constexpr uint32_t kOriginUnchanged = 16;
constexpr uint32_t kDadPreferred = 4;
constexpr uint32_t kProtoLocal = 2;
constexpr uint32_t kProtoNetMgmt = 3;
constexpr uint32_t kRouteTypeDirect = 3;
constexpr uint32_t kRouteTypeIndirect = 4;
constexpr uint32_t kDefaultIpv6RouteMetric = 256;

inline uint32_t Le32(const std::vector<uint8_t>& data, size_t offset) {
    if (data.size() < offset + 4) {
        return 0;
    }
    return static_cast<uint32_t>(data[offset]) | (static_cast<uint32_t>(data[offset + 1]) << 8) |
           (static_cast<uint32_t>(data[offset + 2]) << 16) |
           (static_cast<uint32_t>(data[offset + 3]) << 24);
}

// A registry list as TCP/IP reads it: the data split at zero characters, ending at the first empty
// entry, whatever the value's type.
inline std::vector<std::string> ReadList(const SimRegistry& registry, const std::string& path,
                                         std::string_view name) {
    return registry.GetMultiString(kHklm, path, name).value_or(std::vector<std::string>{});
}

inline bool IsBound(const SimRegistry& registry, const char* linkageKey, const std::string& guid) {
    const std::string device = "\\Device\\" + guid;
    for (const std::string& entry : ReadList(registry, linkageKey, "Bind")) {
        if (text::EqualsIgnoreCase(entry, device)) {
            return true;
        }
    }
    return false;
}

inline int MaskLength(uint32_t mask) {
    int length = 0;
    for (uint32_t host = nettext::HostOrder(mask); host & 0x80000000u; host <<= 1) {
        ++length;
    }
    return length;
}

inline Ipv6Bytes MaskPrefix(const Ipv6Bytes& address, int length) {
    Ipv6Bytes result{};
    for (int i = 0; i < 16; ++i) {
        const int bits = std::clamp(length - 8 * i, 0, 8);
        const auto mask = static_cast<uint8_t>(bits == 0 ? 0 : 0xFF << (8 - bits));
        result[i] = address[i] & mask;
    }
    return result;
}

inline Ipv6Bytes Eui64Address(const Ipv6Bytes& prefix, const SimIpStack::Mac& mac) {
    Ipv6Bytes result = prefix;
    result[8] = mac[0] ^ 0x02;
    result[9] = mac[1];
    result[10] = mac[2];
    result[11] = 0xFF;
    result[12] = 0xFE;
    result[13] = mac[3];
    result[14] = mac[4];
    result[15] = mac[5];
    return result;
}

inline bool IsZero(const Ipv6Bytes& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

inline bool IsLinkLocal(const Ipv6Bytes& bytes) {
    return bytes[0] == 0xFE && (bytes[1] & 0xC0) == 0x80;
}

inline bool IsLoopbackV6(const Ipv6Bytes& bytes) {
    Ipv6Bytes loopback{};
    loopback[15] = 1;
    return bytes == loopback;
}

inline platform::SockAddrInet Inet6(const Ipv6Bytes& bytes) {
    platform::SockAddrInet address;
    address.family = platform::af::kInet6;
    address.ipv6 = bytes;
    return address;
}

inline platform::SockAddrInet Inet4(uint32_t address) {
    platform::SockAddrInet result;
    result.family = platform::af::kInet;
    result.ipv4 = address;
    return result;
}

// A unicast IPv4 address an interface may carry (not 0.0.0.0, loopback, multicast or class E).
inline Status CheckUnicastIpv4(uint32_t address, uint32_t mask, bool loopbackInterface) {
    const uint32_t host = nettext::HostOrder(address);
    if (host == 0xFFFFFFFF) {
        return status::kGenFailure;
    }
    if (host == 0 || host >= 0xE0000000 || (((host >> 24) == 127) != loopbackInterface) ||
        !nettext::IsContiguousMask(mask)) {
        return status::kInvalidParameter;
    }
    const uint32_t hostMask = nettext::HostOrder(mask);
    if (hostMask != 0 && hostMask < 0xFFFFFFFE && (host & ~hostMask) == ~hostMask) {
        return status::kGenFailure;  // the subnet's broadcast address
    }
    return status::kSuccess;
}

inline bool IsIpFamily(uint16_t family) {
    return family == platform::af::kInet || family == platform::af::kInet6;
}

inline std::string AdapterName(const std::string& guid) {
    return kAdapterNamePrefix + guid;
}

inline bool SameIpv6Route(const ForwardRow2& a, const ForwardRow2& b) {
    return a.destinationPrefix.prefix.ipv6 == b.destinationPrefix.prefix.ipv6 &&
           a.destinationPrefix.prefixLength == b.destinationPrefix.prefixLength &&
           a.nextHop.ipv6 == b.nextHop.ipv6;
}

}  // namespace vexav6::sim::ipstack
