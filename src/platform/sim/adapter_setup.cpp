#include "platform/sim/adapter_setup.h"

#include "platform/sim/machine.h"
#include "platform/sim/sim_net_text.h"

namespace vexav6::sim {

namespace {

constexpr platform::RootKey kHklm = platform::RootKey::LocalMachine;
constexpr const char* kServices = "SYSTEM\\CurrentControlSet\\Services\\";

// Adds an entry to a linkage list unless it is there.
void AppendToList(SimRegistry& registry, const std::string& path, const std::string& name,
                  const std::string& entry) {
    std::vector<std::string> entries =
        registry.GetMultiString(kHklm, path, name).value_or(std::vector<std::string>{});
    for (const std::string& present : entries) {
        if (present == entry) {
            return;
        }
    }
    entries.push_back(entry);
    registry.PutMultiString(kHklm, path, name, entries);
}

}  // namespace

size_t AddNetworkAdapter(Machine& machine, const AdapterSetup& setup) {
    SimRegistry& registry = machine.registry;
    const std::string classKey = "SYSTEM\\CurrentControlSet\\Control\\Class\\" + setup.driverKey;
    const bool wireless = setup.driver == DriverProfile::Wireless;
    registry.PutString(kHklm, classKey, "DriverDesc", setup.description);
    registry.PutString(kHklm, classKey, "ProviderName", setup.manufacturer);
    registry.PutString(kHklm, classKey, "NetCfgInstanceId", setup.guid);
    registry.PutDword(kHklm, classKey, "*IfType",
                      wireless ? platform::iftype::kIeee80211 : platform::iftype::kEthernet);
    registry.PutDword(kHklm, classKey, "NetLuidIndex",
                      static_cast<uint32_t>(0x8000 + machine.devices.Devices().size()));
    registry.PutString(
        kHklm,
        "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\" +
            setup.guid + "\\Connection",
        "Name", setup.connectionName);

    const std::string interfaceKey =
        std::string(kServices) + "Tcpip\\Parameters\\Interfaces\\" + setup.guid;
    if (setup.bindTcpip) {
        const std::string adaptersKey =
            std::string(kServices) + "Tcpip\\Parameters\\Adapters\\" + setup.guid;
        registry.PutMultiString(kHklm, adaptersKey, "IpConfig",
                                {"Tcpip\\Parameters\\Interfaces\\" + setup.guid});
        registry.PutDword(kHklm, adaptersKey, "IpConfigLen",
                          static_cast<uint32_t>(setup.guid.size() * 2 + 60));
        const std::string linkage = std::string(kServices) + "Tcpip\\Linkage";
        AppendToList(registry, linkage, "Bind", "\\Device\\" + setup.guid);
        AppendToList(registry, linkage, "Export", "\\Device\\Tcpip_" + setup.guid);
        AppendToList(registry, linkage, "Route", "\"" + setup.guid + "\"");
    }
    registry.PutDword(kHklm, interfaceKey, "EnableDHCP", setup.dhcp ? 1 : 0);
    std::vector<std::string> addresses;
    std::vector<std::string> masks;
    for (const auto& [address, mask] : setup.addresses) {
        addresses.push_back(address);
        masks.push_back(mask);
    }
    if (addresses.empty()) {
        addresses.push_back("0.0.0.0");
        masks.push_back("0.0.0.0");
    }
    registry.PutMultiString(kHklm, interfaceKey, "IPAddress", addresses);
    registry.PutMultiString(kHklm, interfaceKey, "SubnetMask", masks);
    std::vector<std::string> gateways;
    std::vector<std::string> metrics;
    for (const auto& [gateway, metric] : setup.gateways) {
        gateways.push_back(gateway);
        metrics.push_back(metric);
    }
    registry.PutMultiString(kHklm, interfaceKey, "DefaultGateway", gateways);
    registry.PutMultiString(kHklm, interfaceKey, "DefaultGatewayMetric", metrics);
    registry.PutString(kHklm, interfaceKey, "NameServer", setup.nameServers);
    registry.PutString(kHklm, interfaceKey, "Domain", "");
    if (setup.bindTcpip6) {
        const std::string linkage = std::string(kServices) + "Tcpip6\\Linkage";
        AppendToList(registry, linkage, "Bind", "\\Device\\" + setup.guid);
        AppendToList(registry, linkage, "Export", "\\Device\\Tcpip6_" + setup.guid);
        AppendToList(registry, linkage, "Route", "\"" + setup.guid + "\"");
        registry.CreateKeyDirect(
            kHklm, std::string(kServices) + "Tcpip6\\Parameters\\Interfaces\\" + setup.guid);
    }

    SimDevice device;
    device.description = setup.description;
    device.friendlyName = setup.friendlyName;
    device.hardwareIds = setup.hardwareIds;
    device.manufacturer = setup.manufacturer;
    device.driverKey = setup.driverKey;
    device.configFlags = setup.enabled ? 0 : platform::kConfigFlagDisabled;
    device.driver = setup.driver;
    nettext::ParseMac(setup.burnedInAddress, device.burnedInAddress);
    SimIpStack::InterfaceSpec spec;
    uint32_t index = setup.index;
    if (index == 0) {
        index = 2;
        for (const SimDevice& other : machine.devices.Devices()) {
            if (other.interface) {
                index = std::max(index, other.interface->index + 1);
            }
        }
    }
    spec.index = index;
    spec.speed = setup.speed;
    spec.network = setup.network;
    device.interface = spec;
    return machine.devices.Add(std::move(device));
}

}  // namespace vexav6::sim
