#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "adapters/adapter_machine.h"
#include "base/error.h"
#include "ipconfig/ipv4_addresses.h"
#include "ipconfig/ipv4_gateways.h"
#include "ipconfig/ipv4_name_servers.h"
#include "ipconfig/ipv6_addresses.h"
#include "ipconfig/ipv6_gateways.h"
#include "ipconfig/ipv6_name_servers.h"
#include "ipconfig/ipv6_support.h"
#include "presets/ie_proxy.h"
#include "presets/preset.h"
#include "vendors/vendor_test_support.h"

namespace vexav6::testing {
namespace {

using platform::RootKey;
using Op = sim::SimRegistry::Op;

// The adapter of static-ip.json: 192.168.50.10/24 and 10.10.0.5/16, gateways 192.168.50.1
// (no metric of its own) and 10.10.0.1 (20), DNS 192.168.50.1 and 9.9.9.9; IPv6
// 2001:db8:50::10/64 through 2001:db8:50::1, DNS 2001:db8:50::53; burned-in 70-85-C2-11-22-33.
constexpr const char* kStaticGuid = "{C4D5E6F7-0819-4A2B-BC3D-4E5F60718201}";
constexpr const char* kStaticInterfaceKey =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{C4D5E6F7-0819-4A2B-BC3D-"
    "4E5F60718201}";
constexpr const char* kStaticClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";
constexpr const char* kBurnedIn = "70-85-C2-11-22-33";

std::array<uint8_t, 16> V6(const char* text) {
    return IPv6Support::IPv6TextToBytes(IPv6Support::ExpandIPv6Text(text));
}

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

// The fixture adapter's IPv4 configuration as a preset.
Preset StaticIPv4Preset() {
    Preset p;
    p.SetIPv4Selected(true);
    p.SetIPv4Addresses(
        V4Addresses({{"192.168.50.10", "255.255.255.0"}, {"10.10.0.5", "255.255.0.0"}}));
    p.SetIPv4Gateways(V4Gateways({{"192.168.50.1", 0}, {"10.10.0.1", 20}}));
    p.SetIPv4NameServers(Servers({"192.168.50.1", "9.9.9.9"}));
    return p;
}

class PresetApplyTest : public AdapterMachineTest {
  protected:
    std::shared_ptr<AdapterInfo> StaticAdapter() {
        Load("static-ip.json");
        return Adapter(kStaticGuid);
    }

    // Changes the MAC address of the adapter with a restart, as the change panel does.
    void ChangeMAC(AdapterInfo& adapter, const std::string& address) {
        adapter.ChangeNetworkAddress(address);
        Restart(adapter);
        adapter.Refresh(true);
    }

    std::string StoredText(const char* key, const char* name) {
        return machine.registry.GetString(kHklm, key, name).value_or("<absent>");
    }
    std::vector<std::string> StoredList(const char* name) {
        return machine.registry.GetMultiString(kHklm, kStaticInterfaceKey, name)
            .value_or(std::vector<std::string>{"<absent>"});
    }

    // A vendor table of two vendors, 00-10-00 and 00-10-01.
    void LoadVendors(NICVendor& vendor) {
        TempDir dir;
        WriteFileBytes(dir.File("oui.txt"), MakeListing(2));
        vendor.ParseOUI(dir.File("oui.txt"));
        ASSERT_TRUE(vendor.IsLoaded());
    }

    void ExpectNoErrorShown() { EXPECT_TRUE(machine.ui.Boxes().empty()); }
};

// ---- Scoring ----

TEST_F(PresetApplyTest, APresetOfNothingScoresOneForEachPart) {
    const auto adapter = StaticAdapter();
    EXPECT_EQ(Preset().IsThisSet(*adapter), 3);
}

TEST_F(PresetApplyTest, TheMACPartDecidesWhetherThereIsAMatch) {
    const auto adapter = StaticAdapter();
    Preset p;
    p.SetMACAddress(macaction::kRandom);
    EXPECT_EQ(p.IsThisSet(*adapter), 0);  // not changed
    p.SetMACAddress(macaction::kOriginal);
    EXPECT_EQ(p.IsThisSet(*adapter), 6);
    p.SetMACAddress(macaction::kRandom02);
    EXPECT_EQ(p.IsThisSet(*adapter), 0);
    p.SetMACAddress(macaction::kCustom);
    p.SetCustomMACAddress("70:85:c2:11:22:33");  // typed in lower case: still the same address
    EXPECT_EQ(p.IsThisSet(*adapter), 6);

    ChangeMAC(*adapter, "02-12-34-56-78-9A");
    ASSERT_EQ(adapter->HasNetworkAddressChanged(), 1);
    p.SetMACAddress(macaction::kRandom);
    EXPECT_EQ(p.IsThisSet(*adapter), 4);
    p.SetMACAddress(macaction::kRandom02);
    EXPECT_EQ(p.IsThisSet(*adapter), 6);
    p.SetMACAddress(macaction::kOriginal);
    EXPECT_EQ(p.IsThisSet(*adapter), 0);
    // A custom address that is not the active one gives no match whatever the IP settings say.
    Preset custom;
    custom.SetIPv4Selected(true);
    custom.SetIPv4Addresses(
        V4Addresses({{"192.168.50.10", "255.255.255.0"}, {"10.10.0.5", "255.255.0.0"}}));
    custom.SetMACAddress(macaction::kCustom);
    custom.SetCustomMACAddress("02-12-34-56-78-9B");
    EXPECT_EQ(custom.IsThisSet(*adapter), 0);
    custom.SetCustomMACAddress("02-12-34-56-78-9A");
    EXPECT_EQ(custom.IsThisSet(*adapter), 4 + 1 + 8 + 1);

    ChangeMAC(*adapter, "0A-12-34-56-78-9A");
    p.SetMACAddress(macaction::kRandom02);
    EXPECT_EQ(p.IsThisSet(*adapter), 0);

    // An unknown action scores nothing but the settings are still compared; with a stop at the
    // first IPv4 check the result is 0.
    p.SetMACAddress(9);
    EXPECT_EQ(p.IsThisSet(*adapter), 2);
    p.SetIPv4Selected(true);
    p.SetIPv4DHCPEnabled(true);
    EXPECT_EQ(p.IsThisSet(*adapter), 0);
}

TEST_F(PresetApplyTest, WithoutAKnownOriginalOnlyAnUnchangedAddressCountsAsOriginal) {
    const auto adapter = StaticAdapter();
    Preset p;
    p.SetMACAddress(macaction::kOriginal);
    // Forgetting the original and storing a change: the disabled adapter judges the stored value.
    adapter->ResetOriginalNetworkAddress();
    adapter->SetState(false);
    adapter->Refresh(true);
    ASSERT_EQ(adapter->OriginalNetworkAddress(), "");
    ASSERT_NE(adapter->HasNetworkAddressChanged(), 1);
    EXPECT_EQ(p.IsThisSet(*adapter), 6);
}

TEST_F(PresetApplyTest, IPSettingsScoreFourPerMatchingItemAndStopAtTheFirstMismatch) {
    // Switched off, the adapter reports its stored settings: the metrics as stored and no
    // link-local IPv6 address.
    const auto adapter = StaticAdapter();
    adapter->SetState(false);
    adapter->Refresh(true);
    Preset p = StaticIPv4Preset();
    EXPECT_EQ(p.IsThisSet(*adapter), 1 + 1 + 8 + 8 + 8 + 1);

    // Two addresses of which only the first exists on the adapter: MAC part, DHCP, one address.
    p.SetIPv4Addresses(
        V4Addresses({{"192.168.50.10", "255.255.255.0"}, {"10.10.0.6", "255.255.0.0"}}));
    EXPECT_EQ(p.IsThisSet(*adapter), 1 + 1 + 4);
    // The same address with another mask is another item.
    p.SetIPv4Addresses(
        V4Addresses({{"192.168.50.10", "255.255.255.0"}, {"10.10.0.5", "255.255.255.0"}}));
    EXPECT_EQ(p.IsThisSet(*adapter), 1 + 1 + 4);
    // A count that differs stops before any entry is looked at.
    p.SetIPv4Addresses(V4Addresses({{"192.168.50.10", "255.255.255.0"}}));
    EXPECT_EQ(p.IsThisSet(*adapter), 1 + 1);
    // Absent lists are not compared; gateways are matched with their metric.
    p.SetIPv4Addresses(std::nullopt);
    p.SetIPv4NameServers(std::nullopt);
    p.SetIPv4Gateways(V4Gateways({{"10.10.0.1", 20}, {"192.168.50.1", 0}}));
    EXPECT_EQ(p.IsThisSet(*adapter), 1 + 1 + 8 + 1);
    p.SetIPv4Gateways(V4Gateways({{"10.10.0.1", 21}, {"192.168.50.1", 0}}));
    EXPECT_EQ(p.IsThisSet(*adapter), 1 + 1);
    // DHCP that differs stops at once.
    p.SetIPv4DHCPEnabled(true);
    EXPECT_EQ(p.IsThisSet(*adapter), 1);

    // IPv6: address with prefix length, gateway with metric, servers.
    Preset v6;
    v6.SetIPv6Selected(true);
    IPv6AddressList addresses;
    PresetLists::AddIPv6Address(addresses, V6("2001:db8:50::10"), 64);
    v6.SetIPv6Addresses(addresses);
    v6.SetIPv6NameServers(Servers({"2001:db8:50::53"}));
    EXPECT_EQ(v6.IsThisSet(*adapter), 1 + 1 + 1 + 4 + 4);
    IPv6AddressList wrongPrefix;
    PresetLists::AddIPv6Address(wrongPrefix, V6("2001:db8:50::10"), 48);
    v6.SetIPv6Addresses(wrongPrefix);
    EXPECT_EQ(v6.IsThisSet(*adapter), 1 + 1 + 1);
    v6.SetIPv6Addresses(std::nullopt);
    v6.SetIPv6DHCPEnabled(true);
    EXPECT_EQ(v6.IsThisSet(*adapter), 1 + 1);
}

// ---- Applying ----

TEST_F(PresetApplyTest, MACActionsTakeEffectThroughTheRestart) {
    const auto adapter = StaticAdapter();
    Preset p;
    p.SetMACAddress(macaction::kCustom);
    p.SetCustomMACAddress("02:AA:BB:CC:DD:EE");
    p.ApplyPreset(*adapter, nullptr, true);
    EXPECT_TRUE(adapter->State());
    EXPECT_EQ(StoredText(kStaticClassKey, "NetworkAddress"), "02AABBCCDDEE");
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "02-AA-BB-CC-DD-EE");
    EXPECT_EQ(p.IsThisSet(*adapter), 6);

    Preset original;
    original.SetMACAddress(macaction::kOriginal);
    original.ApplyPreset(*adapter, nullptr, true);
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress(), kBurnedIn);
    EXPECT_EQ(StoredText(kStaticClassKey, "NetworkAddress"), "<absent>");

