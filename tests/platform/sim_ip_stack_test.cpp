#include "platform/sim/sim_ip_stack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/sim/adapter_setup.h"
#include "platform/sim/machine.h"
#include "platform/sim/sim_net_text.h"

namespace vexav6::sim {
namespace {

using platform::RootKey;
namespace status = platform::status;

constexpr const char* kGuid = "{C4D5E6F7-0819-4A2B-BC3D-4E5F60718201}";
constexpr const char* kDriverKey = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";
constexpr const char* kInterfaceKey =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{C4D5E6F7-0819-4A2B-BC3D-"
    "4E5F60718201}";
constexpr const char* kNsi =
    "SYSTEM\\CurrentControlSet\\Control\\Nsi\\{eb004a01-9b1a-11d4-9123-0050047759bc}\\";

uint32_t Ip(const char* text) {
    uint32_t address = 0;
    EXPECT_TRUE(nettext::ParseIpv4(text, address)) << text;
    return address;
}

nettext::Ipv6Bytes Ip6(const char* text) {
    nettext::Ipv6Bytes bytes{};
    EXPECT_TRUE(nettext::ParseIpv6(text, bytes)) << text;
    return bytes;
}

// One wired adapter with index 6 on a Windows 10 machine whose clock runs one hour ahead of UTC.
class SimIpStackTest : public ::testing::Test {
  protected:
    void Install(AdapterSetup setup) {
        setup.guid = kGuid;
        setup.driverKey = kDriverKey;
        setup.index = 6;
        machine.registry.PutDword(RootKey::LocalMachine,
                                  "SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation",
                                  "ActiveTimeBias", static_cast<uint32_t>(-60));
        AddNetworkAdapter(machine, setup);
    }

    AdapterSetup Static() {
        AdapterSetup setup;
        setup.dhcp = false;
        setup.addresses = {{"192.168.50.10", "255.255.255.0"}};
        setup.gateways = {{"192.168.50.1", "0"}};
        return setup;
    }

    AdapterSetup Dhcp() {
        AdapterSetup setup;
        setup.network.dhcp = DhcpServerAnswer{"192.168.1.1",
                                              "192.168.1.23",
                                              "255.255.255.0",
                                              {"192.168.1.1"},
                                              {"192.168.1.1", "1.1.1.1"},
                                              "home.lan",
                                              86400};
        setup.network.dhcpv6 = Dhcpv6ServerAnswer{"2001:db8:1::23", {"2001:db8:1::53"}};
        return setup;
    }

    platform::IpAdapterInfo Info() {
        std::vector<platform::IpAdapterInfo> adapters;
        EXPECT_EQ(stack().GetAdaptersInfo(adapters), status::kSuccess);
        for (const auto& adapter : adapters) {
            if (adapter.index == 6) {
                return adapter;
            }
        }
        ADD_FAILURE() << "interface 6 is not in GetAdaptersInfo";
        return {};
    }

    std::vector<std::string> Addresses() {
        std::vector<std::string> result;
        for (const auto& entry : Info().ipAddressList) {
            result.push_back(entry.ipAddress + "/" + entry.ipMask);
        }
        return result;
    }

    // Default routes of interface 6 as "next hop metric".
    std::vector<std::string> Gateways() {
        std::vector<platform::MibIpForwardRow> rows;
        EXPECT_EQ(stack().GetIpForwardTable(rows), status::kSuccess);
        std::vector<std::string> result;
        for (const auto& row : rows) {
            if (row.dest == 0 && row.mask == 0 && row.ifIndex == 6) {
                result.push_back(nettext::FormatIpv4(row.nextHop) + " " +
                                 std::to_string(row.metric1));
            }
        }
        return result;
    }

    std::vector<std::string> Ipv6Addresses() {
        std::vector<platform::UnicastRow> rows;
        EXPECT_EQ(stack().GetUnicastIpAddressTable(platform::af::kInet6, rows), status::kSuccess);
        std::vector<std::string> result;
        for (const auto& row : rows) {
            if (row.ifIndex == 6) {
                result.push_back(nettext::FormatIpv6(row.address.ipv6) + "/" +
                                 std::to_string(row.onLinkPrefixLength));
            }
        }
        return result;
    }

    std::vector<std::string> Ipv6Routes() {
        std::vector<platform::ForwardRow2> rows;
        EXPECT_EQ(stack().GetIpForwardTable2(platform::af::kInet6, rows), status::kSuccess);
        std::vector<std::string> result;
        for (const auto& row : rows) {
            if (row.ifIndex == 6) {
                result.push_back(nettext::FormatIpv6(row.destinationPrefix.prefix.ipv6) + "/" +
                                 std::to_string(row.destinationPrefix.prefixLength) + " via " +
                                 nettext::FormatIpv6(row.nextHop.ipv6) + " " +
                                 std::to_string(row.metric));
            }
        }
        return result;
    }

    void Restart() {
        const auto change = [&](uint32_t state) {
            const auto set =
                machine.devices.GetClassDevs(SimDevices::kNetClassGuid, platform::digcf::kPresent);
            platform::DevInfoData record;
            ASSERT_TRUE(machine.devices.EnumDeviceInfo(set, 0, record));
            platform::PropChangeParams params;
            params.stateChange = state;
            ASSERT_TRUE(machine.devices.SetClassInstallParams(set, record, params));
            ASSERT_TRUE(machine.devices.ChangeState(set, record));
            machine.devices.DestroyDeviceInfoList(set);
        };
        change(platform::dics::kDisable);
        change(platform::dics::kEnable);
    }

    platform::IpAdapterIndexMap Map() {
        std::vector<platform::IpAdapterIndexMap> maps;
        EXPECT_EQ(stack().GetInterfaceInfo(maps), status::kSuccess);
        return maps.empty() ? platform::IpAdapterIndexMap{} : maps.front();
    }

    std::optional<std::string> Reg(const char* name) {
        return machine.registry.GetString(RootKey::LocalMachine, kInterfaceKey, name);
    }

    SimIpStack& stack() { return machine.ipStack; }

    Machine machine;
};

TEST_F(SimIpStackTest, StaticConfigurationIsReadFromTheRegistryWhenTheInterfaceComesUp) {
    Install(Static());
    EXPECT_EQ(Addresses(), std::vector<std::string>{"192.168.50.10/255.255.255.0"});
    EXPECT_FALSE(Info().dhcpEnabled);
    EXPECT_EQ(Info().gatewayList.front().ipAddress, "192.168.50.1");
    // Automatic metric 10 for 1 Gb/s; Windows 6.0+ report route metric + interface metric.
    EXPECT_EQ(Gateways(), std::vector<std::string>{"192.168.50.1 10"});

    // What the program stores while the device runs changes nothing live ...
    machine.registry.PutMultiString(RootKey::LocalMachine, kInterfaceKey, "IPAddress",
                                    {"10.0.0.2", "10.0.0.3"});
    machine.registry.PutMultiString(RootKey::LocalMachine, kInterfaceKey, "SubnetMask",
                                    {"255.0.0.0", "255.0.0.0"});
    machine.registry.PutMultiString(RootKey::LocalMachine, kInterfaceKey, "DefaultGateway",
                                    {"10.0.0.1"});
    machine.registry.PutMultiString(RootKey::LocalMachine, kInterfaceKey, "DefaultGatewayMetric",
                                    {"5"});
    EXPECT_EQ(Addresses().size(), 1u);
    // ... until the device starts again.
    Restart();
    EXPECT_EQ(Addresses(), (std::vector<std::string>{"10.0.0.2/255.0.0.0", "10.0.0.3/255.0.0.0"}));
    EXPECT_EQ(Gateways(), std::vector<std::string>{"10.0.0.1 15"});
}

TEST_F(SimIpStackTest, StoredListsStopAtThePlaceholderAndAtTheFirstEmptyEntry) {
    AdapterSetup setup = Static();
    setup.addresses = {};
    setup.gateways = {};
    Install(setup);
    EXPECT_EQ(Addresses(), std::vector<std::string>{"0.0.0.0/0.0.0.0"});
    EXPECT_EQ(Info().gatewayList.front().ipAddress, "0.0.0.0");
    // "10.0.0.1\0\0" followed by more: TCP/IP reads up to the empty entry.
    const std::string data = std::string(
        "10.0.0.1\0\0"
        "10.0.0.9\0\0",
        20);
    machine.registry.Put(
        RootKey::LocalMachine, kInterfaceKey, "IPAddress",
        {platform::regtype::kMultiSz, std::vector<uint8_t>(data.begin(), data.end())});
    machine.registry.PutMultiString(RootKey::LocalMachine, kInterfaceKey, "SubnetMask",
                                    {"255.255.255.0", "255.255.255.0"});
    Restart();
    EXPECT_EQ(Addresses(), std::vector<std::string>{"10.0.0.1/255.255.255.0"});
}

TEST_F(SimIpStackTest, AddIPAddressHandsOutFreshContextsAndDeleteTakesThem) {
    Install(Static());
    uint32_t first = 0;
    uint32_t second = 0;
    uint32_t instance = 0;
    ASSERT_EQ(stack().AddIPAddress(Ip("192.168.50.11"), Ip("255.255.255.0"), 6, first, instance),
              status::kSuccess);
    ASSERT_EQ(stack().AddIPAddress(Ip("192.168.50.12"), Ip("255.255.255.0"), 6, second, instance),
              status::kSuccess);
    EXPECT_NE(first, second);
    const auto list = Info().ipAddressList;
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].context, first);
    EXPECT_NE(list[0].context, first);

