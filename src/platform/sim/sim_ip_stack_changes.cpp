#include "platform/sim/sim_ip_stack.h"

#include <algorithm>
#include <cmath>

#include "platform/sim/sim_ip_stack_internal.h"
#include "platform/sim/virtual_clock.h"

namespace vexav6::sim {

using namespace ipstack;

// --- DHCPv4 ---

Status SimIpStack::IpReleaseAddress(const platform::IpAdapterIndexMap& adapter) {
    if (const auto refused = Preamble(Call::IpReleaseAddress, true, status::kAccessDenied)) {
        return *refused;
    }
    Interface* iface = FindRunningByName(adapter.name);
    if (iface == nullptr || !iface->dhcpEnabled) {
        return status::kInvalidParameter;
    }
    if (iface->lease && !iface->lease->released) {
        ReleaseLease(*iface);
    }
    return status::kSuccess;
}

Status SimIpStack::IpRenewAddress(const platform::IpAdapterIndexMap& adapter) {
    if (const auto refused = Preamble(Call::IpRenewAddress, true, status::kAccessDenied)) {
        return *refused;
    }
    Interface* iface = FindRunningByName(adapter.name);
    if (iface == nullptr || !iface->dhcpEnabled) {
        return status::kInvalidParameter;
    }
    const auto& answer = iface->spec.network.dhcp;
    if (iface->lease && !iface->lease->released && answer) {
        // Renewing a held lease keeps the address and only moves its times on.
        iface->lease->obtained = UtcNow();
        iface->lease->expires = iface->lease->obtained + answer->leaseSeconds;
        WriteLeaseToRegistry(*iface, *answer);
        return status::kSuccess;
    }
    if (!ObtainLease(*iface)) {
        return status::kSemTimeout;  // no DHCP server answered
    }
    ApplyPersistentRoutes(*iface);
    return status::kSuccess;
}

// --- Live IPv4 changes ---

Status SimIpStack::AddIPAddress(uint32_t address, uint32_t mask, uint32_t ifIndex,
                                uint32_t& nteContext, uint32_t& nteInstance) {
    if (const auto refused = Preamble(Call::AddIPAddress, true, status::kInvalidHandle)) {
        return *refused;
    }
    Interface* iface = FindRunningByIndex(ifIndex);
    if (iface == nullptr || !iface->ipv4Bound) {
        return status::kDevNotExist;
    }
    if (const Status invalid = CheckUnicastIpv4(address, mask, iface->loopback);
        invalid != status::kSuccess) {
        return invalid;
    }
    for (const Interface& other : interfaces_) {
        for (const Ipv4Address& a : other.ipv4) {
            if (other.running && a.address == address) {
                return Vista() ? status::kObjectAlreadyExists : status::kDupDomainName;
            }
        }
    }
    const uint32_t context = NewContext();
    iface->ipv4.push_back(Ipv4Address{address, mask, context, false});
    nteContext = context;
    nteInstance = context;
    return status::kSuccess;
}

Status SimIpStack::DeleteIPAddress(uint32_t nteContext) {
    if (const auto refused = Preamble(Call::DeleteIPAddress, true, status::kAccessDenied)) {
        return *refused;
    }
    for (Interface& iface : interfaces_) {
        if (!iface.running || iface.loopback) {
            continue;
        }
        const auto it = std::find_if(iface.ipv4.begin(), iface.ipv4.end(),
                                     [&](const Ipv4Address& a) { return a.context == nteContext; });
        if (it != iface.ipv4.end()) {
            iface.ipv4.erase(it);
            return status::kSuccess;
        }
    }
    return status::kInvalidParameter;
}

Status SimIpStack::CreateIpForwardEntry(const platform::MibIpForwardRow& row) {
    if (const auto refused = Preamble(Call::CreateIpForwardEntry, true, status::kAccessDenied)) {
        return *refused;
    }
    if (row.proto != kProtoNetMgmt || !nettext::IsContiguousMask(row.mask) ||
        (row.dest & ~row.mask) != 0) {
        return status::kInvalidParameter;
    }
    Interface* iface = FindRunningByIndex(row.ifIndex);
    if (iface == nullptr || !iface->ipv4Bound) {
        return Vista() ? status::kFileNotFound : status::kInvalidParameter;
    }
    uint32_t metric = row.metric1;
    if (Vista()) {
        // The metric given is the sum of interface and route metric; it cannot be below the
        // interface's own.
        if (row.metric1 < iface->interfaceMetric) {
            return status::kBadArguments;
        }
        metric = row.metric1 - iface->interfaceMetric;
    }
    const bool present =
        std::any_of(iface->ipv4Routes.begin(), iface->ipv4Routes.end(), [&](const Ipv4Route& r) {
            return r.dest == row.dest && r.mask == row.mask && r.nextHop == row.nextHop;
        });
    if (present) {
        return status::kObjectAlreadyExists;
    }
    iface->ipv4Routes.push_back(
        Ipv4Route{row.dest, row.mask, row.nextHop, metric, kProtoNetMgmt, false});
    return status::kSuccess;
}

Status SimIpStack::DeleteIpForwardEntry(const platform::MibIpForwardRow& row) {
    if (const auto refused = Preamble(Call::DeleteIpForwardEntry, true, status::kAccessDenied)) {
        return *refused;
    }
    Interface* iface = FindRunningByIndex(row.ifIndex);
    if (iface == nullptr || !iface->ipv4Bound) {
        return Vista() ? status::kFileNotFound : status::kInvalidParameter;
    }
    const auto it =
        std::find_if(iface->ipv4Routes.begin(), iface->ipv4Routes.end(), [&](const Ipv4Route& r) {
            return r.dest == row.dest && r.mask == row.mask && r.nextHop == row.nextHop;
        });
    if (it == iface->ipv4Routes.end()) {
        return Vista() ? status::kNotFound : status::kInvalidParameter;
    }
    iface->ipv4Routes.erase(it);
    return status::kSuccess;
}

// --- Live IPv6 (and IPv4) changes through the newer calls ---

void SimIpStack::InitializeUnicastIpAddressEntry(platform::UnicastRow& row) {
    row = UnicastRow{};
    row.prefixOrigin = kOriginUnchanged;
    row.suffixOrigin = kOriginUnchanged;
    row.onLinkPrefixLength = kUnsetLength;
    row.validLifetime = kInfinite;
    row.preferredLifetime = kInfinite;
    row.skipAsSource = false;
}

void SimIpStack::InitializeIpForwardEntry(platform::ForwardRow2& row) {
    row = ForwardRow2{};
    row.validLifetime = kInfinite;
    row.preferredLifetime = kInfinite;
    row.loopback = true;
    row.autoconfigureAddress = true;
    row.publish = true;
    row.immortal = true;
    row.sitePrefixLength = kUnsetLength;
    row.metric = kInfinite;
    row.protocol = kInfinite;
}

Status SimIpStack::CreateUnicastIpAddressEntry(const platform::UnicastRow& row) {
    if (const auto refused =
            Preamble(Call::CreateUnicastIpAddressEntry, Vista(), status::kAccessDenied)) {
        return *refused;
    }
    const uint16_t family = row.address.family;
    if (!IsIpFamily(family) || (row.luid == 0 && row.ifIndex == 0)) {
        return status::kInvalidParameter;
    }
    const bool v6 = family == platform::af::kInet6;
    if ((row.prefixOrigin == kOriginUnchanged) != (row.suffixOrigin == kOriginUnchanged) ||
        (row.prefixOrigin != kOriginUnchanged && row.prefixOrigin > 4) ||
        (row.suffixOrigin != kOriginUnchanged && row.suffixOrigin > 5) ||
        row.validLifetime < row.preferredLifetime) {
        return status::kInvalidParameter;
    }
    const uint8_t fullLength = v6 ? 128 : 32;
    uint8_t length = row.onLinkPrefixLength;
    if (length == kUnsetLength) {
        length = fullLength;  // the initialiser's value: a host prefix
    }
    if (length > fullLength) {
        return status::kInvalidParameter;
    }
    Interface* iface = FindRunningByLuidOrIndex(row.luid, row.ifIndex, v6);
    if (iface == nullptr) {
        return status::kNotFound;
    }
    if (!v6) {
        const uint32_t mask = nettext::PrefixToMask(length);
        if (CheckUnicastIpv4(row.address.ipv4, mask, iface->loopback) != status::kSuccess) {
            return status::kInvalidParameter;
        }
        if (std::any_of(iface->ipv4.begin(), iface->ipv4.end(),
                        [&](const Ipv4Address& a) { return a.address == row.address.ipv4; })) {
            return status::kObjectAlreadyExists;
        }
        iface->ipv4.push_back(Ipv4Address{row.address.ipv4, mask, NewContext(), false});
        return status::kSuccess;
    }
    const Ipv6Bytes& address = row.address.ipv6;
    if (IsZero(address) || address[0] == 0xFF || (IsLoopbackV6(address) != iface->loopback)) {
        return status::kInvalidParameter;
    }
    if (std::any_of(iface->ipv6.begin(), iface->ipv6.end(),
                    [&](const UnicastRow& r) { return r.address.ipv6 == address; })) {
        return status::kObjectAlreadyExists;
    }
    const uint32_t prefixOrigin =
        row.prefixOrigin == kOriginUnchanged ? kOriginManual : row.prefixOrigin;
    const uint32_t suffixOrigin =
        row.suffixOrigin == kOriginUnchanged ? kOriginManual : row.suffixOrigin;
    UnicastRow stored = MakeIpv6Row(*iface, address, length, prefixOrigin, suffixOrigin,
                                    row.validLifetime, row.preferredLifetime);
    stored.skipAsSource = row.skipAsSource;
    iface->ipv6.push_back(stored);
    return status::kSuccess;
}

Status SimIpStack::DeleteUnicastIpAddressEntry(const platform::UnicastRow& row) {
    if (const auto refused =
            Preamble(Call::DeleteUnicastIpAddressEntry, Vista(), status::kAccessDenied)) {
        return *refused;
    }
    const uint16_t family = row.address.family;
    if (!IsIpFamily(family) || (row.luid == 0 && row.ifIndex == 0)) {
        return status::kInvalidParameter;
    }
    const bool v6 = family == platform::af::kInet6;
    Interface* iface = FindRunningByLuidOrIndex(row.luid, row.ifIndex, v6);
    if (iface == nullptr) {
        return status::kNotFound;
    }
    if (!v6) {
        const auto it =
            std::find_if(iface->ipv4.begin(), iface->ipv4.end(),
                         [&](const Ipv4Address& a) { return a.address == row.address.ipv4; });
        if (it == iface->ipv4.end()) {
            return status::kNotFound;
        }
        iface->ipv4.erase(it);
        return status::kSuccess;
    }
    const auto it = std::find_if(iface->ipv6.begin(), iface->ipv6.end(), [&](const UnicastRow& r) {
        return r.address.ipv6 == row.address.ipv6;
    });
    if (it == iface->ipv6.end()) {
        return status::kNotFound;
    }
    iface->ipv6.erase(it);
    return status::kSuccess;
}

Status SimIpStack::CreateIpForwardEntry2(const platform::ForwardRow2& row) {
    if (const auto refused =
            Preamble(Call::CreateIpForwardEntry2, Vista(), status::kAccessDenied)) {
        return *refused;
    }
    const uint16_t family = row.destinationPrefix.prefix.family;
    if (!IsIpFamily(family) || row.nextHop.family != family ||
        (row.luid == 0 && row.ifIndex == 0)) {
        return status::kInvalidParameter;
    }
    const bool v6 = family == platform::af::kInet6;
    const uint8_t length = row.destinationPrefix.prefixLength;
    if (length > (v6 ? 128 : 32) || row.preferredLifetime > row.validLifetime ||
        (row.sitePrefixLength != kUnsetLength && row.sitePrefixLength > length)) {
        return status::kInvalidParameter;
    }
    Interface* iface = FindRunningByLuidOrIndex(row.luid, row.ifIndex, v6);
    if (iface == nullptr) {
        return status::kNotFound;
    }
    // The initialiser's "not set" metric and protocol become the defaults of a manual route.
    const uint32_t metric =
        row.metric == kInfinite ? (v6 ? kDefaultIpv6RouteMetric : 0) : row.metric;
    const uint32_t protocol = row.protocol == kInfinite ? kProtoNetMgmt : row.protocol;
    if (!v6) {
        const uint32_t mask = nettext::PrefixToMask(length);
        const uint32_t dest = row.destinationPrefix.prefix.ipv4 & mask;
        if (std::any_of(
                iface->ipv4Routes.begin(), iface->ipv4Routes.end(), [&](const Ipv4Route& r) {
                    return r.dest == dest && r.mask == mask && r.nextHop == row.nextHop.ipv4;
                })) {
            return status::kObjectAlreadyExists;
        }
        iface->ipv4Routes.push_back(
            Ipv4Route{dest, mask, row.nextHop.ipv4, metric, protocol, false});
        return status::kSuccess;
    }
    ForwardRow2 stored = row;
    stored.luid = iface->spec.luid;
    stored.ifIndex = iface->Ipv6Index();
    stored.destinationPrefix.prefix.ipv6 = MaskPrefix(row.destinationPrefix.prefix.ipv6, length);
    stored.sitePrefixLength = row.sitePrefixLength == kUnsetLength ? 0 : row.sitePrefixLength;
    stored.metric = metric;
    stored.protocol = protocol;
    if (std::any_of(iface->ipv6Routes.begin(), iface->ipv6Routes.end(),
                    [&](const ForwardRow2& r) { return SameIpv6Route(r, stored); })) {
        return status::kObjectAlreadyExists;
    }
    iface->ipv6Routes.push_back(stored);
    return status::kSuccess;
}

Status SimIpStack::DeleteIpForwardEntry2(const platform::ForwardRow2& row) {
    if (const auto refused =
            Preamble(Call::DeleteIpForwardEntry2, Vista(), status::kAccessDenied)) {
        return *refused;
    }
    const uint16_t family = row.destinationPrefix.prefix.family;
    if (!IsIpFamily(family) || (row.luid == 0 && row.ifIndex == 0)) {
        return status::kInvalidParameter;
    }
    const bool v6 = family == platform::af::kInet6;
    Interface* iface = FindRunningByLuidOrIndex(row.luid, row.ifIndex, v6);
    if (iface == nullptr) {
        return status::kNotFound;
    }
    const uint8_t length = row.destinationPrefix.prefixLength;
    if (!v6) {
        const uint32_t mask = nettext::PrefixToMask(length);
        const auto it = std::find_if(
            iface->ipv4Routes.begin(), iface->ipv4Routes.end(), [&](const Ipv4Route& r) {
                return r.dest == (row.destinationPrefix.prefix.ipv4 & mask) && r.mask == mask &&
                       r.nextHop == row.nextHop.ipv4;
            });
        if (it == iface->ipv4Routes.end()) {
            return status::kNotFound;
        }
        iface->ipv4Routes.erase(it);
        return status::kSuccess;
    }
    ForwardRow2 wanted = row;
    wanted.destinationPrefix.prefix.ipv6 = MaskPrefix(row.destinationPrefix.prefix.ipv6, length);
    const auto it = std::find_if(iface->ipv6Routes.begin(), iface->ipv6Routes.end(),
                                 [&](const ForwardRow2& r) { return SameIpv6Route(r, wanted); });
    if (it == iface->ipv6Routes.end()) {
        return status::kNotFound;
    }
    iface->ipv6Routes.erase(it);
    return status::kSuccess;
}

}  // namespace vexav6::sim
