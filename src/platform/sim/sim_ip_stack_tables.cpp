#include "platform/sim/sim_ip_stack.h"

#include <algorithm>
#include <cmath>

#include "platform/sim/sim_ip_stack_internal.h"
#include "platform/sim/virtual_clock.h"

namespace vexav6::sim {

using namespace ipstack;

// --- IpHelperApi: lookups and tables ---

Status SimIpStack::GetAdapterIndex(std::u16string_view adapterName, uint32_t& index) {
    if (const auto refused = Preamble(Call::GetAdapterIndex)) {
        return *refused;
    }
    const std::string name = text::Utf16ToUtf8(adapterName);
    if (!text::StartsWithIgnoreCase(name, kAdapterNamePrefix)) {
        return status::kInvalidParameter;
    }
    const Interface* iface =
        FindInterface(std::string_view(name).substr(std::string_view(kAdapterNamePrefix).size()));
    // Before 6.0 only a running IPv4 interface has an index; later the registered interface of a
    // disabled device keeps it.
    if (iface == nullptr || (!Vista() && !(iface->running && iface->ipv4Bound))) {
        return status::kDevNotExist;
    }
    index = iface->spec.index;
    return status::kSuccess;
}

Status SimIpStack::ConvertInterfaceIndexToLuid(uint32_t index, uint64_t& luid) {
    if (const auto refused = Preamble(Call::ConvertInterfaceIndexToLuid, Vista())) {
        return *refused;
    }
    const Interface* iface = FindByIndex(index);
    if (iface == nullptr) {
        return status::kFileNotFound;
    }
    luid = iface->spec.luid;
    return status::kSuccess;
}

Status SimIpStack::GetIfEntry(platform::MibIfRow& row) {
    if (const auto refused = Preamble(Call::GetIfEntry)) {
        return *refused;
    }
    const Interface* iface = FindByIndex(row.index);
    if (iface == nullptr) {
        return status::kInvalidData;
    }
    const uint32_t index = row.index;
    row = platform::MibIfRow{};
    row.index = index;
    row.name = text::Utf8ToUtf16(AdapterName(iface->spec.guid));
    row.type = ReportedType(iface->spec.type);
    row.mtu = iface->spec.mtu;
    row.speed = iface->spec.speed;
    if (!iface->loopback) {
        row.physAddrLength = 6;
        std::copy(iface->mac.begin(), iface->mac.end(), row.physAddr.begin());
    }
    row.adminStatus = iface->adminStatus;
    row.operStatus = iface->running ? iface->spec.operStatus : 0;
    row.inOctets = InOctets(*iface);
    row.outOctets = OutOctets(*iface);
    row.description =
        iface->loopback && !Vista() ? "MS TCP Loopback interface" : iface->spec.description;
    row.descriptionLength = static_cast<uint32_t>(row.description.size() + 1);
    return status::kSuccess;
}

Status SimIpStack::GetAdaptersInfo(std::vector<platform::IpAdapterInfo>& adapters) {
    if (const auto refused = Preamble(Call::GetAdaptersInfo)) {
        return *refused;
    }
    adapters.clear();
    for (const Interface* iface : Interfaces()) {
        if (!iface->running || !iface->ipv4Bound) {
            continue;
        }
        platform::IpAdapterInfo info;
        info.comboIndex = iface->spec.index;
        info.adapterName = iface->spec.guid;
        info.description = iface->spec.description;
        info.addressLength = 6;
        std::copy(iface->mac.begin(), iface->mac.end(), info.address.begin());
        info.index = iface->spec.index;
        info.type = ReportedType(iface->spec.type);
        info.dhcpEnabled = iface->dhcpEnabled;
        for (const Ipv4Address& a : iface->ipv4) {
            info.ipAddressList.push_back(platform::IpAddrString{
                nettext::FormatIpv4(a.address), nettext::FormatIpv4(a.mask), a.context});
        }
        if (info.ipAddressList.empty()) {
            info.ipAddressList.push_back(platform::IpAddrString{"0.0.0.0", "0.0.0.0", 0});
        }
        for (const Ipv4Route& route : iface->ipv4Routes) {
            if (route.dest == 0 && route.mask == 0) {
                info.gatewayList.push_back(
                    platform::IpAddrString{nettext::FormatIpv4(route.nextHop), "", 0});
            }
        }
        if (info.gatewayList.empty()) {
            info.gatewayList.push_back(platform::IpAddrString{"0.0.0.0", "", 0});
        }
        if (iface->dhcpEnabled && iface->lease) {
            info.dhcpServer.ipAddress =
                iface->lease->released ? "255.255.255.255" : iface->lease->server;
            info.leaseObtained = iface->lease->obtained;
            info.leaseExpires = iface->lease->expires;
        }
        adapters.push_back(std::move(info));
    }
    return adapters.empty() ? status::kNoData : status::kSuccess;
}

Status SimIpStack::GetIpForwardTable(std::vector<platform::MibIpForwardRow>& rows) {
    if (const auto refused = Preamble(Call::GetIpForwardTable)) {
        return *refused;
    }
    rows.clear();
    std::vector<const Interface*> all;
    for (const Interface& iface : interfaces_) {
        if (iface.running && iface.ipv4Bound) {
            all.push_back(&iface);
        }
    }
    for (const Interface* iface : all) {
        // Windows 6.0 and later report a route's metric added to its interface's metric.
        const auto reported = [&](uint32_t routeMetric) {
            if (Vista()) {
                return iface->interfaceMetric + routeMetric;
            }
            return routeMetric != 0 ? routeMetric : iface->interfaceMetric;
        };
        for (const Ipv4Route& route : iface->ipv4Routes) {
            platform::MibIpForwardRow row;
            row.dest = route.dest;
            row.mask = route.mask;
            row.nextHop = route.nextHop;
            row.ifIndex = iface->spec.index;
            row.type = kRouteTypeIndirect;
            row.proto = route.proto;
            row.metric1 = reported(route.metric);
            row.metric2 = row.metric3 = row.metric4 = row.metric5 = 0xFFFFFFFF;
            rows.push_back(row);
        }
        // The subnet and host routes of every address.
        for (const Ipv4Address& a : iface->ipv4) {
            const uint32_t onLinkMetric = reported(Vista() ? 256 : 0);
            platform::MibIpForwardRow net;
            net.dest = a.address & a.mask;
            net.mask = a.mask;
            net.nextHop = a.address;
            net.ifIndex = iface->spec.index;
            net.type = kRouteTypeDirect;
            net.proto = kProtoLocal;
            net.metric1 = onLinkMetric;
            net.metric2 = net.metric3 = net.metric4 = net.metric5 = 0xFFFFFFFF;
            rows.push_back(net);
            if (a.mask != 0xFFFFFFFF) {
                platform::MibIpForwardRow host = net;
                host.dest = a.address;
                host.mask = 0xFFFFFFFF;
                rows.push_back(host);
            }
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return nettext::HostOrder(a.dest) < nettext::HostOrder(b.dest);
    });
    return rows.empty() ? status::kNoData : status::kSuccess;
}

std::vector<const SimIpStack::Interface*> SimIpStack::RunningByIndex() const {
    std::vector<const Interface*> ordered;
    for (const Interface& iface : interfaces_) {
        if (iface.running) {
            ordered.push_back(&iface);
        }
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const Interface* a, const Interface* b) { return a->spec.index < b->spec.index; });
    return ordered;
}