    uint32_t unused = 0;
    EXPECT_EQ(stack().AddIPAddress(Ip("192.168.50.11"), Ip("255.255.255.0"), 6, unused, instance),
              status::kObjectAlreadyExists);
    EXPECT_EQ(stack().AddIPAddress(Ip("10.1.1.1"), Ip("255.0.0.0"), 99, unused, instance),
              status::kDevNotExist);
    EXPECT_EQ(stack().AddIPAddress(Ip("0.0.0.0"), Ip("255.0.0.0"), 6, unused, instance),
              status::kInvalidParameter);
    EXPECT_EQ(stack().AddIPAddress(Ip("10.1.1.1"), Ip("255.0.255.0"), 6, unused, instance),
              status::kInvalidParameter);

    EXPECT_EQ(stack().DeleteIPAddress(first), status::kSuccess);
    EXPECT_EQ(stack().DeleteIPAddress(first), status::kInvalidParameter);
    EXPECT_EQ(Addresses(), (std::vector<std::string>{"192.168.50.10/255.255.255.0",
                                                     "192.168.50.12/255.255.255.0"}));

    // A live address is gone after a restart: only the registry survives it.
    Restart();
    EXPECT_EQ(Addresses(), std::vector<std::string>{"192.168.50.10/255.255.255.0"});

