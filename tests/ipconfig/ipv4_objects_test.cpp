#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ipconfig/ip_config_fixture.h"
#include "ipconfig/ipv4_addresses.h"
#include "ipconfig/ipv4_gateways.h"
#include "ipconfig/ipv4_name_servers.h"
#include "ipconfig/ipv4_support.h"
#include "platform/sim/sim_registry.h"
#include "system/registry.h"

namespace vexav6::testing {
namespace {

using namespace std::string_literals;
using platform::RootKey;
using Call = sim::SimIpStack::Call;
using Op = sim::SimRegistry::Op;

class IPv4ObjectsTest : public IpConfigTest {
  protected:
    IPv4Addresses MakeAddresses(const IPv4Addresses::List& found = {}) {
        IPv4Addresses addresses;
        addresses.Init(kIndex, kGuid, found, &owner);
        return addresses;
    }
    IPv4Gateways MakeGateways(int32_t ifMetric = 0) {
        IPv4Gateways gateways;
        gateways.Init(kIndex, ifMetric, kGuid, {}, &owner);
        return gateways;
    }
    // The addresses the running interface holds, as "address/mask".
    std::vector<std::string> LiveAddresses() {
        std::vector<std::string> result;
        for (const auto& a : Interface().ipv4) {
            result.push_back(IPv4Support::IPv4AddressToText(a.address) + "/" +
                             IPv4Support::IPv4AddressToText(a.mask));
        }
        return result;
    }
    // Default routes of the interface as the route table reports them: "next hop metric".
    std::vector<std::string> LiveGateways() {
        std::vector<platform::MibIpForwardRow> rows;
        EXPECT_EQ(machine.ipStack.GetIpForwardTable(rows), 0u);
        std::vector<std::string> result;
        for (const auto& row : rows) {
            if (row.dest == 0 && row.mask == 0 && row.ifIndex == static_cast<uint32_t>(kIndex)) {
                result.push_back(IPv4Support::IPv4AddressToText(row.nextHop) + " " +
                                 std::to_string(row.metric1));
            }
        }
        return result;
    }
    std::vector<std::string> PersistentRoutes() {
        return machine.registry.ValueNames(RootKey::LocalMachine, kRoutesKey);
    }
};

TEST_F(IPv4ObjectsTest, AddGoesLiveAndReplacesTheNoAddressPlaceholder) {
    Install();
    for (const auto& stored : {std::vector<std::string>{"0.0.0.0"}, std::vector<std::string>{}}) {
        PutList("IPAddress", stored);
        PutList("SubnetMask", stored);
        IPv4Addresses addresses = MakeAddresses();
        addresses.Add("10.0.0.2", "255.255.255.0", true);
        EXPECT_EQ(Stored("IPAddress"), "10.0.0.2\0\0"s);
        EXPECT_EQ(Stored("SubnetMask"), "255.255.255.0\0\0"s);
        ASSERT_EQ(addresses.Count(), 1);
        EXPECT_NE(addresses.Item("10.0.0.2")->NTEContext(), 0);
        EXPECT_EQ(LiveAddresses(), std::vector<std::string>{"10.0.0.2/255.255.255.0"});
        addresses.Remove(1, false);
        EXPECT_TRUE(LiveAddresses().empty());
    }
}

TEST_F(IPv4ObjectsTest, RemovingTheNoAddressEntryOfARunningAdapterChangesNothingLive) {
    Install(true, {{"10.0.0.1", "255.0.0.0"}});
    // What discovery lists for a running interface without an address (a DHCP adapter without a
    // lease): the placeholder, without a context.
    IPv4Addresses::List found;
    auto none = std::make_shared<IPv4Address>();
    none->Init("0.0.0.0", "0.0.0.0", 0, kIndex, kGuid, &owner);
    found.Add(none, "0.0.0.0");
    IPv4Addresses addresses = MakeAddresses(found);
    addresses.RemoveAll(true);
    EXPECT_EQ(addresses.Count(), 0);
    EXPECT_EQ(LiveAddresses(), std::vector<std::string>{"10.0.0.1/255.0.0.0"});
    // A real address without a context is still refused.
    IPv4Addresses::List unknown;
    auto stray = std::make_shared<IPv4Address>();
    stray->Init("10.9.9.9", "255.0.0.0", 0, kIndex, kGuid, &owner);
    unknown.Add(stray, "10.9.9.9");
    IPv4Addresses others = MakeAddresses(unknown);
    EXPECT_THROW(others.RemoveAll(false), Error);
}

TEST_F(IPv4ObjectsTest, StoredListsUseFreeSlotsKeepMasksAlignedAndDropDuplicates) {
    Install(false);
    PutList("IPAddress", {"10.0.0.1"});
    PutList("SubnetMask", {"255.0.0.0"});
    IPv4Addresses addresses = MakeAddresses();
    addresses.Add("10.0.0.2", "255.255.255.0", true);
    EXPECT_EQ(Stored("IPAddress"), "10.0.0.1\00010.0.0.2\0\0"s);
    EXPECT_EQ(Stored("SubnetMask"), "255.0.0.0\000255.255.255.0\0\0"s);

    // Already stored: only its mask changes, and the copy further down goes.
    PutList("IPAddress", {"10.0.0.2", "10.0.0.1", "10.0.0.2"});
    PutList("SubnetMask", {"255.0.0.0", "255.255.0.0", "255.0.0.0"});
    IPv4Addresses again = MakeAddresses();
    again.Add("10.0.0.2", "255.255.255.128", true);
    EXPECT_EQ(Stored("IPAddress"), "10.0.0.2\00010.0.0.1\0\0\0"s);
    EXPECT_EQ(Stored("SubnetMask"), "255.255.255.128\000255.255.0.0\0\0\0"s);
    // Nothing live on a disabled device.
    EXPECT_EQ(again.Item(1)->NTEContext(), 0);
}

TEST_F(IPv4ObjectsTest, LiveOrStoredDecision) {
    Install(true, {{"192.168.50.10", "255.255.255.0"}});
    const std::string storedBefore = Stored("IPAddress");
    // Cable unplugged: nothing live; only the stored lists, and only when asked.
    machine.ipStack.SetOperStatus(kGuid, 2);
    owner.operStatus = 2;
    IPv4Addresses addresses = MakeAddresses();
    addresses.Add("10.0.0.5", "255.0.0.0", false);
    EXPECT_EQ(Stored("IPAddress"), storedBefore);
    addresses.Add("10.0.0.6", "255.0.0.0", true);
    EXPECT_EQ(Stored("IPAddress"), "192.168.50.10\00010.0.0.6\0\0"s);
    EXPECT_EQ(LiveAddresses(), std::vector<std::string>{"192.168.50.10/255.255.255.0"});
    EXPECT_EQ(addresses.Count(), 2);

    // An address known only from the stored lists cannot be removed from a running device...
    ExpectError([&] { addresses.Remove("10.0.0.6", true); }, 1, "IPv4Address.Remove",
                "IPv4 address does not exist.");
    EXPECT_EQ(Stored("IPAddress"), "192.168.50.10\00010.0.0.6\0\0"s);
    EXPECT_EQ(addresses.Count(), 2);
    // ...while on a disabled device removal without Persistent does nothing at all.
    owner.state = false;
    addresses.Remove("10.0.0.6", false);
    EXPECT_EQ(Stored("IPAddress"), "192.168.50.10\00010.0.0.6\0\0"s);
    EXPECT_EQ(addresses.Count(), 1);
}

TEST_F(IPv4ObjectsTest, RemovingTheLastAddressStoresThePlaceholderInBothLists) {
    Install(true, {{"192.168.50.10", "255.255.255.0"}});
    PutList("IPAddress", {"192.168.50.10", "192.168.50.10"});
    PutList("SubnetMask", {"255.255.255.0", "255.0.0.0"});
    auto found = std::make_shared<IPv4Address>();
    found->Init("192.168.50.10", "255.255.255.0", static_cast<int32_t>(Interface().ipv4[0].context),
                kIndex, kGuid, &owner);
    IPv4Addresses::List list;
    list.Add(found, found->IPAddress());
    IPv4Addresses addresses = MakeAddresses(list);
    EXPECT_EQ(addresses.Remove(1, true), found);
    EXPECT_TRUE(LiveAddresses().empty());
    EXPECT_EQ(Stored("IPAddress"), "0.0.0.0\0\0"s);
    EXPECT_EQ(Stored("SubnetMask"), "0.0.0.0\0\0"s);
    EXPECT_EQ(addresses.Count(), 0);

    // A key that stores no addresses at all (usual on DHCP): nothing to take out, nothing written.
    addresses.Add("10.0.0.7", "255.0.0.0", false);
    machine.registry.RemoveValue(RootKey::LocalMachine, kInterfaceKey, "IPAddress");
    machine.registry.RemoveValue(RootKey::LocalMachine, kInterfaceKey, "SubnetMask");
    EXPECT_NO_THROW(addresses.Remove("10.0.0.7", true));
    EXPECT_TRUE(LiveAddresses().empty());
    EXPECT_EQ(Stored("IPAddress"), "<absent>");
}

TEST_F(IPv4ObjectsTest, FailuresLeaveListAndStoredConfiguration) {
    Install();
    IPv4Addresses addresses = MakeAddresses();
    const std::string storedBefore = Stored("IPAddress");
    machine.ipStack.InjectFailure(Call::AddIPAddress, 5010);
    ExpectError([&] { addresses.Add("10.0.0.2", "255.0.0.0", true); }, 5010, "IPv4Address.Add",
                Registry::GetSystemErrorMessage(machine.GetPlatform(), 5010));
    EXPECT_EQ(addresses.Count(), 0);
    EXPECT_EQ(Stored("IPAddress"), storedBefore);

    // AddRange stops at the first failure; what came before stays added.
    IPv4Addresses::List range;
    for (const char* text : {"10.0.0.3", "not an address", "10.0.0.4"}) {
        auto item = std::make_shared<IPv4Address>();
        item->Init(text, "255.0.0.0", 0, 0, "", nullptr);
        range.Add(item, item->IPAddress());
    }
    EXPECT_THROW(addresses.AddRange(range, false), Error);
    EXPECT_EQ(addresses.Count(), 1);
    EXPECT_EQ(LiveAddresses(), std::vector<std::string>{"10.0.0.3/255.0.0.0"});
    ExpectError([&] { addresses.Item(1)->Add(false); }, 1, "IPv4Address.Add",
                "IPv4 address already added.");

    // RemoveAll keeps the whole list when one item fails, though earlier ones were removed.
    auto stale = std::make_shared<IPv4Address>();
    stale->Init("10.0.0.9", "255.0.0.0", 0, kIndex, kGuid, &owner);
    IPv4Addresses::List two = addresses.Items();
    two.Add(stale, stale->IPAddress());
    IPv4Addresses both = MakeAddresses(two);
    EXPECT_THROW(both.RemoveAll(false), Error);
    EXPECT_EQ(both.Count(), 2);
    EXPECT_TRUE(LiveAddresses().empty());
}

TEST_F(IPv4ObjectsTest, GatewayRouteMetricAndPersistentRouteName) {
    struct Case {
        int32_t metric;
        int32_t ifMetric;
        std::string routeMetric;
        std::string nameEnd;
    };
    Install(true, {{"192.168.50.10", "255.255.255.0"}});
    for (const Case& c : {Case{0, 0, "30", ",-1"}, Case{10, 0, "10", ",10"},
                          Case{0, 25, "25", ",-1"}, Case{-4, 0, "30", ",-1"}}) {
        IPv4Gateways gateways = MakeGateways(c.ifMetric);
        gateways.Add("192.168.50.1", c.metric, true);
        EXPECT_EQ(LiveGateways(), std::vector<std::string>{"192.168.50.1 " + c.routeMetric});
        EXPECT_EQ(PersistentRoutes(),
                  std::vector<std::string>{"0.0.0.0,0.0.0.0,192.168.50.1" + c.nameEnd});
        EXPECT_EQ(Data(kRoutesKey, PersistentRoutes()[0]), "");
        EXPECT_EQ(Stored("DefaultGateway"), "192.168.50.1\0\0"s);
        EXPECT_EQ(Stored("DefaultGatewayMetric"), std::to_string(std::max(c.metric, 0)) + "\0\0"s);
        EXPECT_TRUE(gateways.Exists("192.168.50.1", std::max(c.metric, 0)));
        EXPECT_FALSE(gateways.Exists("192.168.50.1", 99));

        // Removing the last gateway leaves empty lists and no route.
        gateways.Remove("192.168.50.1", true);
        EXPECT_TRUE(LiveGateways().empty());
        EXPECT_TRUE(PersistentRoutes().empty());
        EXPECT_EQ(Stored("DefaultGateway"), "\0"s);
        EXPECT_EQ(Stored("DefaultGatewayMetric"), "\0"s);
    }
}

TEST_F(IPv4ObjectsTest, AddingAGatewayReplacesEveryPersistentDefaultRouteThroughIt) {
    Install(false);
    for (const char* name :
         {"0.0.0.0,0.0.0.0,192.168.50.1,5", "0.0.0.0,0.0.0.0,192.168.50.1,-1",
          "0.0.0.0,0.0.0.0,192.168.50.10,-1", "10.0.0.0,255.0.0.0,192.168.50.1,1"}) {
        machine.registry.PutString(RootKey::LocalMachine, kRoutesKey, name, "");
    }
    PutList("DefaultGateway", {"192.168.50.1", "10.1.1.1", "192.168.50.1"});
    PutList("DefaultGatewayMetric", {"5", "3"});
    IPv4Gateways gateways = MakeGateways();
    gateways.Add("192.168.50.1", 7, true);
    std::vector<std::string> routes = PersistentRoutes();
    std::sort(routes.begin(), routes.end());
    EXPECT_EQ(routes, (std::vector<std::string>{"0.0.0.0,0.0.0.0,192.168.50.1,7",
                                                "0.0.0.0,0.0.0.0,192.168.50.10,-1",
                                                "10.0.0.0,255.0.0.0,192.168.50.1,1"}));
    EXPECT_EQ(Stored("DefaultGateway"), "192.168.50.1\00010.1.1.1\0\0\0"s);
    EXPECT_EQ(Stored("DefaultGatewayMetric"), "7\0003\0\0\0"s);

    // Clearing the stored routes leaves the gateway lists alone.
    gateways.RemoveAllPersistentRoutes();
    EXPECT_EQ(PersistentRoutes().size(), 2u);
    EXPECT_EQ(Stored("DefaultGateway"), "192.168.50.1\00010.1.1.1\0\0\0"s);
    EXPECT_EQ(gateways.Count(), 1);
}

TEST_F(IPv4ObjectsTest, GatewayLiveFailureDoesNotTouchTheStoredLists) {
    Install(true, {{"192.168.50.10", "255.255.255.0"}}, {{"192.168.50.1", "0"}});
    const std::string storedBefore = Stored("DefaultGateway");
    auto missing = std::make_shared<IPv4Gateway>();
    missing->Init("192.168.50.99", 0, kIndex, kGuid, 0, &owner);
    IPv4Gateways::List list;
    list.Add(missing, missing->Gateway());
    IPv4Gateways gateways;
    gateways.Init(kIndex, 0, kGuid, list, &owner);
    ExpectError([&] { gateways.Remove(1, true); }, 1168, "IPv4Gateway.Remove");
    EXPECT_EQ(gateways.Count(), 1);
    EXPECT_EQ(Stored("DefaultGateway"), storedBefore);
}

TEST_F(IPv4ObjectsTest, NameServersAreStoredFilteredWithPlaceholder) {
    Install();
    IPv4NameServers servers;
    servers.Init(kGuid, {}, &owner);
    IPv4NameServers::List list;
    for (const char* s : {"8.8.8.8", "0.0.0.0", "8.8.4.4"}) {
        list.Add(s, s);
    }
    servers.WriteNameServers(list, false);
    EXPECT_EQ(Stored("NameServer"), "8.8.8.8,8.8.4.4\0"s);
    EXPECT_EQ(machine.registry.Get(RootKey::LocalMachine, kInterfaceKey, "NameServer")->type, 1u);
    EXPECT_EQ(servers.Count(), 3);
    EXPECT_TRUE(servers.Exists("0.0.0.0"));
    servers.WriteNameServers({}, false);
    EXPECT_EQ(Stored("NameServer"), "0.0.0.0\0"s);
    servers.WriteNameServers({}, true);
    EXPECT_EQ(Stored("NameServer"), "\0"s);

    servers.AddRange(list);
    servers.Add("1.1.1.1");
    EXPECT_EQ(Stored("NameServer"), "8.8.8.8,8.8.4.4,1.1.1.1\0"s);
    EXPECT_EQ(servers.Item(4), "1.1.1.1");
    EXPECT_FALSE(servers.Exists("1.1.1"));

    // A server already listed, or a failed write, changes neither the list nor the value.
    ExpectError([&] { servers.Add("8.8.8.8"); }, 457, "Vexav6");
    machine.registry.InjectFailure(Op::Set, RootKey::LocalMachine, kInterfaceKey, "NameServer", 5);
    ExpectError([&] { servers.Add("9.9.9.9"); }, 5, "IPv4NameServers.WriteNameServers");
    EXPECT_EQ(servers.Count(), 4);
    EXPECT_TRUE(servers.Exists("8.8.8.8"));
    EXPECT_EQ(Stored("NameServer"), "8.8.8.8,8.8.4.4,1.1.1.1\0"s);

    servers.RemoveAll();
    EXPECT_EQ(servers.Count(), 0);
    EXPECT_EQ(Stored("NameServer"), "\0"s);
}

TEST_F(IPv4ObjectsTest, InitRulesAndExistsExactness) {
    Install();
    IPv4Address address;
    address.Init("", "", 0, 0, "", nullptr);
    EXPECT_EQ(address.IPAddress(), "0.0.0.0");
    EXPECT_EQ(address.SubnetMask(), "0.0.0.0");
    ExpectError([&] { address.Init("1.2.3.4", "", 0, 0, "", nullptr); }, 1, "IPv4Address.Init",
                "Init already done");
    IPv4Gateway gateway;
    gateway.Init("", -1, 0, "", 0, nullptr);
    EXPECT_EQ(gateway.Gateway(), "0.0.0.0");
    EXPECT_EQ(gateway.Metric(), 0);
    ExpectError([&] { gateway.Init("1.2.3.4", 1, 0, "", 0, nullptr); }, 1, "IPv4Gateway");

    IPv4Addresses addresses = MakeAddresses();
    ExpectError([&] { addresses.Init(1, kGuid, {}, &owner); }, 1, "IPv4Addresses.Init");
    IPv4Gateways gateways = MakeGateways();
    ExpectError([&] { gateways.Init(1, 0, kGuid, {}, &owner); }, 1, "IPv4Gatewayes.Init");
    IPv4NameServers servers;
    servers.Init(kGuid, {}, &owner);
    ExpectError([&] { servers.Init(kGuid, {}, &owner); }, 1, "IPv4NameServers.Init");

    addresses.Add("10.0.0.1", "255.255.255.0", false);
    EXPECT_TRUE(addresses.Exists("10.0.0.1", "255.255.255.0"));
    EXPECT_FALSE(addresses.Exists("10.0.0.1", "255.255.0.0"));
    EXPECT_FALSE(addresses.Exists("10.0.0.10", "255.255.255.0"));
}

TEST_F(IPv4ObjectsTest, ObjectsWithoutAnAdapterRefuseChangesInsteadOfCrashing) {
    Install();
    IPv4Address address;
    address.Init("10.0.0.1", "255.0.0.0", 0, kIndex, kGuid, nullptr);
    ExpectError([&] { address.Add(true); }, 1, "IPv4Address.Add");
    // A collection that was never initialised has no adapter either.
    IPv4Gateways gateways;
    ExpectError([&] { gateways.Add("10.0.0.254", 0, true); }, 1, "IPv4Gateway.Add");
    IPv4NameServers servers;
    ExpectError([&] { servers.Add("1.1.1.1"); }, 1, "IPv4NameServers.WriteNameServers");
    EXPECT_EQ(servers.Count(), 0);
    EXPECT_TRUE(LiveGateways().empty());
}

}  // namespace
}  // namespace vexav6::testing
