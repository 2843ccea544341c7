#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "adapters/adapter_machine.h"
#include "ipconfig/ipv4_addresses.h"
#include "ipconfig/ipv4_gateways.h"
#include "ipconfig/ipv4_name_servers.h"
#include "ipconfig/ipv6_addresses.h"
#include "ipconfig/ipv6_gateways.h"
#include "ipconfig/ipv6_name_servers.h"
#include "presets/ie_proxy.h"
#include "presets/preset.h"
#include "presets/preset_test_support.h"
#include "vendors/vendor_test_support.h"

namespace vexav6::testing {
namespace {

using platform::RootKey;
using Op = sim::SimRegistry::Op;

// The adapter of static-ip.json: 192.168.50.10/24 and 10.10.0.5/16, gateways 192.168.50.1 (no
// metric of its own) and 10.10.0.1 (20), DNS 192.168.50.1 and 9.9.9.9; IPv6 2001:db8:50::10/64,
// DNS 2001:db8:50::53; burned-in address 70-85-C2-11-22-33.
constexpr const char* kGuid = "{C4D5E6F7-0819-4A2B-BC3D-4E5F60718201}";
constexpr const char* kInterfaceKey =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{C4D5E6F7-0819-4A2B-BC3D-"
    "4E5F60718201}";
constexpr const char* kClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";

IPv4AddressList V4Addresses(const std::vector<std::pair<std::string, std::string>>& entries) {
    IPv4AddressList list;
    for (const auto& [address, mask] : entries) {
        PresetLists::AddIPv4Address(list, address, mask);
    }
    return list;
}

IPv4GatewayList V4Gateways(const std::vector<std::pair<std::string, int32_t>>& entries) {
    IPv4GatewayList list;
    for (const auto& [gateway, metric] : entries) {
        PresetLists::AddIPv4Gateway(list, gateway, metric);
    }
    return list;
}

NameServerList Servers(const std::vector<std::string>& entries) {
    NameServerList list;
    for (const auto& server : entries) {
        PresetLists::AddNameServer(list, server);
    }
    return list;
}

Preset MACPreset(MacAction action, const std::string& custom = "") {
    Preset p;
    p.SetMACAddress(action);
    p.SetCustomMACAddress(custom);
    return p;
}

class PresetApplyTest : public AdapterMachineTest {
  protected:
    PresetApplyTest() {
        Load("static-ip.json");
        adapter = Adapter(kGuid);
    }

    // Changes the MAC address with a restart, as the change panel does.
    void ChangeMAC(const std::string& address) {
        adapter->ChangeNetworkAddress(address);
        Restart(*adapter);
        adapter->Refresh(true);
    }
    // Switched off, the adapter reports its stored settings: metrics as stored (a running route
    // adds the interface's metric) and no link-local IPv6 address.
    void SwitchOff() {
        adapter->SetState(false);
        adapter->Refresh(true);
    }
    std::string Stored(const char* key, const char* name) {
        return machine.registry.GetString(kHklm, key, name).value_or("<absent>");
    }
    std::vector<std::string> StoredList(const char* name) {
        return machine.registry.GetMultiString(kHklm, kInterfaceKey, name)
            .value_or(std::vector<std::string>{"<absent>"});
    }

    std::shared_ptr<AdapterInfo> adapter;
};

// ---- Scoring ----

TEST_F(PresetApplyTest, TheMACPartDecidesWhetherThereIsAMatch) {
    EXPECT_EQ(Preset().IsThisSet(*adapter), 3);  // nothing selected: one for each part
    EXPECT_EQ(MACPreset(MacAction::Random).IsThisSet(*adapter), 0);
    EXPECT_EQ(MACPreset(MacAction::Original).IsThisSet(*adapter), 6);
    EXPECT_EQ(MACPreset(MacAction::Random02).IsThisSet(*adapter), 0);
    // A custom address typed in lower case is still the active one.
    EXPECT_EQ(MACPreset(MacAction::Custom, "70:85:c2:11:22:33").IsThisSet(*adapter), 6);

    ChangeMAC("02-12-34-56-78-9A");
    EXPECT_EQ(MACPreset(MacAction::Random).IsThisSet(*adapter), 4);
    EXPECT_EQ(MACPreset(MacAction::Random02).IsThisSet(*adapter), 6);
    EXPECT_EQ(MACPreset(MacAction::Original).IsThisSet(*adapter), 0);
    // Another custom address gives no match whatever the IP settings say.
    Preset custom = MACPreset(MacAction::Custom, "02-12-34-56-78-9B");
    custom.SetIPv4Selected(true);
    custom.SetIPv4NameServers(Servers({"192.168.50.1", "9.9.9.9"}));
    EXPECT_EQ(custom.IsThisSet(*adapter), 0);
    custom.SetCustomMACAddress("02-12-34-56-78-9A");
    EXPECT_EQ(custom.IsThisSet(*adapter), 4 + 1 + 8 + 1);

    ChangeMAC("0A-12-34-56-78-9A");
    EXPECT_EQ(MACPreset(MacAction::Random02).IsThisSet(*adapter), 0);
    // An unknown action scores nothing, and the settings are still compared: a stop at the
    // first IPv4 check gives 0.
    Preset invalid = MACPreset(static_cast<MacAction>(9));
    EXPECT_EQ(invalid.IsThisSet(*adapter), 2);
    invalid.SetIPv4Selected(true);
    invalid.SetIPv4DHCPEnabled(true);
    EXPECT_EQ(invalid.IsThisSet(*adapter), 0);

    // Without a known original, an address that is not changed counts as the original.
    adapter->ResetOriginalNetworkAddress();
    SwitchOff();
    ASSERT_EQ(adapter->OriginalNetworkAddress(), "");
    EXPECT_EQ(MACPreset(MacAction::Original).IsThisSet(*adapter), 6);
}

TEST_F(PresetApplyTest, IPSettingsScoreFourPerMatchingItemUntilTheFirstMismatch) {
    SwitchOff();
    Preset p;
    p.SetIPv4Selected(true);
    p.SetIPv4Addresses(
        V4Addresses({{"192.168.50.10", "255.255.255.0"}, {"10.10.0.5", "255.255.0.0"}}));
    p.SetIPv4Gateways(V4Gateways({{"10.10.0.1", 20}, {"192.168.50.1", 0}}));
    p.SetIPv4NameServers(Servers({"192.168.50.1", "9.9.9.9"}));
    EXPECT_EQ(p.IsThisSet(*adapter), 1 + 1 + 8 + 8 + 8 + 1);

    // Only the first of two addresses on the adapter: the MAC part, DHCP and one address.
    p.SetIPv4Addresses(
        V4Addresses({{"192.168.50.10", "255.255.255.0"}, {"10.10.0.5", "255.255.255.0"}}));
    EXPECT_EQ(p.IsThisSet(*adapter), 1 + 1 + 4);
    // A count that differs stops before any entry; an absent list is not compared.
    p.SetIPv4Addresses(V4Addresses({{"192.168.50.10", "255.255.255.0"}}));
    EXPECT_EQ(p.IsThisSet(*adapter), 1 + 1);
    p.SetIPv4Addresses(std::nullopt);
    p.SetIPv4Gateways(V4Gateways({{"10.10.0.1", 21}, {"192.168.50.1", 0}}));
    EXPECT_EQ(p.IsThisSet(*adapter), 1 + 1);
    p.SetIPv4DHCPEnabled(true);
    EXPECT_EQ(p.IsThisSet(*adapter), 1);

    Preset v6;
    v6.SetIPv6Selected(true);
    IPv6AddressList addresses;
    PresetLists::AddIPv6Address(addresses, V6("2001:db8:50::10"), 64);
    v6.SetIPv6Addresses(addresses);
    v6.SetIPv6NameServers(Servers({"2001:db8:50::53"}));
    EXPECT_EQ(v6.IsThisSet(*adapter), 1 + 1 + 1 + 4 + 4);
    IPv6AddressList otherPrefix;
    PresetLists::AddIPv6Address(otherPrefix, V6("2001:db8:50::10"), 48);
    v6.SetIPv6Addresses(otherPrefix);
    EXPECT_EQ(v6.IsThisSet(*adapter), 1 + 1 + 1);
}

// ---- Applying ----

TEST_F(PresetApplyTest, MACActionsTakeEffectThroughTheRestart) {
    const Preset custom = MACPreset(MacAction::Custom, "02:AA:BB:CC:DD:EE");
    custom.ApplyPreset(*adapter, nullptr, true);
    EXPECT_TRUE(adapter->State());
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "02-AA-BB-CC-DD-EE");
    EXPECT_EQ(custom.IsThisSet(*adapter), 6);

    MACPreset(MacAction::Original).ApplyPreset(*adapter, nullptr, true);
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "70-85-C2-11-22-33");
    EXPECT_EQ(Stored(kClassKey, "NetworkAddress"), "<absent>");

