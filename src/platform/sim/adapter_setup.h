#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim_devices.h"

namespace vexav6::sim {

class Machine;

// A network adapter to install on a simulated machine, with its stored TCP/IP settings.
struct AdapterSetup {
    std::string guid;       // the connection's NetCfgInstanceId, "{...}"
    std::string driverKey;  // "{4D36E972-E325-11CE-BFC1-08002BE10318}\0001"
    std::string connectionName = "Ethernet";
    std::string description = "Intel(R) Ethernet Connection I219-V";
    std::string friendlyName;
    std::vector<std::string> hardwareIds = {"PCI\\VEN_8086&DEV_15B8&SUBSYS_86721043&REV_10"};
    std::string manufacturer = "Intel";
    DriverProfile driver = DriverProfile::Wired;
    std::string burnedInAddress = "00-1B-21-3A-4F-5C";
    bool enabled = true;
    bool bindTcpip = true;   // IpConfig value and the TCP/IP linkage
    bool bindTcpip6 = true;  // the TCP/IPv6 linkage
    uint32_t index = 0;      // interface index; 0 takes the next free one
    uint32_t speed = 1000000000;
    // Stored IPv4 configuration.
    bool dhcp = true;
    std::vector<std::pair<std::string, std::string>> addresses;  // address, mask
    std::vector<std::pair<std::string, std::string>> gateways;   // gateway, metric text
    std::string nameServers;                                     // "," separated
    NetworkSetup network;
};

// Installs the adapter as Windows does: its class key (NetCfgInstanceId, DriverDesc, *IfType,
// NetLuidIndex), its connection key, its TCP/IP adapter and interface keys, its entries in the
// TCP/IP and TCP/IPv6 linkage lists, then the device itself (started when enabled). Returns the
// device's position.
size_t AddNetworkAdapter(Machine& machine, const AdapterSetup& setup);

}  // namespace vexav6::sim