    // Random addresses come from the vendor table.
    NICVendor vendors(platform);
    LoadVendors(vendors);
    Preset random;
    random.SetMACAddress(macaction::kRandom);
    random.ApplyPreset(*adapter, &vendors, true);
    adapter->Refresh(true);
    EXPECT_TRUE(adapter->ActiveNetworkAddress().starts_with("00-10-00-") ||
                adapter->ActiveNetworkAddress().starts_with("00-10-01-"))
        << adapter->ActiveNetworkAddress();
    EXPECT_EQ(random.IsThisSet(*adapter), 4);

    random.SetMACAddress(macaction::kRandom02);
    random.ApplyPreset(*adapter, &vendors, true);
    adapter->Refresh(true);
    EXPECT_TRUE(adapter->ActiveNetworkAddress().starts_with("02-10-00-") ||
                adapter->ActiveNetworkAddress().starts_with("02-10-01-"))
        << adapter->ActiveNetworkAddress();
    EXPECT_EQ(random.IsThisSet(*adapter), 6);
    ExpectNoErrorShown();
}

TEST_F(PresetApplyTest, WithoutAVendorTableRandomAddressesAreAllZeros) {
    const auto adapter = StaticAdapter();
    Preset p;
    p.SetMACAddress(macaction::kRandom);
    p.ApplyPreset(*adapter, nullptr, false);
    EXPECT_EQ(StoredText(kStaticClassKey, "NetworkAddress"), "000000000000");
    // Without the restart the running address stays.
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress(), kBurnedIn);