    // Random addresses come from the vendor table (vendors 00-10-00 and 00-10-01).
    NICVendor vendors(platform);
    TempDir dir;
    WriteFileBytes(dir.File("oui.txt"), MakeListing(2));
    vendors.ParseOUI(dir.File("oui.txt"));
    MACPreset(MacAction::Random).ApplyPreset(*adapter, &vendors, true);
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress().substr(0, 7), "00-10-0");
    MACPreset(MacAction::Random02).ApplyPreset(*adapter, &vendors, true);
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress().substr(0, 7), "02-10-0");

    // Without a loaded table: the all-zero address, which no driver takes, is refused and the
    // device runs on; 02 first makes it a valid one. Without the restart only the stored value
    // changes.
    EXPECT_THROW(MACPreset(MacAction::Random).ApplyPreset(*adapter, nullptr, true), Error);
    EXPECT_TRUE(adapter->State());
    EXPECT_EQ(Stored(kClassKey, "NetworkAddress").substr(0, 5), "02100");
    NICVendor notLoaded(platform);
    MACPreset(MacAction::Random02).ApplyPreset(*adapter, &notLoaded, false);
    EXPECT_EQ(Stored(kClassKey, "NetworkAddress"), "020000000000");
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress().substr(0, 7), "02-10-0");
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(PresetApplyTest, AFailingStepRaisesItsErrorAndTheDeviceRunsAgain) {
    // A stored address that the driver takes at its next start shows that it restarted.
    machine.registry.PutString(kHklm, kClassKey, "NetworkAddress", "02AABBCCDDEE");
    Preset invalid = MACPreset(static_cast<MacAction>(7));
    invalid.SetIPv4Selected(true);
    invalid.SetIPv4Addresses(V4Addresses({}));
    ExpectError([&] { invalid.ApplyPreset(*adapter, nullptr, true); }, 1, "Preset.ApplyPreset");
    // Refreshed while the device was off, nothing after the MAC step done, the device on again.
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "");
    EXPECT_TRUE(adapter->State());
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "02-AA-BB-CC-DD-EE");
    EXPECT_EQ(adapter->IPv4Addresses()->Count(), 2);

    // A failure in the last step: the MAC address set before it stays.
    Preset proxy = MACPreset(MacAction::Custom, "02-AA-BB-CC-DD-01");
    proxy.SetIEProxySelected(true);
    proxy.SetIEProxyEnabled(true);
    machine.registry.InjectFailure(Op::Set, RootKey::CurrentUser, IEProxy::kInternetSettingsKey,
                                   "ProxyServer", 5);
    ExpectError([&] { proxy.ApplyPreset(*adapter, nullptr, true); }, 5, "IEProxy.SetProxySettings");
    EXPECT_TRUE(adapter->State());
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "02-AA-BB-CC-DD-01");
}