    machine.system.isAdmin = false;
    EXPECT_EQ(stack().AddIPAddress(Ip("192.168.50.13"), Ip("255.255.255.0"), 6, unused, instance),
              status::kInvalidHandle);
}

TEST_F(SimIpStackTest, WindowsXpAnswersDuplicatesWithItsOwnCode) {
    machine.system.version = platform::OsVersionInfo{5, 1, 2600, 2, "Service Pack 3", 3, 0, 0, 1};
    Install(Static());
    uint32_t context = 0;
    uint32_t instance = 0;
    EXPECT_EQ(stack().AddIPAddress(Ip("192.168.50.10"), Ip("255.255.255.0"), 6, context, instance),
              1221u);
    std::vector<platform::UnicastRow> rows;
    EXPECT_EQ(stack().GetUnicastIpAddressTable(platform::af::kInet6, rows), 127u);
}

TEST_F(SimIpStackTest, OldRouteCallsUseTheSummedMetricFromWindows6On) {
    Install(Static());
    platform::MibIpForwardRow row;
    row.nextHop = Ip("192.168.50.254");
    row.ifIndex = 6;
    row.type = 4;
    row.proto = 3;
    row.metric1 = 5;  // below the interface metric 10
    EXPECT_EQ(stack().CreateIpForwardEntry(row), 160u);
    row.metric1 = 30;
    ASSERT_EQ(stack().CreateIpForwardEntry(row), status::kSuccess);
    EXPECT_EQ(stack().CreateIpForwardEntry(row), status::kObjectAlreadyExists);
    EXPECT_EQ(Gateways(), (std::vector<std::string>{"192.168.50.1 10", "192.168.50.254 30"}));
    std::vector<platform::ForwardRow2> rows2;
    ASSERT_EQ(stack().GetIpForwardTable2(platform::af::kInet, rows2), status::kSuccess);
    const auto own = std::find_if(rows2.begin(), rows2.end(),
                                  [&](const auto& r) { return r.nextHop.ipv4 == row.nextHop; });
    ASSERT_NE(own, rows2.end());
    EXPECT_EQ(own->metric, 20u);  // the route's own metric

    row.metric1 = 0;
    row.proto = 2;
    EXPECT_EQ(stack().CreateIpForwardEntry(row), status::kInvalidParameter);
    row.proto = 3;
    ASSERT_EQ(stack().DeleteIpForwardEntry(row), status::kSuccess);
    EXPECT_EQ(stack().DeleteIpForwardEntry(row), status::kNotFound);
    EXPECT_EQ(Gateways(), std::vector<std::string>{"192.168.50.1 10"});
}

TEST_F(SimIpStackTest, PersistentRoutesJoinTheInterfaceThatReachesTheirGateway) {
    AdapterSetup setup = Static();
    setup.gateways = {};
    Install(setup);
    EXPECT_TRUE(Gateways().empty());
    const char* routes = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\PersistentRoutes";
    machine.registry.PutString(RootKey::LocalMachine, routes, "0.0.0.0,0.0.0.0,192.168.50.1,-1",
                               "");
    machine.registry.PutString(RootKey::LocalMachine, routes, "0.0.0.0,0.0.0.0,10.9.9.9,5", "");
    Restart();
    EXPECT_EQ(Gateways(), std::vector<std::string>{"192.168.50.1 10"});
}

TEST_F(SimIpStackTest, DhcpLeaseComesUpWritesTheRegistryAndCanBeReleasedAndRenewed) {
    Install(Dhcp());
    const platform::IpAdapterInfo info = Info();
    EXPECT_TRUE(info.dhcpEnabled);
    EXPECT_EQ(Addresses(), std::vector<std::string>{"192.168.1.23/255.255.255.0"});
    EXPECT_EQ(info.dhcpServer.ipAddress, "192.168.1.1");
    EXPECT_EQ(info.leaseExpires - info.leaseObtained, 86400);
    EXPECT_EQ(Gateways(), std::vector<std::string>{"192.168.1.1 10"});
    EXPECT_EQ(Reg("DhcpIPAddress"), "192.168.1.23");
    EXPECT_EQ(Reg("DhcpNameServer"), "192.168.1.1 1.1.1.1");
    // Lease times are UTC seconds: the machine's local time is 2026-12-07 06:15:30, one hour ahead.
    const auto obtained =
        machine.registry.GetDword(RootKey::LocalMachine, kInterfaceKey, "LeaseObtainedTime");
    ASSERT_TRUE(obtained.has_value());
    const double utcDays = DateFromCivil(2026, 12, 7, 5, 15, 30).Linear();
    EXPECT_EQ(*obtained, static_cast<uint32_t>((utcDays - 25569.0) * 86400.0 + 0.5));
    EXPECT_EQ(info.leaseObtained, static_cast<int64_t>(*obtained));

    ASSERT_EQ(stack().IpReleaseAddress(Map()), status::kSuccess);
    EXPECT_EQ(Addresses(), std::vector<std::string>{"0.0.0.0/0.0.0.0"});
    EXPECT_TRUE(Gateways().empty());
    EXPECT_EQ(Reg("DhcpIPAddress"), "0.0.0.0");
    EXPECT_FALSE(Reg("DhcpNameServer").has_value());

    machine.clock.Advance(3600 * 1000);
    ASSERT_EQ(stack().IpRenewAddress(Map()), status::kSuccess);
    EXPECT_EQ(Addresses(), std::vector<std::string>{"192.168.1.23/255.255.255.0"});
    EXPECT_EQ(Reg("DhcpIPAddress"), "192.168.1.23");
    EXPECT_EQ(machine.registry.GetDword(RootKey::LocalMachine, kInterfaceKey, "LeaseObtainedTime"),
              *obtained + 3600);

    platform::IpAdapterIndexMap unknown{6,
                                        u"\\DEVICE\\TCPIP_{00000000-0000-0000-0000-000000000000}"};
    EXPECT_EQ(stack().IpRenewAddress(unknown), status::kInvalidParameter);
}

TEST_F(SimIpStackTest, ReleaseAndRenewRefuseAStaticInterfaceAndRenewTimesOutWithoutServer) {
    Install(Static());
    EXPECT_EQ(stack().IpReleaseAddress(Map()), status::kInvalidParameter);
    EXPECT_EQ(stack().IpRenewAddress(Map()), status::kInvalidParameter);
    machine.registry.PutDword(RootKey::LocalMachine, kInterfaceKey, "EnableDHCP", 1);
    Restart();
    EXPECT_EQ(Addresses(), std::vector<std::string>{"0.0.0.0/0.0.0.0"});
    EXPECT_EQ(stack().IpRenewAddress(Map()), 121u);
}

TEST_F(SimIpStackTest, Dhcpv6LeaseFollowsIpconfigRelease6AndRenew6) {
    Install(Dhcp());
    const std::string luid = nettext::LuidHex(stack().FindInterface(kGuid)->spec.luid);
    std::vector<uint8_t> record(368, 0xFF);
    record[0] = 0;
    record[10] = 1;
    record[20] = record[21] = record[22] = record[23] = 0;
    machine.registry.PutBinary(RootKey::LocalMachine, std::string(kNsi) + "7", luid, record);
    Restart();
    const auto dhcpv6 = [&] {
        const auto list = Ipv6Addresses();
        return std::find(list.begin(), list.end(), "2001:db8:1::23/128") != list.end();
    };
    ASSERT_TRUE(dhcpv6());
    const char* tcpip6 =
        "SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Parameters\\Interfaces\\"
        "{C4D5E6F7-0819-4A2B-BC3D-4E5F60718201}";
    EXPECT_EQ(machine.registry.GetString(RootKey::LocalMachine, tcpip6, "Dhcpv6NameServer"),
              "2001:db8:1::53");

    EXPECT_EQ(machine.system.RunConsoleCommand("ipconfig /release6", "", 0x20, false),
              status::kSuccess);
    EXPECT_FALSE(dhcpv6());
    EXPECT_FALSE(
        machine.registry.GetString(RootKey::LocalMachine, tcpip6, "Dhcpv6NameServer").has_value());
    EXPECT_EQ(Addresses(),
              std::vector<std::string>{"192.168.1.23/255.255.255.0"});  // IPv4 untouched
    machine.system.RunConsoleCommand("ipconfig /renew6", "", 0x20, false);
    EXPECT_TRUE(dhcpv6());
    EXPECT_EQ(machine.system.ConsoleCommands().size(), 2u);
}

TEST_F(SimIpStackTest, StoredIpv6AddressesAndRoutesComeFromTheNetworkStore) {
    Install(Static());
    const SimIpStack::Interface* iface = stack().FindInterface(kGuid);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->spec.luid >> 48, platform::iftype::kEthernet);
    const std::string luid = nettext::LuidHex(iface->spec.luid);
    const nettext::Ipv6Bytes address = Ip6("2001:db8:50::10");
    const nettext::Ipv6Bytes hop = Ip6("2001:db8:50::1");
    std::vector<uint8_t> addressRecord(48, 0xFF);
    std::fill(addressRecord.begin() + 8, addressRecord.begin() + 16, 0);
    addressRecord[8] = addressRecord[12] = 1;
    addressRecord[16] = 64;
    addressRecord[17] = 0;
    std::vector<uint8_t> routeRecord(56, 0xFF);
    routeRecord[12] = 20;
    routeRecord[13] = routeRecord[14] = routeRecord[15] = 0;
    machine.registry.PutBinary(RootKey::LocalMachine, std::string(kNsi) + "10",
                               luid + nettext::ToHex(address.data(), 16), addressRecord);
    machine.registry.PutBinary(RootKey::LocalMachine, std::string(kNsi) + "16",
                               std::string(80, '0') + luid + luid + nettext::ToHex(hop.data(), 16),
                               routeRecord);
    // Values of another interface are not this one's.
    machine.registry.PutBinary(RootKey::LocalMachine, std::string(kNsi) + "10",
                               "0000000000800600" + nettext::ToHex(hop.data(), 16), addressRecord);
    Restart();
    EXPECT_EQ(Ipv6Addresses(),
              (std::vector<std::string>{"fe80::21b:21ff:fe3a:4f5c/64", "2001:db8:50::10/64"}));
    const auto routes = Ipv6Routes();
    EXPECT_EQ(routes.front(), "::/0 via 2001:db8:50::1 20");
    // Windows' on-link routes have no next hop.
    EXPECT_NE(std::find(routes.begin(), routes.end(), "2001:db8:50::/64 via :: 256"), routes.end());
    EXPECT_NE(std::find(routes.begin(), routes.end(), "fe80::/64 via :: 256"), routes.end());
}