Status SimIpStack::GetUnicastIpAddressTable(uint16_t family,
                                            std::vector<platform::UnicastRow>& rows) {
    if (const auto refused = Preamble(Call::GetUnicastIpAddressTable, Vista())) {
        return *refused;
    }
    if (family != platform::af::kUnspec && !IsIpFamily(family)) {
        return status::kInvalidParameter;
    }
    rows.clear();
    const std::vector<const Interface*> ordered = RunningByIndex();
    if (family != platform::af::kInet6) {
        for (const Interface* iface : ordered) {
            if (!iface->ipv4Bound) {
                continue;
            }
            for (const Ipv4Address& a : iface->ipv4) {
                UnicastRow row;
                row.address = Inet4(a.address);
                row.luid = iface->spec.luid;
                row.ifIndex = iface->spec.index;
                const uint32_t origin = iface->loopback ? kOriginWellKnown
                                        : a.fromDhcp    ? kOriginDhcp
                                                        : kOriginManual;
                row.prefixOrigin = origin;
                row.suffixOrigin = origin;
                row.validLifetime = kInfinite;
                row.preferredLifetime = kInfinite;
                if (a.fromDhcp && iface->lease) {
                    const int64_t left = std::max<int64_t>(0, iface->lease->expires - UtcNow());
                    row.validLifetime = row.preferredLifetime = static_cast<uint32_t>(left);
                }
                row.onLinkPrefixLength = static_cast<uint8_t>(MaskLength(a.mask));
                row.dadState = kDadPreferred;
                rows.push_back(row);
            }
        }
    }
    if (family != platform::af::kInet) {
        for (const Interface* iface : ordered) {
            if (iface->ipv6Bound) {
                rows.insert(rows.end(), iface->ipv6.begin(), iface->ipv6.end());
            }
        }
    }
    return rows.empty() ? status::kNotFound : status::kSuccess;
}