    NICVendor notLoaded(platform);
    p.SetMACAddress(macaction::kRandom02);
    p.ApplyPreset(*adapter, &notLoaded, false);
    EXPECT_EQ(StoredText(kStaticClassKey, "NetworkAddress"), "020000000000");
}

TEST_F(PresetApplyTest, AnInvalidActionFailsAfterTheDeviceWasStoppedAndRefreshed) {
    const auto adapter = StaticAdapter();
    // A stored address that the driver takes at its next start shows whether it restarted.
    machine.registry.PutString(kHklm, kStaticClassKey, "NetworkAddress", "02AABBCCDDEE");
    Preset p = StaticIPv4Preset();
    p.SetIPv4Addresses(V4Addresses({}));
    p.SetMACAddress(7);
    try {
        p.ApplyPreset(*adapter, nullptr, true);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), 1);
        EXPECT_EQ(e.Source(), "Preset.ApplyPreset");
    }
    // Refreshed while the device was off; the device is on again, and nothing after the MAC
    // step was done.
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "");
    EXPECT_TRUE(adapter->State());
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "02-AA-BB-CC-DD-EE");
    EXPECT_EQ(adapter->IPv4Addresses()->Count(), 2);
}

TEST_F(PresetApplyTest, AFailingStepLeavesEarlierStepsDoneAndTheDeviceOn) {
    const auto adapter = StaticAdapter();
    Preset p;
    p.SetMACAddress(macaction::kCustom);
    p.SetCustomMACAddress("02-AA-BB-CC-DD-EE");
    p.SetIEProxySelected(true);
    p.SetIEProxyEnabled(true);
    p.SetIEProxyServer("proxy");
    p.SetIEProxyPort(80);
    machine.registry.InjectFailure(Op::Set, RootKey::CurrentUser, IEProxy::kInternetSettingsKey,
                                   "ProxyServer", 5);
    try {
        p.ApplyPreset(*adapter, nullptr, true);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), 5);
        EXPECT_EQ(e.Source(), "IEProxy.SetProxySettings");
    }
    EXPECT_TRUE(adapter->State());
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "02-AA-BB-CC-DD-EE");
}