TEST_F(PresetApplyTest, StaticIPv4ListsReachADisabledAdapterAndHoldWhenItStarts) {
    adapter->SetState(false);
    Preset p;
    p.SetIPv4Selected(true);
    p.SetIPv4Addresses(V4Addresses({{"172.16.5.20", "255.255.240.0"}}));
    p.SetIPv4Gateways(V4Gateways({{"172.16.0.1", 15}}));
    p.SetIPv4NameServers(Servers({"172.16.0.53", "1.0.0.1"}));
    p.ApplyPreset(*adapter, nullptr, true);

    EXPECT_FALSE(adapter->State());  // it was off before: it stays off
    EXPECT_EQ(StoredList("IPAddress"), (std::vector<std::string>{"172.16.5.20"}));
    EXPECT_EQ(StoredList("SubnetMask"), (std::vector<std::string>{"255.255.240.0"}));
    EXPECT_EQ(StoredList("DefaultGateway"), (std::vector<std::string>{"172.16.0.1"}));
    EXPECT_EQ(Stored(kInterfaceKey, "NameServer"), "172.16.0.53,1.0.0.1");
    adapter->Refresh(true);
    EXPECT_EQ(p.IsThisSet(*adapter), 1 + 1 + 4 + 4 + 8 + 1);

    adapter->SetState(true);
    adapter->Refresh(true);
    EXPECT_TRUE(adapter->IPv4Addresses()->Exists("172.16.5.20", "255.255.240.0"));
    EXPECT_EQ(adapter->IPv4Addresses()->Count(), 1);
    EXPECT_TRUE(adapter->IPv4Gateways()->Items().Contains("172.16.0.1"));
    EXPECT_EQ(adapter->IPv4Gateways()->Count(), 1);
}