Status SimIpStack::GetIpForwardTable2(uint16_t family, std::vector<platform::ForwardRow2>& rows) {
    if (const auto refused = Preamble(Call::GetIpForwardTable2, Vista())) {
        return *refused;
    }
    if (family != platform::af::kUnspec && !IsIpFamily(family)) {
        return status::kInvalidParameter;
    }
    rows.clear();
    const std::vector<const Interface*> ordered = RunningByIndex();
    if (family != platform::af::kInet6) {
        for (const Interface* iface : ordered) {
            if (!iface->ipv4Bound) {
                continue;
            }
            const auto add = [&](uint32_t dest, uint32_t mask, uint32_t nextHop, uint32_t metric,
                                 uint32_t protocol) {
                ForwardRow2 row;
                row.luid = iface->spec.luid;
                row.ifIndex = iface->spec.index;
                row.destinationPrefix.prefix = Inet4(dest);
                row.destinationPrefix.prefixLength = static_cast<uint8_t>(MaskLength(mask));
                row.nextHop = Inet4(nextHop);
                row.validLifetime = row.preferredLifetime = kInfinite;
                row.metric = metric;
                row.protocol = protocol;
                row.loopback = row.autoconfigureAddress = true;
                rows.push_back(row);
            };
            for (const Ipv4Route& route : iface->ipv4Routes) {
                add(route.dest, route.mask, route.nextHop, route.metric, route.proto);
            }
            for (const Ipv4Address& a : iface->ipv4) {
                add(a.address & a.mask, a.mask, 0, 256, kProtoLocal);
                add(a.address, 0xFFFFFFFF, 0, 256, kProtoLocal);
            }
        }
    }
    if (family != platform::af::kInet) {
        for (const Interface* iface : ordered) {
            if (!iface->ipv6Bound) {
                continue;
            }
            std::vector<ForwardRow2> own = iface->ipv6Routes;
            const auto addDerived = [&](const ForwardRow2& route) {
                if (std::none_of(own.begin(), own.end(),
                                 [&](const ForwardRow2& r) { return SameIpv6Route(r, route); })) {
                    own.push_back(route);
                }
            };
            // On-link routes Windows keeps for every address: its prefix, the address itself and
            // the multicast range, all without a next hop.
            for (const UnicastRow& address : iface->ipv6) {
                const uint8_t length = address.onLinkPrefixLength;
                if (length < 128) {
                    addDerived(MakeIpv6Route(*iface, MaskPrefix(address.address.ipv6, length),
                                             length, Ipv6Bytes{}, kDefaultIpv6RouteMetric,
                                             kProtoLocal));
                }
                addDerived(MakeIpv6Route(*iface, address.address.ipv6, 128, Ipv6Bytes{},
                                         kDefaultIpv6RouteMetric, kProtoLocal));
            }
            Ipv6Bytes multicast{};
            multicast[0] = 0xFF;
            addDerived(MakeIpv6Route(*iface, multicast, 8, Ipv6Bytes{}, kDefaultIpv6RouteMetric,
                                     kProtoLocal));
            rows.insert(rows.end(), own.begin(), own.end());
        }
    }
    return rows.empty() ? status::kNotFound : status::kSuccess;
}

Status SimIpStack::GetAdaptersAddresses(uint32_t family, uint32_t,
                                        std::vector<platform::AdapterAddresses>& adapters) {
    if (const auto refused = Preamble(Call::GetAdaptersAddresses, HasIpv6())) {
        return *refused;
    }
    if (family != platform::af::kUnspec && !IsIpFamily(family)) {
        return status::kInvalidParameter;
    }
    const bool wantV4 = family != platform::af::kInet6;
    const bool wantV6 = family != platform::af::kInet;
    adapters.clear();
    const std::vector<const Interface*> ordered = RunningByIndex();
    for (const Interface* iface : ordered) {
        if (!((wantV4 && iface->ipv4Bound) || (wantV6 && iface->ipv6Bound))) {
            continue;
        }
        platform::AdapterAddresses record;
        record.ifIndex = iface->ipv4Bound ? iface->spec.index : 0;
        record.ipv6IfIndex = iface->ipv6Bound ? iface->Ipv6Index() : 0;
        record.adapterName = iface->spec.guid;
        record.ifType = ReportedType(iface->spec.type);
        // The record of Windows before 6.0 ends before the LUID and the prefix lengths.
        record.hasLuid = Vista();
        record.luid = Vista() ? iface->spec.luid : 0;
        if (wantV4 && iface->ipv4Bound) {
            for (const Ipv4Address& a : iface->ipv4) {
                platform::AdapterUnicastAddress entry;
                entry.address = Inet4(a.address);
                entry.hasOnLinkPrefixLength = Vista();
                entry.onLinkPrefixLength = Vista() ? static_cast<uint8_t>(MaskLength(a.mask)) : 0;
                record.unicastAddresses.push_back(entry);
            }
        }
        if (wantV6 && iface->ipv6Bound) {
            for (const UnicastRow& row : iface->ipv6) {
                platform::AdapterUnicastAddress entry;
                entry.address = row.address;
                entry.hasOnLinkPrefixLength = Vista();
                entry.onLinkPrefixLength = Vista() ? row.onLinkPrefixLength : 0;
                record.unicastAddresses.push_back(entry);
            }
        }
        adapters.push_back(std::move(record));
    }
    return adapters.empty() ? status::kNoData : status::kSuccess;
}

Status SimIpStack::GetInterfaceInfo(std::vector<platform::IpAdapterIndexMap>& adapters) {
    if (const auto refused = Preamble(Call::GetInterfaceInfo)) {
        return *refused;
    }
    adapters.clear();
    for (const Interface* iface : Interfaces()) {
        if (iface->running && iface->ipv4Bound) {
            adapters.push_back(platform::IpAdapterIndexMap{
                iface->spec.index, text::Utf8ToUtf16(AdapterName(iface->spec.guid))});
        }
    }
    return adapters.empty() ? status::kNoData : status::kSuccess;
}

}  // namespace vexav6::sim