TEST_F(PresetApplyTest, StaticIPv4ListsReachADisabledAdapterAndHoldWhenItStarts) {
    const auto adapter = StaticAdapter();
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
    EXPECT_EQ(StoredText(kStaticInterfaceKey, "NameServer"), "172.16.0.53,1.0.0.1");
    adapter->Refresh(true);
    EXPECT_EQ(p.IsThisSet(*adapter), 1 + 1 + 4 + 4 + 8 + 1);

    adapter->SetState(true);
    adapter->Refresh(true);
    EXPECT_TRUE(adapter->IPv4Addresses()->Exists("172.16.5.20", "255.255.240.0"));
    EXPECT_EQ(adapter->IPv4Addresses()->Count(), 1);
    // A running route reports the interface's metric added to its own.
    EXPECT_TRUE(adapter->IPv4Gateways()->Items().Contains("172.16.0.1"));
    EXPECT_EQ(adapter->IPv4Gateways()->Count(), 1);
    ExpectNoErrorShown();
}

TEST_F(PresetApplyTest, StaticIPv4ListsChangeARunningAdapterLive) {
    const auto adapter = StaticAdapter();
    Preset p;
    p.SetIPv4Selected(true);
    // Only the addresses: the gateways and DNS servers are left alone.
    p.SetIPv4Addresses(V4Addresses({{"192.168.50.11", "255.255.255.0"}}));
    p.ApplyPreset(*adapter, nullptr, false);
    adapter->Refresh(true);
    EXPECT_EQ(adapter->IPv4Addresses()->Count(), 1);
    EXPECT_TRUE(adapter->IPv4Addresses()->Exists("192.168.50.11", "255.255.255.0"));
    EXPECT_EQ(adapter->IPv4Gateways()->Count(), 2);
    EXPECT_EQ(adapter->IPv4NameServers()->Count(), 2);
    const auto* iface = machine.ipStack.FindInterface(kStaticGuid);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(StoredList("IPAddress"), (std::vector<std::string>{"192.168.50.11"}));

    // An empty list removes everything of its kind.
    p.SetIPv4Addresses(std::nullopt);
    p.SetIPv4Gateways(V4Gateways({}));
    p.SetIPv4NameServers(NameServerList{});
    p.ApplyPreset(*adapter, nullptr, false);
    adapter->Refresh(true);
    EXPECT_EQ(adapter->IPv4Addresses()->Count(), 1);
    EXPECT_EQ(adapter->IPv4Gateways()->Count(), 0);
    EXPECT_EQ(adapter->IPv4NameServers()->Count(), 0);
    EXPECT_EQ(StoredText(kStaticInterfaceKey, "NameServer"), "");
    ExpectNoErrorShown();
}