TEST_F(SimIpStackTest, Ipv6RowsMadeWithTheInitialisersCanBeCreatedAndDeleted) {
    Install(Static());
    const SimIpStack::Interface* iface = stack().FindInterface(kGuid);
    platform::UnicastRow row;
    stack().InitializeUnicastIpAddressEntry(row);
    EXPECT_EQ(row.validLifetime, 0xFFFFFFFFu);
    EXPECT_EQ(row.prefixOrigin, 16u);
    row.ifIndex = 6;
    row.luid = iface->spec.luid;
    row.address.family = platform::af::kInet6;
    row.address.ipv6 = Ip6("2001:db8::7");
    EXPECT_EQ(stack().CreateUnicastIpAddressEntry(row),
              status::kSuccess);  // both origins unchanged
    EXPECT_EQ(stack().CreateUnicastIpAddressEntry(row), status::kObjectAlreadyExists);
    row.address.ipv6 = Ip6("2001:db8::8");
    row.prefixOrigin = 1;  // the suffix origin is still "unchanged"
    EXPECT_EQ(stack().CreateUnicastIpAddressEntry(row), status::kInvalidParameter);
    row.suffixOrigin = 1;
    row.onLinkPrefixLength = 64;
    row.luid = 0;  // the index alone finds the interface
    EXPECT_EQ(stack().CreateUnicastIpAddressEntry(row), status::kSuccess);
    row.ifIndex = 42;
    EXPECT_EQ(stack().CreateUnicastIpAddressEntry(row), status::kNotFound);
    const auto list = Ipv6Addresses();
    EXPECT_NE(std::find(list.begin(), list.end(), "2001:db8::7/128"), list.end());
    EXPECT_NE(std::find(list.begin(), list.end(), "2001:db8::8/64"), list.end());

    row.ifIndex = 6;
    EXPECT_EQ(stack().DeleteUnicastIpAddressEntry(row), status::kSuccess);
    EXPECT_EQ(stack().DeleteUnicastIpAddressEntry(row), status::kNotFound);

    platform::ForwardRow2 route;
    stack().InitializeIpForwardEntry(route);
    EXPECT_EQ(route.sitePrefixLength, 255);
    EXPECT_TRUE(route.immortal);
    route.ifIndex = 6;
    route.destinationPrefix.prefix.family = platform::af::kInet6;
    route.nextHop.family = platform::af::kInet6;
    route.nextHop.ipv6 = Ip6("fe80::1");
    ASSERT_EQ(stack().CreateIpForwardEntry2(route), status::kSuccess);
    EXPECT_EQ(stack().CreateIpForwardEntry2(route), status::kObjectAlreadyExists);
    EXPECT_EQ(Ipv6Routes().front(), "::/0 via fe80::1 256");
    EXPECT_EQ(stack().DeleteIpForwardEntry2(route), status::kSuccess);
    EXPECT_EQ(stack().DeleteIpForwardEntry2(route), status::kNotFound);
}