TEST_F(PresetApplyTest, AbsentListsAreLeftAloneAndEmptyOnesRemove) {
    Preset p;
    p.SetIPv4Selected(true);
    p.SetIPv4Addresses(V4Addresses({{"192.168.50.11", "255.255.255.0"}}));
    p.ApplyPreset(*adapter, nullptr, false);
    adapter->Refresh(true);
    EXPECT_EQ(adapter->IPv4Addresses()->Count(), 1);
    EXPECT_TRUE(adapter->IPv4Addresses()->Exists("192.168.50.11", "255.255.255.0"));
    EXPECT_EQ(adapter->IPv4Gateways()->Count(), 2);
    EXPECT_EQ(adapter->IPv4NameServers()->Count(), 2);

    p.SetIPv4Addresses(std::nullopt);
    p.SetIPv4Gateways(V4Gateways({}));
    p.SetIPv4NameServers(NameServerList{});
    p.ApplyPreset(*adapter, nullptr, false);
    adapter->Refresh(true);
    EXPECT_EQ(adapter->IPv4Addresses()->Count(), 1);
    EXPECT_EQ(adapter->IPv4Gateways()->Count(), 0);
    // No "no server" placeholder either.
    EXPECT_EQ(adapter->IPv4NameServers()->Count(), 0);
    EXPECT_EQ(Stored(kInterfaceKey, "NameServer"), "");
}

TEST_F(PresetApplyTest, DHCPRemovesStaticAddressesWhateverThePresetLists) {
    Preset p;
    p.SetIPv4Selected(true);
    p.SetIPv4DHCPEnabled(true);
    p.SetIPv4Addresses(V4Addresses({{"1.2.3.4", "255.0.0.0"}}));
    p.SetIPv4NameServers(Servers({"9.9.9.9"}));
    p.ApplyPreset(*adapter, nullptr, true);
    EXPECT_EQ(machine.registry.GetDword(kHklm, kInterfaceKey, "EnableDHCP"), 1u);
    EXPECT_EQ(StoredList("IPAddress"), (std::vector<std::string>{"0.0.0.0"}));
    EXPECT_EQ(StoredList("DefaultGateway"), (std::vector<std::string>{}));
    EXPECT_EQ(Stored(kInterfaceKey, "NameServer"), "9.9.9.9");
}

TEST_F(PresetApplyTest, DHCPAlreadyOnIsNotSwitchedAgain) {
    // On DHCP but still running with static addresses: they go, the switch is not written.
    machine.registry.PutDword(kHklm, kInterfaceKey, "EnableDHCP", 1);
    adapter->Refresh(true);
    ASSERT_TRUE(adapter->DHCPv4Enabled());
    ASSERT_EQ(adapter->IPv4Addresses()->Count(), 2);
    machine.registry.InjectFailure(Op::Set, kHklm, kInterfaceKey, "EnableDHCP", 5, -1);
    Preset p;
    p.SetIPv4Selected(true);
    p.SetIPv4DHCPEnabled(true);
    p.ApplyPreset(*adapter, nullptr, false);
    EXPECT_EQ(adapter->IPv4Addresses()->Count() + adapter->IPv4Gateways()->Count(), 0);
    EXPECT_EQ(adapter->IPv4NameServers()->Count(), 2);
}

