#include <gtest/gtest.h>

#include "adapter_machine.h"
#include "ipconfig/ipv4_addresses.h"
#include "ipconfig/ipv4_gateways.h"
#include "ipconfig/ipv4_name_servers.h"
#include "ipconfig/ipv6_addresses.h"
#include "ipconfig/ipv6_gateways.h"
#include "ipconfig/ipv6_name_servers.h"

namespace vexav6::testing {
namespace {

constexpr const char* kStaticGuid = "{C4D5E6F7-0819-4A2B-BC3D-4E5F60718201}";
constexpr const char* kDemoEthernet = "{3F2A6C1E-8B4D-4E21-9A7C-5D1E2F3A4B01}";
constexpr const char* kXpRealtek = "{5B6C7D8E-9FA0-4B1C-8D2E-3F4A5B6C7D01}";

sim::DhcpServerAnswer HomeDhcp() {
    sim::DhcpServerAnswer answer;
    answer.server = "192.168.1.1";
    answer.address = "192.168.1.23";
    answer.mask = "255.255.255.0";
    answer.gateways = {"192.168.1.1"};
    answer.dnsServers = {"192.168.1.1", "1.1.1.1"};
    return answer;
}

std::vector<std::string> AddressTexts(const IPv4Addresses& addresses) {
    std::vector<std::string> texts;
    for (const auto& address : addresses.Items()) {
        texts.push_back(address->IPAddress() + "/" + address->SubnetMask());
    }
    return texts;
}

std::vector<std::string> GatewayTexts(const IPv4Gateways& gateways) {
    std::vector<std::string> texts;
    for (const auto& gateway : gateways.Items()) {
        texts.push_back(gateway->Gateway() + " " + std::to_string(gateway->Metric()));
    }
    return texts;
}

template <class List>
std::vector<std::string> Texts(const List& list) {
    return std::vector<std::string>(list.Items().begin(), list.Items().end());
}

using Strings = std::vector<std::string>;

class DiscoveryTest : public AdapterMachineTest {};

TEST_F(DiscoveryTest, EnabledStaticAdapterIsReadFromTheIpStack) {
    Load("static-ip.json");
    const auto adapter = Adapter(kStaticGuid);
    EXPECT_TRUE(adapter->IPv4Binding());
    EXPECT_FALSE(adapter->DHCPv4Enabled());
    EXPECT_EQ(adapter->InterfaceType(), 6);
    EXPECT_EQ(AddressTexts(*adapter->IPv4Addresses()),
              (Strings{"192.168.50.10/255.255.255.0", "10.10.0.5/255.255.0.0"}));
    // Live addresses carry the context the IP stack gave them.
    EXPECT_NE(adapter->IPv4Addresses()->Item(1)->NTEContext(), 0);
    // Windows 6.0 and later report route metric + interface metric (automatic 10 at 1 Gb/s).
    EXPECT_EQ(GatewayTexts(*adapter->IPv4Gateways()), (Strings{"192.168.50.1 10", "10.10.0.1 30"}));
    EXPECT_EQ(Texts(*adapter->IPv4NameServers()), (Strings{"192.168.50.1", "9.9.9.9"}));

    EXPECT_TRUE(adapter->IPv6Binding());
    EXPECT_EQ(adapter->IPv6RouterDiscovery(), 1);  // no interface record: Windows' default
    EXPECT_FALSE(adapter->DHCPv6Enabled());
    ASSERT_EQ(adapter->IPv6Gateways()->Count(), 1);
    EXPECT_EQ(adapter->IPv6Gateways()->Item(1)->NextHop(), "2001:DB8:50::1");
    EXPECT_TRUE(
        adapter->IPv6Addresses()->Items().Contains("2001:0DB8:0050:0000:0000:0000:0000:0010"));
    EXPECT_EQ(Texts(*adapter->IPv6NameServers()), (Strings{"2001:db8:50::53"}));
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(DiscoveryTest, DisabledStaticAdapterIsReadFromTheRegistryAndNetworkStore) {
    Load("static-ip.json");
    // A stored address and route of another interface stay out.
    machine.registry.PutBinary(kHklm, std::string(kNsiKey) + "10",
                               "1111111111111111"
                               "20010DB8009900000000000000000001",
                               std::vector<uint8_t>(48, 0x40));
    auto adapter = Adapter(kStaticGuid);
    adapter->SetState(false);
    adapter->Refresh(true);

    EXPECT_EQ(AddressTexts(*adapter->IPv4Addresses()),
              (Strings{"192.168.50.10/255.255.255.0", "10.10.0.5/255.255.0.0"}));
    EXPECT_EQ(adapter->IPv4Addresses()->Item(1)->NTEContext(), 0);
    // Stored metrics as written: the first gateway has none of its own.
    EXPECT_EQ(GatewayTexts(*adapter->IPv4Gateways()), (Strings{"192.168.50.1 0", "10.10.0.1 20"}));
    EXPECT_EQ(Texts(*adapter->IPv4NameServers()), (Strings{"192.168.50.1", "9.9.9.9"}));

    ASSERT_EQ(adapter->IPv6Addresses()->Count(), 1);
    EXPECT_EQ(adapter->IPv6Addresses()->Item(1)->IPAddress(),
              "2001:0DB8:0050:0000:0000:0000:0000:0010");
    EXPECT_EQ(adapter->IPv6Addresses()->Item(1)->OnLinkPrefixLength(), 64);
    ASSERT_EQ(adapter->IPv6Gateways()->Count(), 1);
    EXPECT_EQ(adapter->IPv6Gateways()->Item(1)->NextHop(), "2001:DB8:50::1");
    EXPECT_EQ(adapter->IPv6Gateways()->Item(1)->Metric(), 256);
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(DiscoveryTest, DisabledDhcpAdapterShowsItsLastLease) {
    sim::AdapterSetup setup = Setup();
    setup.network.dhcp = HomeDhcp();
    Install(setup);
    auto adapter = Adapter();
    EXPECT_TRUE(adapter->DHCPv4Enabled());
    EXPECT_EQ(AddressTexts(*adapter->IPv4Addresses()), (Strings{"192.168.1.23/255.255.255.0"}));
    EXPECT_EQ(Texts(*adapter->IPv4NameServers()), (Strings{"192.168.1.1", "1.1.1.1"}));

    adapter->SetState(false);
    // A stored static configuration that a DHCP adapter does not use.
    machine.registry.PutMultiString(kHklm, kInterfaceKeyA, "IPAddress", {"10.1.1.1"});
    adapter->Refresh(true);
    EXPECT_EQ(AddressTexts(*adapter->IPv4Addresses()), (Strings{"192.168.1.23/255.255.255.0"}));
    EXPECT_EQ(GatewayTexts(*adapter->IPv4Gateways()), (Strings{"192.168.1.1 0"}));
    EXPECT_EQ(Texts(*adapter->IPv4NameServers()), (Strings{"192.168.1.1", "1.1.1.1"}));
    EXPECT_TRUE(adapter->IPv4Binding());
}

TEST_F(DiscoveryTest, DisabledStaticAdapterWithoutAddressesIsNotBoundToIpv4) {
    sim::AdapterSetup setup = Setup();
    setup.dhcp = false;
    setup.enabled = false;
    Install(setup);
    machine.registry.PutMultiString(kHklm, kInterfaceKeyA, "IPAddress", {});
    const auto adapter = Adapter();
    EXPECT_FALSE(adapter->IPv4Binding());
    EXPECT_EQ(AddressTexts(*adapter->IPv4Addresses()), (Strings{"0.0.0.0/0.0.0.0"}));
    EXPECT_EQ(adapter->IPv4Gateways()->Count(), 0);
}

TEST_F(DiscoveryTest, StoredListsArePairedAndDuplicatesKeptOnce) {
    sim::AdapterSetup setup = Setup();
    setup.dhcp = false;
    setup.enabled = false;
    Install(setup);
    machine.registry.PutMultiString(kHklm, kInterfaceKeyA, "IPAddress",
                                    {"10.0.0.2", "10.0.0.3", "10.0.0.2"});
    machine.registry.PutMultiString(kHklm, kInterfaceKeyA, "SubnetMask", {"255.0.0.0"});
    machine.registry.PutMultiString(kHklm, kInterfaceKeyA, "DefaultGateway",
                                    {"10.0.0.1", "", "10.0.0.254"});
    machine.registry.PutMultiString(kHklm, kInterfaceKeyA, "DefaultGatewayMetric", {"x", "", "15"});
    machine.registry.PutString(kHklm, kInterfaceKeyA, "NameServer", "1.1.1.1,8.8.8.8,1.1.1.1");
    const auto adapter = Adapter();
    // A missing mask becomes 0.0.0.0; the repeated address is listed once.
    EXPECT_EQ(AddressTexts(*adapter->IPv4Addresses()),
              (Strings{"10.0.0.2/255.0.0.0", "10.0.0.3/0.0.0.0"}));
    EXPECT_EQ(GatewayTexts(*adapter->IPv4Gateways()), (Strings{"10.0.0.1 0", "10.0.0.254 15"}));
    EXPECT_EQ(Texts(*adapter->IPv4NameServers()), (Strings{"1.1.1.1", "8.8.8.8"}));
}

TEST_F(DiscoveryTest, DhcpNameServersWhenNoneAreSetByHand) {
    sim::AdapterSetup setup = Setup();
    setup.enabled = false;
    Install(setup);
    machine.registry.PutString(kHklm, kInterfaceKeyA, "DhcpNameServer", "1.1.1.1 8.8.8.8");
    EXPECT_EQ(Texts(*Adapter()->IPv4NameServers()), (Strings{"1.1.1.1", "8.8.8.8"}));

    machine.registry.PutString(kHklm, kInterfaceKeyA, "NameServer", "9.9.9.9");
    EXPECT_EQ(Texts(*Adapter()->IPv4NameServers()), (Strings{"9.9.9.9"}));

    // Static adapters never use the servers a former lease left behind.
    machine.registry.PutString(kHklm, kInterfaceKeyA, "NameServer", "");
    machine.registry.PutDword(kHklm, kInterfaceKeyA, "EnableDHCP", 0);
    EXPECT_EQ(Adapter()->IPv4NameServers()->Count(), 0);
}

TEST_F(DiscoveryTest, LeaseTimesAreLocalTime) {
    sim::AdapterSetup setup = Setup();
    setup.enabled = false;
    Install(setup);
    machine.registry.PutDword(kHklm, "SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation",
                              "ActiveTimeBias", static_cast<uint32_t>(-60));
    machine.registry.PutDword(kHklm, kInterfaceKeyA, "LeaseObtainedTime", 0);
    machine.registry.PutDword(kHklm, kInterfaceKeyA, "LeaseTerminatesTime", 86400 * 365);
    machine.registry.PutDword(kHklm, kInterfaceKeyA, "InterfaceMetric", 35);
    const auto adapter = Adapter();
    EXPECT_EQ(adapter->DHCPv4LeaseObtained(), DateFromCivil(1970, 1, 1, 1, 0, 0));
    EXPECT_EQ(adapter->DHCPv4LeaseExpires(), DateFromCivil(1971, 1, 1, 1, 0, 0));
    EXPECT_EQ(adapter->IfMetric(), 35);
}

TEST_F(DiscoveryTest, EnableDhcpOfAnotherLengthIsIgnored) {
    sim::AdapterSetup setup = Setup();
    setup.enabled = false;
    Install(setup);
    machine.registry.PutBinary(kHklm, kInterfaceKeyA, "EnableDHCP", {1, 0});
    machine.registry.PutDword(kHklm, kInterfaceKeyA, "LeaseObtainedTime", 1000);
    const auto adapter = Adapter();
    EXPECT_FALSE(adapter->DHCPv4Enabled());
    EXPECT_EQ(adapter->DHCPv4LeaseObtained(), OleDate{});
}

TEST_F(DiscoveryTest, AdapterNotBoundToIpv4ReadsNoIpv4Configuration) {
    sim::AdapterSetup setup = Setup();
    setup.dhcp = false;
    setup.addresses = {{"10.0.0.2", "255.0.0.0"}};
    Install(setup);
    machine.registry.PutMultiString(kHklm, "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Linkage",
                                    "Bind", {});
    const auto adapter = Adapter();
    EXPECT_FALSE(adapter->IPv4Binding());
    EXPECT_EQ(adapter->IPv4Addresses()->Count(), 0);
    EXPECT_EQ(adapter->IPv4NameServers()->Count(), 0);
}

TEST_F(DiscoveryTest, OnLinkRoutesAreNotGateways) {
    Load("demo.json");
    const auto adapter = Adapter(kDemoEthernet);
    ASSERT_EQ(adapter->IPv6Gateways()->Count(), 1);  // only the advertising router
    EXPECT_EQ(adapter->IPv6Gateways()->Item(1)->NextHop(), "FE80::1");
    // The link-local address, named with its zone, and the one formed from the router's prefix.
    EXPECT_EQ(adapter->IPv6Addresses()->Count(), 2);
    for (const auto& address : adapter->IPv6Addresses()->Items()) {
        if (address->IPAddress().starts_with("FE80")) {
            EXPECT_TRUE(address->IPAddress().ends_with("%12"));
        }
    }
    EXPECT_EQ(adapter->InterfaceType(), 6);
}

TEST_F(DiscoveryTest, Ipv6InterfaceRecordGivesDhcpv6AndRouterSettings) {
    Load("static-ip.json");
    std::vector<uint8_t> record(368, 0);
    record[0] = 1;
    record[10] = 1;
    record[20] = 0;
    machine.registry.PutBinary(kHklm, std::string(kNsiKey) + "7", "0000000180000600", record);
    const auto adapter = Adapter(kStaticGuid);
    EXPECT_TRUE(adapter->IPv6RouterAdvertisement());
    EXPECT_TRUE(adapter->DHCPv6Enabled());
    EXPECT_EQ(adapter->IPv6RouterDiscovery(), 0);
}

TEST_F(DiscoveryTest, Windows2000HasNoIpv6) {
    Load("win2000.json");
    const auto adapters = List();
    ASSERT_EQ(adapters.Count(), 1);
    const auto adapter = adapters.Item(1);
    // Even a TCP/IPv6 binding left in the registry does not count.
    machine.registry.PutMultiString(kHklm, "SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Linkage",
                                    "Bind", {"\\Device\\" + adapter->NetCfgInstanceId()});
    adapter->Refresh(true);
    EXPECT_FALSE(adapter->IPv6Binding());
    EXPECT_TRUE(adapter->IPv4Binding());
    EXPECT_EQ(adapter->IPv4Addresses()->Count(), 1);
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(DiscoveryTest, WindowsXpReadsIpv6AddressesOnly) {
    Load("winxp.json");
    const auto adapter = Adapter(kXpRealtek);
    EXPECT_TRUE(adapter->IPv6Binding());
    EXPECT_EQ(adapter->IPv6RouterDiscovery(), 1);
    ASSERT_EQ(adapter->IPv6Addresses()->Count(), 1);  // the link-local address
    EXPECT_EQ(adapter->IPv6Addresses()->Item(1)->OnLinkPrefixLength(), 0);  // not reported
    EXPECT_EQ(adapter->IPv6Gateways()->Count(), 0);
    EXPECT_EQ(adapter->IPv6NameServers()->Count(), 0);
    EXPECT_EQ(adapter->InterfaceType(), 6);
    EXPECT_EQ(adapter->Luid(), 0u);
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(DiscoveryTest, WindowsXpFindsIpv6InterfacesNumberedApart) {
    machine.system.version.major = 5;
    machine.system.version.minor = 1;
    sim::AdapterSetup setup = Setup();
    setup.index = 0x10003;
    Install(setup);
    machine.ipStack.FindInterface(kGuidA)->spec.ipv6Index = 4;
    const auto adapter = Adapter();
    EXPECT_EQ(adapter->IfIndex(), 0x10003);
    EXPECT_EQ(adapter->IPv6Addresses()->Count(), 1);
}

TEST_F(DiscoveryTest, VistaReadsTheNetworkStoreAndLease) {
    Load("vista.json");
    const auto adapters = List();
    ASSERT_EQ(adapters.Count(), 1);
    const auto adapter = adapters.Item(1);
    EXPECT_TRUE(adapter->DHCPv4Enabled());
    EXPECT_EQ(adapter->IPv4Addresses()->Count(), 1);
    EXPECT_NE(adapter->Luid(), 0u);
    EXPECT_GE(adapter->IPv6Addresses()->Count(), 1);
    EXPECT_NE(adapter->DHCPv4LeaseExpires(), OleDate{});
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(DiscoveryTest, IpHelperFailureStopsDiscoveryAndIsShown) {
    Load("static-ip.json");
    machine.ipStack.InjectFailure(sim::SimIpStack::Call::GetIpForwardTable, 8);
    const auto adapter = Adapter(kStaticGuid);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_NE(machine.ui.Boxes()[0].text.find("Source: AdapterInfo.GetIPv4InfoFromAPI"),
              std::string::npos);
    EXPECT_EQ(adapter->IPv4Addresses()->Count(), 2);  // read before the failure
    EXPECT_EQ(adapter->IPv4Gateways()->Count(), 0);
    EXPECT_EQ(adapter->IPv6Addresses()->Count(), 0);  // the later readers did not run
}

}  // namespace
}  // namespace vexav6::testing
