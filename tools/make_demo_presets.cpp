// Writes the sample preset file of the demo machine (tests/fixtures/presets/demo.kpf), which ./run
// and the end-to-end tests apply. Its presets are listed in docs/presets.md.
//
//   cmake --build --preset native --target make_demo_presets
//   build-native/tests/make_demo_presets tests/fixtures/presets/demo.kpf
#include <cstdio>
#include <memory>
#include <string>

#include "base/error.h"
#include "presets/preset.h"
#include "presets/preset_support.h"

namespace {

using namespace vexav6;

std::shared_ptr<Preset> Named(const std::string& name, int32_t macAction) {
    auto preset = std::make_shared<Preset>();
    preset->SetPresetName(name);
    preset->SetMACAddress(macAction);
    return preset;
}

NameServerList Servers(std::initializer_list<const char*> servers) {
    NameServerList list;
    for (const char* server : servers) {
        PresetLists::AddNameServer(list, server);
    }
    return list;
}

PresetCollection DemoPresets() {
    PresetCollection presets;

    // The usual home network: everything from DHCP, no proxy.
    auto home = Named("Home", macaction::kLeave);
    home->SetIPv4Selected(true);
    home->SetIPv4DHCPEnabled(true);
    home->SetIPv4NameServers(NameServerList());
    home->SetIEProxySelected(true);
    home->SetIEProxyEnabled(false);
    presets.Add(home, home->PresetName());

    // A fixed address in the office, with its gateway, DNS servers and proxy.
    auto office = Named("Office", macaction::kLeave);
    office->SetIPv4Selected(true);
    office->SetIPv4DHCPEnabled(false);
    IPv4AddressList addresses;
    PresetLists::AddIPv4Address(addresses, "192.168.1.50", "255.255.255.0");
    office->SetIPv4Addresses(addresses);
    IPv4GatewayList gateways;
    PresetLists::AddIPv4Gateway(gateways, "192.168.1.1", 0);
    office->SetIPv4Gateways(gateways);
    office->SetIPv4NameServers(Servers({"192.168.1.1", "1.1.1.1"}));
    office->SetIEProxySelected(true);
    office->SetIEProxyEnabled(true);
    office->SetIEProxyServer("proxy-1.example.com");
    office->SetIEProxyPort(8080);
    presets.Add(office, office->PresetName());

    // Public networks: a random address that wireless adapters take, and DHCP.
    auto travel = Named("Travel", macaction::kRandom02);
    travel->SetIPv4Selected(true);
    travel->SetIPv4DHCPEnabled(true);
    presets.Add(travel, travel->PresetName());

    // Back to the address the adapter came with.
    presets.Add(Named("Original", macaction::kOriginal), "Original");
    return presets;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_presets <file.kpf>\n");
        return 2;
    }
    try {
        PresetSupport::SavePresetFile(argv[1], DemoPresets(), true);
    } catch (const Error& error) {
        std::fprintf(stderr, "%s: %s\n", error.Source().c_str(), error.Description().c_str());
        return 1;
    }
    return 0;
}