TEST_F(SimIpStackTest, RouterAdvertisementGivesAGlobalAddressAndADefaultRoute) {
    AdapterSetup setup = Dhcp();
    setup.network.router =
        RouterAdvertisement{"2001:db8:1a2b:10::/64", "fe80::1", 256, 86400, 14400};
    Install(setup);
    EXPECT_EQ(Ipv6Addresses(),
              (std::vector<std::string>{"fe80::21b:21ff:fe3a:4f5c/64",
                                        "2001:db8:1a2b:10:21b:21ff:fe3a:4f5c/64"}));
    EXPECT_EQ(Ipv6Routes().front(), "::/0 via fe80::1 256");
    // A record that turns router discovery off leaves only the link-local address.
    std::vector<uint8_t> record(368, 0);
    machine.registry.PutBinary(RootKey::LocalMachine, std::string(kNsi) + "7",
                               nettext::LuidHex(stack().FindInterface(kGuid)->spec.luid), record);
    Restart();
    EXPECT_EQ(Ipv6Addresses(), std::vector<std::string>{"fe80::21b:21ff:fe3a:4f5c/64"});
}

TEST_F(SimIpStackTest, IfEntryCountersGrowWithTheClockAndWrapAt32Bits) {
    AdapterSetup setup = Static();
    Install(setup);
    platform::MibIfRow row;
    row.index = 6;
    ASSERT_EQ(stack().GetIfEntry(row), status::kSuccess);
    EXPECT_EQ(row.physAddrLength, 6u);
    EXPECT_EQ(row.description, "Intel(R) Ethernet Connection I219-V");
    EXPECT_EQ(row.descriptionLength, row.description.size() + 1);
    EXPECT_EQ(row.operStatus, 5u);
    stack().AddTraffic(kGuid, 0xFFFFFFF0u, 1000);
    stack().AddTraffic(kGuid, 0x20, 24);
    ASSERT_EQ(stack().GetIfEntry(row), status::kSuccess);
    EXPECT_EQ(row.inOctets, 0x10u);
    EXPECT_EQ(row.outOctets, 1024u);
    row.index = 77;
    EXPECT_EQ(stack().GetIfEntry(row), status::kInvalidData);
}

TEST_F(SimIpStackTest, InjectedFailuresAnswerOnceOrUntilCleared) {
    Install(Static());
    std::vector<platform::IpAdapterInfo> adapters;
    stack().InjectFailure(SimIpStack::Call::GetAdaptersInfo, status::kNotEnoughMemory);
    EXPECT_EQ(stack().GetAdaptersInfo(adapters), status::kNotEnoughMemory);
    EXPECT_EQ(stack().GetAdaptersInfo(adapters), status::kSuccess);
    stack().InjectFailure(SimIpStack::Call::GetIfEntry, status::kAccessDenied, -1);
    platform::MibIfRow row;
    row.index = 6;
    EXPECT_EQ(stack().GetIfEntry(row), status::kAccessDenied);
    EXPECT_EQ(stack().GetIfEntry(row), status::kAccessDenied);
    stack().ClearFailures();
    EXPECT_EQ(stack().GetIfEntry(row), status::kSuccess);
}

}  // namespace
}  // namespace vexav6::sim
