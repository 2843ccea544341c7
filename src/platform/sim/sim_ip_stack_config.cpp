#include "platform/sim/sim_ip_stack.h"

#include <algorithm>
#include <cmath>

#include "platform/sim/sim_ip_stack_internal.h"
#include "platform/sim/virtual_clock.h"

namespace vexav6::sim {

using namespace ipstack;

// --- Stored configuration ---

void SimIpStack::ApplyStoredIpv4(Interface& iface) {
    const std::string key = kTcpipInterfaces + iface.spec.guid;
    const uint32_t metric = registry_.GetDword(kHklm, key, "InterfaceMetric").value_or(0);
    iface.interfaceMetric = metric != 0 ? metric : AutomaticMetric(iface.spec.speed);
    iface.ipv4Bound = IsBound(registry_, kTcpipLinkage, iface.spec.guid);
    if (!iface.ipv4Bound) {
        return;
    }
    iface.dhcpEnabled = registry_.GetDword(kHklm, key, "EnableDHCP").value_or(0) == 1;
    if (iface.dhcpEnabled) {
        ObtainLease(iface);
    } else {
        const std::vector<std::string> addresses = ReadList(registry_, key, "IPAddress");
        const std::vector<std::string> masks = ReadList(registry_, key, "SubnetMask");
        for (size_t i = 0; i < addresses.size(); ++i) {
            uint32_t address = 0;
            uint32_t mask = 0;
            if (!nettext::ParseIpv4(addresses[i], address) || i >= masks.size() ||
                !nettext::ParseIpv4(masks[i], mask) ||
                CheckUnicastIpv4(address, mask, false) != status::kSuccess) {
                continue;  // "0.0.0.0" and entries TCP/IP cannot use
            }
            const bool duplicate =
                std::any_of(iface.ipv4.begin(), iface.ipv4.end(),
                            [&](const Ipv4Address& a) { return a.address == address; });
            if (!duplicate) {
                iface.ipv4.push_back(Ipv4Address{address, mask, NewContext(), false});
            }
        }
        const std::vector<std::string> gateways = ReadList(registry_, key, "DefaultGateway");
        const std::vector<std::string> metrics = ReadList(registry_, key, "DefaultGatewayMetric");
        for (size_t i = 0; i < gateways.size(); ++i) {
            uint32_t gateway = 0;
            if (!nettext::ParseIpv4(gateways[i], gateway) || gateway == 0) {
                continue;
            }
            uint32_t routeMetric = 0;
            if (i < metrics.size()) {
                routeMetric = static_cast<uint32_t>(std::strtoul(metrics[i].c_str(), nullptr, 10));
            }
            AddUniqueIpv4Route(iface, Ipv4Route{0, 0, gateway, routeMetric, kProtoNetMgmt, false});
        }
    }
    ApplyPersistentRoutes(iface);
}

void SimIpStack::ApplyPersistentRoutes(Interface& iface) {
    // "destination,mask,gateway,metric" (metric -1: the default). A route goes to the interface
    // whose subnet holds its gateway.
    for (const std::string& name : registry_.ValueNames(kHklm, kPersistentRoutes)) {
        const std::vector<std::string> parts = text::Split(name, ",");
        uint32_t dest = 0;
        uint32_t mask = 0;
        uint32_t gateway = 0;
        if (parts.size() != 4 || !nettext::ParseIpv4(parts[0], dest) ||
            !nettext::ParseIpv4(parts[1], mask) || !nettext::ParseIpv4(parts[2], gateway)) {
            continue;
        }
        const bool onLink = std::any_of(
            iface.ipv4.begin(), iface.ipv4.end(),
            [&](const Ipv4Address& a) { return (a.address & a.mask) == (gateway & a.mask); });
        if (!onLink) {
            continue;
        }
        const long metric = std::strtol(parts[3].c_str(), nullptr, 10);
        AddUniqueIpv4Route(
            iface, Ipv4Route{dest, mask, gateway, metric < 0 ? 0u : static_cast<uint32_t>(metric),
                             kProtoNetMgmt, false});
    }
}

void SimIpStack::AddUniqueIpv4Route(Interface& iface, const Ipv4Route& route) {
    const bool present =
        std::any_of(iface.ipv4Routes.begin(), iface.ipv4Routes.end(), [&](const Ipv4Route& r) {
            return r.dest == route.dest && r.mask == route.mask && r.nextHop == route.nextHop;
        });
    if (!present) {
        iface.ipv4Routes.push_back(route);
    }
}

bool SimIpStack::ObtainLease(Interface& iface) {
    const auto& answer = iface.spec.network.dhcp;
    uint32_t address = 0;
    uint32_t mask = 0;
    if (!answer || !nettext::ParseIpv4(answer->address, address) ||
        !nettext::ParseIpv4(answer->mask, mask)) {
        return false;
    }
    std::erase_if(iface.ipv4, [](const Ipv4Address& a) { return a.fromDhcp; });
    std::erase_if(iface.ipv4Routes, [](const Ipv4Route& r) { return r.fromDhcp; });
    iface.ipv4.push_back(Ipv4Address{address, mask, NewContext(), true});
    for (const std::string& text : answer->gateways) {
        uint32_t gateway = 0;
        if (nettext::ParseIpv4(text, gateway)) {
            AddUniqueIpv4Route(iface, Ipv4Route{0, 0, gateway, 0, kProtoNetMgmt, true});
        }
    }
    Lease lease;
    lease.server = answer->server;
    lease.obtained = UtcNow();
    lease.expires = lease.obtained + answer->leaseSeconds;
    iface.lease = lease;
    WriteLeaseToRegistry(iface, *answer);
    return true;
}

void SimIpStack::WriteLeaseToRegistry(const Interface& iface, const DhcpServerAnswer& answer) {
    const std::string key = kTcpipInterfaces + iface.spec.guid;
    const auto seconds = [](int64_t value) { return static_cast<uint32_t>(value); };
    registry_.PutString(kHklm, key, "DhcpIPAddress", answer.address);
    registry_.PutString(kHklm, key, "DhcpSubnetMask", answer.mask);
    registry_.PutString(kHklm, key, "DhcpServer", answer.server);
    registry_.PutDword(kHklm, key, "Lease", answer.leaseSeconds);
    registry_.PutDword(kHklm, key, "LeaseObtainedTime", seconds(iface.lease->obtained));
    registry_.PutDword(kHklm, key, "T1", seconds(iface.lease->obtained + answer.leaseSeconds / 2));
    registry_.PutDword(kHklm, key, "T2",
                       seconds(iface.lease->obtained + answer.leaseSeconds / 8 * 7));
    registry_.PutDword(kHklm, key, "LeaseTerminatesTime", seconds(iface.lease->expires));
    registry_.PutDword(kHklm, key, "AddressType", 0);
    registry_.PutMultiString(kHklm, key, "DhcpDefaultGateway", answer.gateways);
    registry_.PutMultiString(kHklm, key, "DhcpSubnetMaskOpt", {answer.mask});
    if (answer.dnsServers.empty()) {
        registry_.RemoveValue(kHklm, key, "DhcpNameServer");
    } else {
        registry_.PutString(kHklm, key, "DhcpNameServer", text::Join(answer.dnsServers, " "));
    }
    if (!answer.domain.empty()) {
        registry_.PutString(kHklm, key, "DhcpDomain", answer.domain);
    }
}

void SimIpStack::ReleaseLease(Interface& iface) {
    std::erase_if(iface.ipv4, [](const Ipv4Address& a) { return a.fromDhcp; });
    std::erase_if(iface.ipv4Routes, [](const Ipv4Route& r) { return r.fromDhcp; });
    if (iface.lease) {
        iface.lease->released = true;
    }
    const std::string key = kTcpipInterfaces + iface.spec.guid;
    registry_.PutString(kHklm, key, "DhcpIPAddress", "0.0.0.0");
    registry_.PutString(kHklm, key, "DhcpSubnetMask", "0.0.0.0");
    registry_.PutString(kHklm, key, "DhcpServer", "255.255.255.255");
    registry_.PutMultiString(kHklm, key, "DhcpDefaultGateway", {});
    registry_.RemoveValue(kHklm, key, "DhcpNameServer");
}

platform::UnicastRow SimIpStack::MakeIpv6Row(const Interface& iface, const Ipv6Bytes& address,
                                             uint8_t prefixLength, uint32_t prefixOrigin,
                                             uint32_t suffixOrigin, uint32_t valid,
                                             uint32_t preferred) const {
    UnicastRow row;
    row.address = Inet6(address);
    row.luid = iface.spec.luid;
    row.ifIndex = iface.Ipv6Index();
    row.prefixOrigin = prefixOrigin;
    row.suffixOrigin = suffixOrigin;
    row.validLifetime = valid;
    row.preferredLifetime = preferred;
    row.onLinkPrefixLength = prefixLength;
    row.dadState = kDadPreferred;
    row.scopeId = IsLinkLocal(address) ? iface.Ipv6Index() : 0;
    row.address.scopeId = row.scopeId;
    // FILETIME of the moment: 100 ns units since 1601.
    row.creationTimeStamp =
        static_cast<int64_t>(std::llround((clock_.Now().Linear() + 109205.0) * 864000000000.0));
    return row;
}

platform::ForwardRow2 SimIpStack::MakeIpv6Route(const Interface& iface, const Ipv6Bytes& dest,
                                                uint8_t prefixLength, const Ipv6Bytes& nextHop,
                                                uint32_t metric, uint32_t protocol) const {
    ForwardRow2 route;
    route.luid = iface.spec.luid;
    route.ifIndex = iface.Ipv6Index();
    route.destinationPrefix.prefix = Inet6(dest);
    route.destinationPrefix.prefixLength = prefixLength;
    route.nextHop = Inet6(nextHop);
    route.sitePrefixLength = 0;
    route.validLifetime = kInfinite;
    route.preferredLifetime = kInfinite;
    route.metric = metric;
    route.protocol = protocol;
    route.loopback = true;
    route.autoconfigureAddress = true;
    return route;
}

void SimIpStack::AddUniqueIpv6Route(Interface& iface, const ForwardRow2& route) {
    const bool present = std::any_of(iface.ipv6Routes.begin(), iface.ipv6Routes.end(),
                                     [&](const ForwardRow2& r) { return SameIpv6Route(r, route); });
    if (!present) {
        iface.ipv6Routes.push_back(route);
    }
}

void SimIpStack::ApplyStoredIpv6(Interface& iface) {
    iface.ipv6Bound = HasIpv6() && IsBound(registry_, kTcpip6Linkage, iface.spec.guid);
    if (!iface.ipv6Bound) {
        return;
    }
    Ipv6Bytes linkLocalPrefix{};
    linkLocalPrefix[0] = 0xFE;
    linkLocalPrefix[1] = 0x80;
    AddUniqueIpv6Address(
        iface, MakeIpv6Row(iface, Eui64Address(linkLocalPrefix, iface.mac), 64, kOriginWellKnown,
                           kSuffixOriginLinkLayer, kInfinite, kInfinite));

    uint32_t routerDiscovery = 1;
    bool managed = false;
    if (Vista()) {
        const std::string luidText = nettext::LuidHex(iface.spec.luid);
        if (const auto record = registry_.Get(kHklm, std::string(kNsiIpv6) + "7", luidText)) {
            managed = record->data.size() > 10 && record->data[10] == 1;
            routerDiscovery = record->data.size() >= 24 ? Le32(record->data, 20) : 1;
        }
        ApplyIpv6Store(iface);
    }
    iface.dhcpv6Enabled = managed;
    if (routerDiscovery != 0) {
        ApplyRouterAdvertisement(iface);
    }
    if (managed) {
        ObtainDhcpv6(iface);
    }
}

void SimIpStack::AddUniqueIpv6Address(Interface& iface, const UnicastRow& row) {
    const bool present =
        std::any_of(iface.ipv6.begin(), iface.ipv6.end(),
                    [&](const UnicastRow& r) { return r.address.ipv6 == row.address.ipv6; });
    if (!present) {
        iface.ipv6.push_back(row);
    }
}

void SimIpStack::ApplyIpv6Store(Interface& iface) {
    const std::string luidText = nettext::LuidHex(iface.spec.luid);
    // Addresses: name = LUID text + 32 hex digits of the address.
    const std::string addressKey = std::string(kNsiIpv6) + "10";
    for (const std::string& name : registry_.ValueNames(kHklm, addressKey)) {
        std::vector<uint8_t> bytes;
        if (name.size() != 48 || !text::EqualsIgnoreCase(name.substr(0, 16), luidText) ||
            !nettext::ParseHex(name.substr(16), bytes)) {
            continue;
        }
        const auto value = registry_.Get(kHklm, addressKey, name);
        if (!value || value->data.size() < 18) {
            continue;
        }
        Ipv6Bytes address{};
        std::copy(bytes.begin(), bytes.end(), address.begin());
        const std::vector<uint8_t>& data = value->data;
        UnicastRow row = MakeIpv6Row(iface, address, data[16], Le32(data, 8), Le32(data, 12),
                                     Le32(data, 0), Le32(data, 4));
        row.skipAsSource = data[17] != 0;
        AddUniqueIpv6Address(iface, row);
    }
    // Routes: name = destination (32 hex digits), prefix length (2), padding to 80 digits, the
    // LUID text twice, the next hop (32).
    const std::string routeKey = std::string(kNsiIpv6) + "16";
    for (const std::string& name : registry_.ValueNames(kHklm, routeKey)) {
        std::vector<uint8_t> dest;
        std::vector<uint8_t> length;
        std::vector<uint8_t> nextHop;
        if (name.size() != 144 || !text::EqualsIgnoreCase(name.substr(96, 16), luidText) ||
            !nettext::ParseHex(name.substr(0, 32), dest) ||
            !nettext::ParseHex(name.substr(32, 2), length) ||
            !nettext::ParseHex(name.substr(112), nextHop) || length[0] > 128) {
            continue;
        }
        const auto value = registry_.Get(kHklm, routeKey, name);
        if (!value || value->data.size() < 16) {
            continue;
        }
        Ipv6Bytes destBytes{};
        Ipv6Bytes hopBytes{};
        std::copy(dest.begin(), dest.end(), destBytes.begin());
        std::copy(nextHop.begin(), nextHop.end(), hopBytes.begin());
        uint32_t metric = Le32(value->data, 12);
        if (metric == kInfinite) {
            metric = kDefaultIpv6RouteMetric;
        }
        AddUniqueIpv6Route(iface, MakeIpv6Route(iface, MaskPrefix(destBytes, length[0]), length[0],
                                                hopBytes, metric, kProtoNetMgmt));
    }
}

void SimIpStack::ApplyRouterAdvertisement(Interface& iface) {
    const auto& router = iface.spec.network.router;
    Ipv6Bytes prefix{};
    Ipv6Bytes routerAddress{};
    int prefixLength = 0;
    if (router && nettext::ParseIpv6Prefix(router->prefix, prefix, prefixLength) &&
        nettext::ParseIpv6(router->router, routerAddress)) {
        AddUniqueIpv6Address(
            iface,
            MakeIpv6Row(iface, Eui64Address(MaskPrefix(prefix, 64), iface.mac),
                        static_cast<uint8_t>(prefixLength), kPrefixOriginRouterAdvertisement,
                        kSuffixOriginLinkLayer, router->validLifetime, router->preferredLifetime));
        ForwardRow2 route =
            MakeIpv6Route(iface, Ipv6Bytes{}, 0, routerAddress, router->metric, kProtoLocal);
        route.origin = 3;  // router advertisement
        route.validLifetime = router->validLifetime;
        route.preferredLifetime = router->validLifetime;
        route.immortal = false;
        AddUniqueIpv6Route(iface, route);
    }
}

void SimIpStack::ObtainDhcpv6(Interface& iface) {
    const auto& answer = iface.spec.network.dhcpv6;
    Ipv6Bytes address{};
    if (!answer || !nettext::ParseIpv6(answer->address, address)) {
        return;
    }
    ReleaseDhcpv6(iface);
    iface.ipv6.push_back(MakeIpv6Row(iface, address, 128, kOriginDhcp, kOriginDhcp, 86400, 43200));
    const std::string key = kTcpip6Interfaces + iface.spec.guid;
    if (!answer->dnsServers.empty()) {
        registry_.PutString(kHklm, key, "Dhcpv6NameServer", text::Join(answer->dnsServers, " "));
    }
}

void SimIpStack::ReleaseDhcpv6(Interface& iface) {
    std::erase_if(iface.ipv6, [](const UnicastRow& row) {
        return row.prefixOrigin == kOriginDhcp && row.suffixOrigin == kOriginDhcp;
    });
    registry_.RemoveValue(kHklm, kTcpip6Interfaces + iface.spec.guid, "Dhcpv6NameServer");
}

// --- ipconfig ---

Status SimIpStack::RunConsoleCommand(std::string_view commandLine) {
    std::vector<std::string> words;
    for (std::string& word : text::Split(text::Trim(commandLine), " ")) {
        if (!word.empty()) {
            words.push_back(text::ToLower(word));
        }
    }
    if (words.size() < 2) {
        return status::kSuccess;
    }
    std::string program = words[0];
    if (const size_t cut = program.find_last_of("\\/"); cut != std::string::npos) {
        program = program.substr(cut + 1);
    }
    if (program != "ipconfig" && program != "ipconfig.exe") {
        return status::kSuccess;
    }
    const std::string& option = words[1];
    for (Interface& iface : interfaces_) {
        if (!iface.running || iface.loopback) {
            continue;
        }
        if (option == "/release" && iface.ipv4Bound && iface.dhcpEnabled && iface.lease &&
            !iface.lease->released) {
            ReleaseLease(iface);
        } else if (option == "/renew" && iface.ipv4Bound && iface.dhcpEnabled) {
            if (ObtainLease(iface)) {
                ApplyPersistentRoutes(iface);
            }
        } else if (option == "/release6" && iface.ipv6Bound) {
            ReleaseDhcpv6(iface);
        } else if (option == "/renew6" && iface.ipv6Bound && iface.dhcpv6Enabled) {
            ObtainDhcpv6(iface);
        }
    }
    return status::kSuccess;
}

}  // namespace vexav6::sim
