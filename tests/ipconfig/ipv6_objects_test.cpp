#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "ipconfig/ip_config_fixture.h"
#include "ipconfig/ipv6_addresses.h"
#include "ipconfig/ipv6_gateways.h"
#include "ipconfig/ipv6_name_servers.h"
#include "platform/sim/sim_registry.h"

namespace vexav6::testing {
namespace {

using namespace std::string_literals;
using platform::RootKey;
using Call = sim::SimIpStack::Call;
using Op = sim::SimRegistry::Op;

constexpr const char* kAddressStore =
    "SYSTEM\\CurrentControlSet\\Control\\Nsi\\{eb004a01-9b1a-11d4-9123-0050047759bc}\\10";
constexpr const char* kRouteStore =
    "SYSTEM\\CurrentControlSet\\Control\\Nsi\\{eb004a01-9b1a-11d4-9123-0050047759bc}\\16";
constexpr const char* kTcpip6Key =
    "SYSTEM\\CurrentControlSet\\services\\TCPIP6\\Parameters\\Interfaces\\"
    "{6A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9}";

std::string Le32(uint32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

class IPv6ObjectsTest : public IpConfigTest {
  protected:
    uint64_t Luid() { return Interface().spec.luid; }
    // The LUID as the store names it: its bytes from the lowest, two upper-case digits each.
    std::string LuidText() {
        std::string text;
        for (int i = 0; i < 8; ++i) {
            char digits[3];
            std::snprintf(digits, sizeof digits, "%02X",
                          static_cast<unsigned>((Luid() >> (8 * i)) & 0xFF));
            text += digits;
        }
        return text;
    }
    IPv6Addresses MakeAddresses() {
        IPv6Addresses addresses;
        addresses.Init(kIndex, Luid(), {}, &owner);
        return addresses;
    }
    IPv6Gateways MakeGateways() {
        IPv6Gateways gateways;
        gateways.Init(kIndex, Luid(), kGuid, {}, &owner);
        return gateways;
    }
    std::vector<std::string> StoreNames(const char* key) {
        return machine.registry.ValueNames(RootKey::LocalMachine, key);
    }
    bool LiveAddress(const std::array<uint8_t, 16>& bytes) {
        for (const auto& row : Interface().ipv6) {
            if (row.address.ipv6 == bytes) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(IPv6ObjectsTest, LinkLocalAddressIsKeyedWithItsZone) {
    Install();
    IPv6Addresses addresses = MakeAddresses();
    addresses.Add("fe80::1", 64, false);
    const std::string key = "FE80:0000:0000:0000:0000:0000:0000:0001%12";
    ASSERT_EQ(addresses.Count(), 1);
    EXPECT_EQ(addresses.Item(key)->IPAddress(), key);
    EXPECT_TRUE(LiveAddress(addresses.Item(1)->IPAddressBytes()));
    EXPECT_TRUE(addresses.Exists(key, 64));
    EXPECT_FALSE(addresses.Exists(key, 48));
    EXPECT_FALSE(addresses.Exists("fe80::1%12", 64));

    // The zoned text is no address text: adding the item again from its text fails.
    IPv6Addresses other = MakeAddresses();
    ExpectError([&] { other.AddRange(addresses.Items(), false); }, 1, "");
    EXPECT_EQ(other.Count(), 0);

    // Without an adapter there is no interface to name.
    IPv6Address bare;
    bare.Init(addresses.Item(1)->IPAddressBytes(), 64, 0, 0, nullptr);
    EXPECT_EQ(bare.IPAddress(), "FE80:0000:0000:0000:0000:0000:0000:0001");
}

TEST_F(IPv6ObjectsTest, GatewayIsKeyedByShortNextHopAndGoesLive) {
    Install();
    IPv6Gateways gateways = MakeGateways();
    gateways.Add("2001:db8::1", 20, false);
    ASSERT_EQ(gateways.Count(), 1);
    EXPECT_EQ(gateways.Item("2001:DB8::1")->NextHop(), "2001:DB8::1");
    EXPECT_TRUE(gateways.Exists("2001:DB8::1", 20));
    EXPECT_FALSE(gateways.Exists("2001:DB8::1", 21));
    const auto& routes = Interface().ipv6Routes;
    const bool live =
        std::any_of(routes.begin(), routes.end(), [&](const platform::ForwardRow2& r) {
            return r.nextHop.ipv6 == gateways.Item(1)->NextHopBytes() && r.metric == 20 &&
                   r.destinationPrefix.prefixLength == 0;
        });
    EXPECT_TRUE(live);
    gateways.Remove(1, false);
    EXPECT_EQ(gateways.Count(), 0);
    EXPECT_EQ(Interface().ipv6Routes.size(), routes.size());
}

TEST_F(IPv6ObjectsTest, PersistentAddressOnDisabledDeviceIsOnlyStored) {
    Install(false);
    // A live call would fail and surface.
    machine.ipStack.InjectFailure(Call::CreateUnicastIpAddressEntry, 5, -1);
    IPv6Addresses addresses = MakeAddresses();
    addresses.Add("2001:db8::5", 64, true);
    const std::string name = LuidText() + "20010DB8000000000000000000000005";
    EXPECT_EQ(StoreNames(kAddressStore), std::vector<std::string>{name});
    platform::UnicastRow initial;
    machine.ipStack.InitializeUnicastIpAddressEntry(initial);
    const std::string expected = Le32(initial.validLifetime) + Le32(initial.preferredLifetime) +
                                 Le32(1) + Le32(1) + "\x40\x00"s + std::string(30, '\xFF');
    EXPECT_EQ(Data(kAddressStore, name), expected);
    EXPECT_EQ(machine.registry.Get(RootKey::LocalMachine, kAddressStore, name)->type, 3u);

    addresses.Remove(1, true);
    EXPECT_TRUE(StoreNames(kAddressStore).empty());
    // Not stored: removal succeeds without a word.
    addresses.Add("2001:db8::6", 64, false);
    addresses.Remove("2001:0DB8:0000:0000:0000:0000:0000:0006", true);
    EXPECT_EQ(addresses.Count(), 0);

    // A value that cannot be read is not taken for an absent one.
    addresses.Add("2001:db8::7", 64, true);
    machine.registry.InjectFailure(Op::Query, RootKey::LocalMachine, kAddressStore, "", 5);
    ExpectError([&] { addresses.Remove(1, true); }, 5, "IPv6Address.RemoveIPFromRegistry");
    EXPECT_EQ(StoreNames(kAddressStore).size(), 1u);
    EXPECT_EQ(addresses.Count(), 1);
}

TEST_F(IPv6ObjectsTest, GatewayWithoutMetricKeepsTheInitialisersMetricInTheStore) {
    Install(false);
    platform::ForwardRow2 initial;
    machine.ipStack.InitializeIpForwardEntry(initial);
    const std::string nextHop = "20010DB8000000000000000000000001";
    const std::string name = std::string(80, '0') + LuidText() + LuidText() + nextHop;
    for (const auto& [metric, stored] :
         {std::pair<int32_t, uint32_t>{0, initial.metric}, std::pair<int32_t, uint32_t>{20, 20}}) {
        IPv6Gateways gateways = MakeGateways();
        gateways.Add("2001:db8::1", metric, true);
        EXPECT_EQ(gateways.Item(1)->Metric(), static_cast<int32_t>(stored));
        EXPECT_EQ(StoreNames(kRouteStore), std::vector<std::string>{name});
        EXPECT_EQ(Data(kRouteStore, name),
                  std::string(12, '\xFF') + Le32(stored) + std::string(40, '\xFF'));
        gateways.Remove(1, true);
        EXPECT_TRUE(StoreNames(kRouteStore).empty());
    }
    IPv6Gateways gateways = MakeGateways();
    gateways.Add("2001:db8::1", 5, true);
    machine.registry.InjectFailure(Op::DeleteValue, RootKey::LocalMachine, kRouteStore, name, 5);
    ExpectError([&] { gateways.Remove(1, true); }, 5, "IPv6Address.RemoveGatewayFromRegistry");
    EXPECT_EQ(gateways.Count(), 1);
}

TEST_F(IPv6ObjectsTest, LiveFailuresLeaveTheStoreAlone) {
    Install();
    IPv6Addresses addresses = MakeAddresses();
    addresses.Add("2001:db8::7", 64, false);
    IPv6Addresses again = MakeAddresses();
    ExpectError([&] { again.Add("2001:db8::7", 64, true); }, 5010, "IPv6Address.Add");
    EXPECT_EQ(again.Count(), 0);
    EXPECT_TRUE(StoreNames(kAddressStore).empty());

    IPv6Gateways gateways = MakeGateways();
    machine.ipStack.InjectFailure(Call::CreateIpForwardEntry2, 87);
    ExpectError([&] { gateways.Add("2001:db8::1", 1, true); }, 87, "IPv6Gateway.Add");
    machine.ipStack.InjectFailure(Call::DeleteUnicastIpAddressEntry, 1168);
    ExpectError([&] { addresses.Remove(1, true); }, 1168, "IPv6Address.Remove");
    EXPECT_EQ(addresses.Count(), 1);
    EXPECT_TRUE(StoreNames(kRouteStore).empty());
}

TEST_F(IPv6ObjectsTest, RowsFromTheTablesAreRemovedExactly) {
    Install();
    MakeAddresses().Add("2001:db8::8", 64, false);
    MakeGateways().Add("2001:db8::1", 30, false);
    std::vector<platform::UnicastRow> rows;
    ASSERT_EQ(machine.ipStack.GetUnicastIpAddressTable(platform::af::kInet6, rows), 0u);
    const auto row = std::find_if(rows.begin(), rows.end(), [](const platform::UnicastRow& r) {
        return r.address.ipv6[15] == 8 && r.address.ipv6[0] == 0x20;
    });
    ASSERT_NE(row, rows.end());
    IPv6Address found;
    found.Init2(*row, &owner);
    EXPECT_EQ(found.Row(), *row);
    ExpectError([&] { found.Init2(*row, &owner); }, 1, "IPv6Address.Init");
    const size_t before = Interface().ipv6.size();
    found.Remove(false);
    EXPECT_EQ(Interface().ipv6.size(), before - 1);
    EXPECT_FALSE(LiveAddress(found.IPAddressBytes()));

    std::vector<platform::ForwardRow2> routes;
    ASSERT_EQ(machine.ipStack.GetIpForwardTable2(platform::af::kInet6, routes), 0u);
    const auto route = std::find_if(routes.begin(), routes.end(), [](const auto& r) {
        return r.nextHop.ipv6[0] == 0x20 && r.metric == 30;
    });
    ASSERT_NE(route, routes.end());
    IPv6Gateway gateway;
    gateway.Init2(*route, &owner);
    const size_t routesBefore = Interface().ipv6Routes.size();
    EXPECT_EQ(gateway.Metric(), 30);
    ExpectError([&] { gateway.Init2(*route, &owner); }, 1, "IPv6Gateway.Init");
    gateway.Remove(false);
    EXPECT_EQ(Interface().ipv6Routes.size(), routesBefore - 1);
}

TEST_F(IPv6ObjectsTest, NameServersAreStoredAsGivenAndAFailedRemoveMovesTheServerToTheEnd) {
    Install();
    IPv6NameServers servers;
    servers.Init(kGuid, {}, &owner);
    IPv6NameServers::List list;
    for (const char* s : {"2001:db8::53", "::", "2001:db8::54"}) {
        list.Add(s, s);
    }
    servers.AddRange(list);
    EXPECT_EQ(Data(kTcpip6Key, "NameServer"), "2001:db8::53,::,2001:db8::54\0"s);
    servers.Remove("::");
    EXPECT_EQ(Data(kTcpip6Key, "NameServer"), "2001:db8::53,2001:db8::54\0"s);

    machine.registry.InjectFailure(Op::Set, RootKey::LocalMachine, kTcpip6Key, "NameServer", 5, 2);
    ExpectError([&] { servers.Remove("2001:db8::53"); }, 5, "IPv6NameServers.WriteNameServers");
    ExpectError([&] { servers.Remove(1); }, 5, "IPv6NameServers.WriteNameServers");
    EXPECT_EQ(servers.Item(1), "2001:db8::53");
    EXPECT_EQ(servers.Item(2), "2001:db8::54");
    EXPECT_EQ(servers.Count(), 2);
    EXPECT_EQ(Data(kTcpip6Key, "NameServer"), "2001:db8::53,2001:db8::54\0"s);

    // An index that is not listed fails with the list's error and changes nothing.
    ExpectError([&] { servers.Remove("2001:db8::99"); }, 5, "Vexav6");
    ExpectError([&] { servers.Add("2001:DB8::54"); }, 457, "Vexav6");
    EXPECT_EQ(servers.Count(), 2);
    servers.RemoveAll();
    EXPECT_EQ(servers.Count(), 0);
    EXPECT_EQ(Data(kTcpip6Key, "NameServer"), "\0"s);
}

TEST_F(IPv6ObjectsTest, InitChecks) {
    Install();
    const std::array<uint8_t, 15> shortAddress{};
    IPv6Address address;
    ExpectError([&] { address.Init(shortAddress, 64, 0, 0, nullptr); }, 1, "IPv6Address.Init",
                "Invalid IPv6 address was passed.");
    IPv6Gateway gateway;
    ExpectError([&] { gateway.Init(shortAddress, 0, 0, 0, nullptr); }, 1, "IPv6Gateway.Init",
                "Invalid IPv6 address was passed as next hop.");
    const std::array<uint8_t, 16> bytes{0x20, 0x01, 0x0D, 0xB8};
    address.Init(bytes, 64, kIndex, Luid(), &owner);
    ExpectError([&] { address.Init(bytes, 64, 0, 0, nullptr); }, 1, "IPv6Address.Init",
                "Init already done");
    gateway.Init(bytes, 0, kIndex, Luid(), &owner);
    ExpectError([&] { gateway.Init(bytes, 0, 0, 0, nullptr); }, 1, "IPv6Gateway");

    IPv6Addresses addresses = MakeAddresses();
    ExpectError([&] { addresses.Init(0, 0, {}, nullptr); }, 1, "IPv6Addresses.Init");
    IPv6Gateways gateways = MakeGateways();
    ExpectError([&] { gateways.Init(0, 0, "", {}, nullptr); }, 1, "IPv6Gatewayes.Init");
    IPv6NameServers servers;
    servers.Init(kGuid, {}, &owner);
    ExpectError([&] { servers.Init(kGuid, {}, &owner); }, 1, "IPv6NameServers.Init");

    // Windows before 6.0 has no row initialiser: the row holds only what Init sets.
    platform::UnicastRow initial;
    machine.ipStack.InitializeUnicastIpAddressEntry(initial);
    EXPECT_EQ(address.Row().validLifetime, initial.validLifetime);
    machine.system.version.major = 5;
    machine.system.version.minor = 1;
    IPv6Address xp;
    xp.Init(bytes, 64, kIndex, Luid(), &owner);
    EXPECT_EQ(xp.Row().validLifetime, 0u);
    EXPECT_EQ(xp.Row().luid, Luid());
    EXPECT_EQ(xp.Row().prefixOrigin, 1u);
}

}  // namespace
}  // namespace vexav6::testing