TEST_F(PresetApplyTest, DHCPOnRemovesStaticAddressesAndGateways) {
    const auto adapter = StaticAdapter();
    Preset p;
    p.SetIPv4Selected(true);
    p.SetIPv4DHCPEnabled(true);
    // Lists held by the preset do not matter with DHCP; DNS servers do.
    p.SetIPv4Addresses(V4Addresses({{"1.2.3.4", "255.0.0.0"}}));
    p.SetIPv4NameServers(Servers({"9.9.9.9"}));
    p.ApplyPreset(*adapter, nullptr, false);
    EXPECT_EQ(machine.registry.GetDword(kHklm, kStaticInterfaceKey, "EnableDHCP"), 1u);
    EXPECT_EQ(adapter->IPv4Addresses()->Count(), 0);
    EXPECT_EQ(adapter->IPv4Gateways()->Count(), 0);
    EXPECT_EQ(StoredText(kStaticInterfaceKey, "NameServer"), "9.9.9.9");
    EXPECT_EQ(
        machine.registry.ValueNames(
            kHklm, "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\PersistentRoutes"),
        std::vector<std::string>{});
}

TEST_F(PresetApplyTest, DHCPAlreadyOnIsNotSwitchedAgain) {
    const auto adapter = StaticAdapter();
    // The adapter is on DHCP but still lists static addresses and gateways.
    machine.registry.PutDword(kHklm, kStaticInterfaceKey, "EnableDHCP", 1);
    adapter->Refresh(true);
    ASSERT_TRUE(adapter->DHCPv4Enabled());
    ASSERT_GT(adapter->IPv4Addresses()->Count() + adapter->IPv4Gateways()->Count(), 0);
    // Switching would write the switch again: make that fail so that the test sees it.
    machine.registry.InjectFailure(Op::Set, kHklm, kStaticInterfaceKey, "EnableDHCP", 5, -1);

    Preset p;
    p.SetIPv4Selected(true);
    p.SetIPv4DHCPEnabled(true);
    p.ApplyPreset(*adapter, nullptr, false);
    EXPECT_EQ(adapter->IPv4Addresses()->Count(), 0);
    EXPECT_EQ(adapter->IPv4Gateways()->Count(), 0);
    EXPECT_EQ(adapter->IPv4NameServers()->Count(), 2);  // no list in the preset: left alone
}

TEST_F(PresetApplyTest, IPv6SettingsAndTheProxyAreApplied) {
    const auto adapter = StaticAdapter();
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

    // Running again, the adapter has its new address beside the link-local one it makes itself.
    adapter->Refresh(true);
    EXPECT_TRUE(adapter->IPv6Addresses()->Exists(p.IPv6Addresses()->Item(1)->IPAddress(), 56));
    EXPECT_FALSE(
        adapter->IPv6Addresses()->Items().Contains("2001:0DB8:0050:0000:0000:0000:0000:0010"));
    EXPECT_TRUE(adapter->IPv6Gateways()->Exists("2001:DB8:60::1", 40));
    EXPECT_EQ(adapter->IPv6Gateways()->Count(), 1);
    EXPECT_TRUE(adapter->IPv6NameServers()->Exists("2001:db8:60::53"));
    EXPECT_EQ(adapter->IPv6NameServers()->Count(), 1);
    EXPECT_EQ(machine.registry.GetString(RootKey::CurrentUser, IEProxy::kInternetSettingsKey,
                                         "ProxyServer"),
              "cache.example:8080");
    EXPECT_TRUE(IEProxy::IsProxyEnabled(platform));
    adapter->SetState(false);
    adapter->Refresh(true);
    EXPECT_EQ(p.IsThisSet(*adapter), 1 + 1 + 1 + 4 + 4 + 4);

    // Switching the proxy off leaves its server.
    p.SetIEProxyEnabled(false);
    p.SetIPv6Selected(false);
    p.ApplyPreset(*adapter, nullptr, false);
    EXPECT_FALSE(IEProxy::IsProxyEnabled(platform));
    EXPECT_EQ(IEProxy::GetProxyServer(platform), "cache.example:8080");
    ExpectNoErrorShown();
}

}  // namespace
}  // namespace vexav6::testing
