#include "startup/adapter_json.h"

#include <nlohmann/json.hpp>

#include <cstdio>

#include "base/app_info.h"
#include "base/text.h"
#include "ipconfig/ipv4_addresses.h"
#include "ipconfig/ipv4_gateways.h"
#include "ipconfig/ipv4_name_servers.h"
#include "ipconfig/ipv6_addresses.h"
#include "ipconfig/ipv6_gateways.h"
#include "ipconfig/ipv6_name_servers.h"

namespace vexav6::AdapterJson {

namespace {

using nlohmann::ordered_json;

// "2026-12-07T09:15:30"; null for the empty date.
ordered_json DateJson(OleDate date) {
    if (date.value == 0.0) {
        return nullptr;
    }
    const CivilTime t = CivilFromDate(date);
    char text[32];
    std::snprintf(text, sizeof(text), "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

ordered_json TextOrNull(const std::string& value) {
    return value.empty() ? ordered_json(nullptr) : ordered_json(value);
}

// A MAC address and its vendor; both null when the address is not known.
void PutAddress(ordered_json& mac, const char* name, const std::string& address,
                const VendorNameLookup& vendorName) {
    mac[name] = TextOrNull(address);
    std::string vendor;
    if (!address.empty() && vendorName) {
        const std::string oui = text::ReplaceAll(address.substr(0, 8), "-", "");
        vendor = vendorName(static_cast<int32_t>(text::LeadingHexValue(oui)));
    }
    mac[std::string(name) + "Vendor"] = TextOrNull(vendor);
}

template <class Servers>
ordered_json ServersJson(const Servers& servers) {
    ordered_json list = ordered_json::array();
    for (const std::string& server : servers.Items()) {
        list.push_back(server);
    }
    return list;
}

ordered_json IPv4Json(const AdapterInfo& adapter) {
    ordered_json ipv4;
    ipv4["dhcp"] = adapter.DHCPv4Enabled();
    ipv4["leaseObtained"] =
        adapter.DHCPv4Enabled() ? DateJson(adapter.DHCPv4LeaseObtained()) : ordered_json(nullptr);
    ipv4["leaseExpires"] =
        adapter.DHCPv4Enabled() ? DateJson(adapter.DHCPv4LeaseExpires()) : ordered_json(nullptr);
    ordered_json addresses = ordered_json::array();
    for (const auto& address : adapter.IPv4Addresses()->Items()) {
        // "0.0.0.0" is how the system lists no address at all.
        if (address->IPAddress() != "0.0.0.0") {
            addresses.push_back(
                {{"address", address->IPAddress()}, {"subnetMask", address->SubnetMask()}});
        }
    }
    ipv4["addresses"] = std::move(addresses);
    ordered_json gateways = ordered_json::array();
    for (const auto& gateway : adapter.IPv4Gateways()->Items()) {
        gateways.push_back({{"address", gateway->Gateway()}, {"metric", gateway->Metric()}});
    }
    ipv4["gateways"] = std::move(gateways);
    ipv4["dnsServers"] = ServersJson(*adapter.IPv4NameServers());
    return ipv4;
}

ordered_json IPv6Json(const AdapterInfo& adapter) {
    ordered_json ipv6;
    ipv6["dhcp"] = adapter.DHCPv6Enabled();
    ordered_json addresses = ordered_json::array();
    for (const auto& address : adapter.IPv6Addresses()->Items()) {
        addresses.push_back(
            {{"address", address->IPAddress()}, {"prefixLength", address->OnLinkPrefixLength()}});
    }
    ipv6["addresses"] = std::move(addresses);
    ordered_json gateways = ordered_json::array();
    for (const auto& gateway : adapter.IPv6Gateways()->Items()) {
        gateways.push_back({{"address", gateway->NextHop()}, {"metric", gateway->Metric()}});
    }
    ipv6["gateways"] = std::move(gateways);
    ipv6["dnsServers"] = ServersJson(*adapter.IPv6NameServers());
    return ipv6;
}

ordered_json ConnectionJson(const AdapterInfo& adapter, const VendorNameLookup& vendorName) {
    ordered_json connection;
    connection["connectionName"] = adapter.ConnectionName();
    connection["deviceDescription"] = adapter.DeviceDescription();
    connection["deviceManufacturer"] = adapter.DeviceManufacturer();
    connection["hardwareId"] = adapter.DeviceHardwareID();
    connection["configurationId"] = adapter.NetCfgInstanceId();
    connection["enabled"] = adapter.AdminStatus() != 2;

    ordered_json mac;
    PutAddress(mac, "active", adapter.ActiveNetworkAddress(), vendorName);
    PutAddress(mac, "original", adapter.OriginalNetworkAddress(), vendorName);
    PutAddress(mac, "stored", adapter.ChangedNetworkAddress(), vendorName);
    mac["changed"] = adapter.NetworkAddressChangedStatus();
    connection["mac"] = std::move(mac);

    connection["link"] = {{"status", adapter.LinkStatus()},
                          {"adminStatus", adapter.AdminStatus()},
                          {"operationalStatus", adapter.OperationalStatus()},
                          {"speed", adapter.LinkSpeed()}};
    connection["ipv4"] = adapter.IPv4Binding() ? IPv4Json(adapter) : ordered_json(nullptr);
    connection["ipv6"] = adapter.IPv6Binding() ? IPv6Json(adapter) : ordered_json(nullptr);
    return connection;
}

ordered_json ConnectionsArray(const TextReport::AdapterCollection& adapters,
                              const VendorNameLookup& vendorName) {
    ordered_json connections = ordered_json::array();
    for (const std::shared_ptr<AdapterInfo>& adapter : adapters) {
        connections.push_back(ConnectionJson(*adapter, vendorName));
    }
    return connections;
}

// Two-space indents; a text that is no valid UTF-8 (a name the system handed over damaged) is
// written with U+FFFD instead of failing the whole output.
std::string Dump(const ordered_json& value) {
    return value.dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\r\n";
}

}  // namespace

std::string ConnectionsJson(const TextReport::AdapterCollection& adapters,
                            const VendorNameLookup& vendorName) {
    return Dump(ConnectionsArray(adapters, vendorName));
}

std::string ReportJson(OleDate now, const TextReport::AdapterCollection& adapters,
                       const VendorNameLookup& vendorName) {
    ordered_json report;
    report["program"] = app::kTitle;
    report["version"] = app::FullVersion();
    report["date"] = DateJson(now);
    report["connections"] = ConnectionsArray(adapters, vendorName);
    return Dump(report);
}

}  // namespace vexav6::AdapterJson