// The Ethernet adapter of the demo machine runs on a DHCP lease (192.168.1.23, gateway
// 192.168.1.1) with a link-local and a router-advertised IPv6 address; its key stores no static
// address at all.
TEST_F(AdapterMachineTest, DHCPOnARunningLeaseKeepsWhatTheSystemConfigured) {
    Load("demo.json");
    const std::shared_ptr<AdapterInfo> ethernet = Adapter("{3F2A6C1E-8B4D-4E21-9A7C-5D1E2F3A4B01}");
    ASSERT_TRUE(ethernet->DHCPv4Enabled());
    Preset p;
    p.SetIPv4Selected(true);
    p.SetIPv4DHCPEnabled(true);
    p.SetIPv6Selected(true);
    p.SetIPv6DHCPEnabled(true);
    p.SetIPv4NameServers(NameServerList());
    p.ApplyPreset(*ethernet, nullptr, false);

    ethernet->Refresh(true);
    ASSERT_EQ(ethernet->IPv4Addresses()->Count(), 1);
    EXPECT_EQ(ethernet->IPv4Addresses()->Item(1)->IPAddress(), "192.168.1.23");
    ASSERT_EQ(ethernet->IPv4Gateways()->Count(), 1);
    EXPECT_EQ(ethernet->IPv4Gateways()->Item(1)->Gateway(), "192.168.1.1");
    EXPECT_TRUE(ethernet->DHCPv6Enabled());
    EXPECT_EQ(ethernet->IPv6Addresses()->Count(), 2);  // link-local and router-advertised
    EXPECT_EQ(ethernet->IPv6Gateways()->Count(), 1);

    // A static address added beside the lease is no part of it and goes.
    ethernet->IPv4Addresses()->Add("192.168.1.99", "255.255.255.0", false);
    p.ApplyPreset(*ethernet, nullptr, false);
    ethernet->Refresh(true);
    EXPECT_EQ(ethernet->IPv4Addresses()->Count(), 1);
}

TEST_F(PresetApplyTest, IPv6SettingsAndTheProxyAreApplied) {
    Preset p;
    p.SetIPv6Selected(true);
    IPv6AddressList addresses;
    PresetLists::AddIPv6Address(addresses, V6("2001:db8:60::7"), 56);
    p.SetIPv6Addresses(addresses);
    IPv6GatewayList gateways;
    PresetLists::AddIPv6Gateway(gateways, V6("2001:db8:60::1"), 40);
    p.SetIPv6Gateways(gateways);
    p.SetIPv6NameServers(Servers({"2001:db8:60::53"}));
    p.SetIEProxySelected(true);
    p.SetIEProxyEnabled(true);
    p.SetIEProxyServer("cache.example");
    p.SetIEProxyPort(8080);
    p.ApplyPreset(*adapter, nullptr, true);

    EXPECT_EQ(IEProxy::GetProxyServer(platform), "cache.example:8080");
    EXPECT_TRUE(IEProxy::IsProxyEnabled(platform));
    SwitchOff();
    EXPECT_EQ(p.IsThisSet(*adapter), 1 + 1 + 1 + 4 + 4 + 4);
    EXPECT_FALSE(
        adapter->IPv6Addresses()->Items().Contains("2001:0DB8:0050:0000:0000:0000:0000:0010"));

    p.SetIEProxyEnabled(false);
    p.SetIPv6Selected(false);
    p.ApplyPreset(*adapter, nullptr, false);
    EXPECT_FALSE(IEProxy::IsProxyEnabled(platform));
    EXPECT_EQ(IEProxy::GetProxyServer(platform), "cache.example:8080");
}

}  // namespace
}  // namespace vexav6::testing
