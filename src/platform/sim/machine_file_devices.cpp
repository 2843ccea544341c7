#include "platform/sim/machine_file_devices.h"

#include <algorithm>

#include "base/text.h"

namespace vexav6::sim::machinefile {

namespace {

NetworkSetup ReadNetwork(const Reader& reader, const Json& json, const std::string& where) {
    reader.ExpectObject(json, where);
    reader.OnlyKeys(json, {"dhcp", "dhcpv6", "router"}, where);
    NetworkSetup network;
    if (const Json* dhcp = reader.Find(json, "dhcp")) {
        const std::string at = Reader::Join(where, "dhcp");
        reader.ExpectObject(*dhcp, at);
        reader.OnlyKeys(
            *dhcp,
            {"server", "address", "mask", "gateways", "dnsServers", "domain", "leaseSeconds"}, at);
        DhcpServerAnswer answer;
        answer.server = reader.Ipv4(*dhcp, "server", at);
        answer.address = reader.Ipv4(*dhcp, "address", at);
        answer.mask = reader.Ipv4(*dhcp, "mask", at);
        uint32_t mask = 0;
        nettext::ParseIpv4(answer.mask, mask);
        if (!nettext::IsContiguousMask(mask)) {
            reader.Fail(Reader::Join(at, "mask"), "\"" + answer.mask + "\" is not a subnet mask");
        }
        answer.gateways = reader.Texts(*dhcp, "gateways", at);
        answer.dnsServers = reader.Texts(*dhcp, "dnsServers", at);
        for (const auto* list : {&answer.gateways, &answer.dnsServers}) {
            for (const std::string& entry : *list) {
                uint32_t address = 0;
                if (!nettext::ParseIpv4(entry, address)) {
                    reader.Fail(at, "\"" + entry + "\" is not an IPv4 address");
                }
            }
        }
        answer.domain = reader.Text(*dhcp, "domain", at, "");
        answer.leaseSeconds =
            static_cast<uint32_t>(reader.Number(*dhcp, "leaseSeconds", at, 60, 0x7FFFFFFF, 86400));
        network.dhcp = answer;
    }
    if (const Json* dhcpv6 = reader.Find(json, "dhcpv6")) {
        const std::string at = Reader::Join(where, "dhcpv6");
        reader.ExpectObject(*dhcpv6, at);
        reader.OnlyKeys(*dhcpv6, {"address", "dnsServers"}, at);
        Dhcpv6ServerAnswer answer;
        answer.address = reader.Text(*dhcpv6, "address", at);
        reader.Ipv6Value(answer.address, Reader::Join(at, "address"));
        answer.dnsServers = reader.Texts(*dhcpv6, "dnsServers", at);
        for (const std::string& entry : answer.dnsServers) {
            reader.Ipv6Value(entry, Reader::Join(at, "dnsServers"));
        }
        network.dhcpv6 = answer;
    }
    if (const Json* router = reader.Find(json, "router")) {
        const std::string at = Reader::Join(where, "router");
        reader.ExpectObject(*router, at);
        reader.OnlyKeys(*router,
                        {"prefix", "router", "metric", "validLifetime", "preferredLifetime"}, at);
        RouterAdvertisement answer;
        answer.prefix = reader.Text(*router, "prefix", at);
        nettext::Ipv6Bytes bytes{};
        int length = 0;
        if (!nettext::ParseIpv6Prefix(answer.prefix, bytes, length) || length != 64) {
            reader.Fail(
                Reader::Join(at, "prefix"),
                "\"" + answer.prefix + "\" is not a /64 IPv6 prefix such as 2001:db8:1::/64");
        }
        answer.router = reader.Text(*router, "router", at);
        reader.Ipv6Value(answer.router, Reader::Join(at, "router"));
        answer.metric =
            static_cast<uint32_t>(reader.Number(*router, "metric", at, 0, UINT32_MAX, 256));
        answer.validLifetime = static_cast<uint32_t>(
            reader.Number(*router, "validLifetime", at, 0, UINT32_MAX, 86400));
        answer.preferredLifetime = static_cast<uint32_t>(
            reader.Number(*router, "preferredLifetime", at, 0, UINT32_MAX, 14400));
        network.router = answer;
    }
    return network;
}

Json NetworkToJson(const NetworkSetup& network) {
    Json json = Json::object();
    if (network.dhcp) {
        const auto& d = *network.dhcp;
        json["dhcp"] = Json{{"server", d.server},
                            {"address", d.address},
                            {"mask", d.mask},
                            {"gateways", d.gateways},
                            {"dnsServers", d.dnsServers}};
        if (!d.domain.empty()) {
            json["dhcp"]["domain"] = d.domain;
        }
        json["dhcp"]["leaseSeconds"] = d.leaseSeconds;
    }
    if (network.dhcpv6) {
        json["dhcpv6"] =
            Json{{"address", network.dhcpv6->address}, {"dnsServers", network.dhcpv6->dnsServers}};
    }
    if (network.router) {
        const auto& r = *network.router;
        json["router"] = Json{{"prefix", r.prefix},
                              {"router", r.router},
                              {"metric", r.metric},
                              {"validLifetime", r.validLifetime},
                              {"preferredLifetime", r.preferredLifetime}};
    }
    return json;
}

// The "interface" of a device: what its driver registers with TCP/IP when it runs.
SimIpStack::InterfaceSpec ReadInterface(const Reader& reader, const Json& iface,
                                        const std::string& at) {
    reader.ExpectObject(iface, at);
    reader.OnlyKeys(
        iface,
        {"index", "ipv6Index", "mtu", "speed", "description", "operStatus", "traffic", "network"},
        at);
    SimIpStack::InterfaceSpec spec;
    spec.index = static_cast<uint32_t>(reader.Number(iface, "index", at, 2, 0x7FFFFFFF, 0));
    spec.ipv6Index = static_cast<uint32_t>(reader.Number(iface, "ipv6Index", at, 0, 0x7FFFFFFF, 0));
    spec.mtu = static_cast<uint32_t>(reader.Number(iface, "mtu", at, 68, 65535, 1500));
    spec.speed =
        static_cast<uint32_t>(reader.Number(iface, "speed", at, 0, UINT32_MAX, 1000000000));
    spec.description = reader.Text(iface, "description", at, "");
    spec.operStatus = static_cast<uint32_t>(reader.Number(iface, "operStatus", at, 0, 5, 5));
    if (const Json* traffic = reader.Find(iface, "traffic")) {
        const std::string t = Reader::Join(at, "traffic");
        reader.ExpectObject(*traffic, t);
        reader.OnlyKeys(*traffic, {"inBytesPerSecond", "outBytesPerSecond"}, t);
        spec.inBytesPerSecond =
            static_cast<uint32_t>(reader.Number(*traffic, "inBytesPerSecond", t, 0, UINT32_MAX, 0));
        spec.outBytesPerSecond = static_cast<uint32_t>(
            reader.Number(*traffic, "outBytesPerSecond", t, 0, UINT32_MAX, 0));
    }
    if (const Json* network = reader.Find(iface, "network")) {
        spec.network = ReadNetwork(reader, *network, Reader::Join(at, "network"));
    }
    return spec;
}

}  // namespace

DeviceEntry ReadDevice(const Reader& reader, const Json& json, const std::string& where) {
    reader.ExpectObject(json, where);
    reader.OnlyKeys(
        json,
        {"description", "friendlyName", "hardwareIds", "manufacturer", "driverKey", "disabled",
         "configFlags", "present", "driver", "burnedInAddress", "interface", "live"},
        where);
    DeviceEntry entry;
    entry.where = where;
    SimDevice& device = entry.device;
    device.description = reader.Text(json, "description", where);
    device.friendlyName = reader.Text(json, "friendlyName", where, "");
    device.hardwareIds = reader.Texts(json, "hardwareIds", where);
    device.manufacturer = reader.Text(json, "manufacturer", where, "");
    device.driverKey = reader.Text(json, "driverKey", where);
    const std::string classGuid = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\";
    if (!text::StartsWithIgnoreCase(device.driverKey, classGuid) ||
        device.driverKey.size() != classGuid.size() + 4 ||
        !std::all_of(device.driverKey.end() - 4, device.driverKey.end(),
                     [](char c) { return c >= '0' && c <= '9'; })) {
        reader.Fail(Reader::Join(where, "driverKey"),
                    "\"" + device.driverKey +
                        "\" is not a network driver key such as "
                        "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001");
    }
    const auto otherFlags =
        static_cast<uint32_t>(reader.Number(json, "configFlags", where, 0, UINT32_MAX, 0));
    if (otherFlags & platform::kConfigFlagDisabled) {
        reader.Fail(Reader::Join(where, "configFlags"),
                    "bit 0 (disabled) is set with \"disabled\": true, not here");
    }
    device.configFlags =
        otherFlags |
        (reader.Flag(json, "disabled", where, false) ? platform::kConfigFlagDisabled : 0);
    device.present = reader.Flag(json, "present", where, true);
    const bool bridgeId =
        !device.hardwareIds.empty() && device.hardwareIds.front() == "ms_bridgemp";
    const std::string driver = reader.Text(json, "driver", where, bridgeId ? "bridge" : "wired");
    if (!DriverProfileFromName(driver, device.driver)) {
        reader.Fail(
            Reader::Join(where, "driver"),
            "\"" + driver +
                "\" is not a driver profile (wired, wireless, ignores-network-address, bridge)");
    }
    device.burnedInAddress = reader.Mac(json, "burnedInAddress", where);
    if (const Json* iface = reader.Find(json, "interface")) {
        device.interface = ReadInterface(reader, *iface, Reader::Join(where, "interface"));
        entry.hasIndex = reader.Find(*iface, "index") != nullptr;
    }
    if (const Json* live = reader.Find(json, "live")) {
        if (!device.interface) {
            reader.Fail(Reader::Join(where, "live"),
                        "a device without \"interface\" has no live state");
        }
        reader.ExpectObject(*live, Reader::Join(where, "live"));
        entry.live = *live;
    }
    return entry;
}

Json DeviceToJson(const SimDevice& device) {
    Json json = Json::object();
    json["description"] = device.description;
    if (!device.friendlyName.empty()) {
        json["friendlyName"] = device.friendlyName;
    }
    json["hardwareIds"] = device.hardwareIds;
    if (!device.manufacturer.empty()) {
        json["manufacturer"] = device.manufacturer;
    }
    json["driverKey"] = device.driverKey;
    json["disabled"] = device.Disabled();
    if ((device.configFlags & ~platform::kConfigFlagDisabled) != 0) {
        json["configFlags"] = device.configFlags & ~platform::kConfigFlagDisabled;
    }
    json["present"] = device.present;
    json["driver"] = DriverProfileName(device.driver);
    json["burnedInAddress"] = nettext::FormatMac(device.burnedInAddress);
    if (device.interface) {
        const auto& spec = *device.interface;
        Json iface = Json::object();
        iface["index"] = spec.index;
        if (spec.ipv6Index != 0) {
            iface["ipv6Index"] = spec.ipv6Index;
        }
        iface["mtu"] = spec.mtu;
        iface["speed"] = spec.speed;
        if (!spec.description.empty()) {
            iface["description"] = spec.description;
        }
        iface["operStatus"] = spec.operStatus;
        if (spec.inBytesPerSecond != 0 || spec.outBytesPerSecond != 0) {
            iface["traffic"] = Json{{"inBytesPerSecond", spec.inBytesPerSecond},
                                    {"outBytesPerSecond", spec.outBytesPerSecond}};
        }
        const Json network = NetworkToJson(spec.network);
        if (!network.empty()) {
            iface["network"] = network;
        }
        json["interface"] = iface;
    }
    return json;
}

}  // namespace vexav6::sim::machinefile
