// The IP Helper as the program relies on it, checked on the simulated machine (the demo machine)
// and, in the Windows suite, on the real one through the Windows back-end (under Wine: the
// interfaces of the Linux host, with the loopback interface always there). They only read; nothing
// is added, removed or released on a real machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"
#include "platform/sim/machine.h"
#include "support/registry_scratch.h"

#ifdef _WIN32
#include "platform/win32/win32_ip_helper.h"
#endif

namespace vexav6 {
namespace {

namespace status = platform::status;
using platform::af::kInet;
using platform::af::kInet6;
using platform::af::kUnspec;
using vexav6::testing::RegistryBackend;

constexpr uint32_t kIfTypeShift = 48;  // the interface type is the top 16 bits of a LUID

std::u16string TcpipName(const std::string& adapterName) {
    return u"\\DEVICE\\TCPIP_" + text::Utf8ToUtf16(adapterName);
}

// The IP Helper of one machine: the demo machine's, or the real one's. Without the later calls it
// is the IP Helper of Windows 2000: the simulated machine runs Windows 5.0, the real back-end looks
// for the calls of XP and Vista in a module that has none.
class IpHelperUnderTest {
  public:
    IpHelperUnderTest(RegistryBackend backend, bool laterCalls) {
        if (backend == RegistryBackend::Windows) {
#ifdef _WIN32
            real_ = laterCalls
                        ? std::make_unique<win32::Win32IpHelper>()
                        : std::make_unique<win32::Win32IpHelper>(L"vexav6-no-such-module.dll");
#endif
            return;
        }
        machine_.Load(std::string(VEXAV6_FIXTURES_DIR) + "/machines/demo.json");
        if (!laterCalls) {
            machine_.system.version.major = 5;
            machine_.system.version.minor = 0;
        }
    }

    platform::IpHelperApi& Api() {
        return real_ ? *real_ : static_cast<platform::IpHelperApi&>(machine_.ipStack);
    }

  private:
    sim::Machine machine_;
    std::unique_ptr<platform::IpHelperApi> real_;
};

class IpHelperContractTest : public ::testing::TestWithParam<RegistryBackend> {
  protected:
    uint32_t UnusedInterfaceIndex() {
        std::vector<platform::UnicastRow> rows;
        EXPECT_EQ(ip.GetUnicastIpAddressTable(kUnspec, rows), status::kSuccess);
        uint32_t highest = 0;
        for (const auto& row : rows) {
            highest = std::max(highest, row.ifIndex);
        }
        return highest + 1000;
    }

    IpHelperUnderTest machine{GetParam(), true};
    platform::IpHelperApi& ip = machine.Api();
};

TEST_P(IpHelperContractTest, AdaptersAgreeWithTheirIndexInterfaceRowAndLuid) {
    std::vector<platform::IpAdapterInfo> adapters;
    ASSERT_EQ(ip.GetAdaptersInfo(adapters), status::kSuccess);
    ASSERT_FALSE(adapters.empty());
    std::vector<platform::IpAdapterIndexMap> interfaces;
    ASSERT_EQ(ip.GetInterfaceInfo(interfaces), status::kSuccess);

    for (const platform::IpAdapterInfo& adapter : adapters) {
        SCOPED_TRACE(adapter.adapterName);
        uint32_t index = 0;
        EXPECT_EQ(ip.GetAdapterIndex(TcpipName(adapter.adapterName), index), status::kSuccess);
        EXPECT_EQ(index, adapter.index);

        const auto entry = std::find_if(interfaces.begin(), interfaces.end(), [&](const auto& map) {
            return map.index == adapter.index;
        });
        ASSERT_NE(entry, interfaces.end());
        EXPECT_TRUE(text::EqualsIgnoreCase(text::Utf16ToUtf8(entry->name),
                                           text::Utf16ToUtf8(TcpipName(adapter.adapterName))));

        platform::MibIfRow row;
        row.index = adapter.index;
        ASSERT_EQ(ip.GetIfEntry(row), status::kSuccess);
        EXPECT_EQ(row.index, adapter.index);
        EXPECT_EQ(row.type, adapter.type);
        // The description length counts the terminating zero.
        EXPECT_EQ(row.descriptionLength, row.description.size() + 1);
        ASSERT_EQ(row.physAddrLength, adapter.addressLength);
        EXPECT_TRUE(std::equal(row.physAddr.begin(), row.physAddr.begin() + row.physAddrLength,
                               adapter.address.begin()));

        uint64_t luid = 0;
        ASSERT_EQ(ip.ConvertInterfaceIndexToLuid(adapter.index, luid), status::kSuccess);
        EXPECT_EQ(luid >> kIfTypeShift, adapter.type);
    }
}

TEST_P(IpHelperContractTest, NamesAndIndexesWithoutInterfaceFail) {
    uint32_t index = 12345;
    EXPECT_NE(ip.GetAdapterIndex(u"\\DEVICE\\TCPIP_{00000000-DEAD-BEEF-0000-000000000000}", index),
              status::kSuccess);
    EXPECT_EQ(index, 12345u);  // untouched

    const uint32_t unused = UnusedInterfaceIndex();
    platform::MibIfRow row;
    row.index = unused;
    EXPECT_NE(ip.GetIfEntry(row), status::kSuccess);
    uint64_t luid = 77;
    EXPECT_NE(ip.ConvertInterfaceIndexToLuid(unused, luid), status::kSuccess);
    EXPECT_EQ(luid, 77u);
}

TEST_P(IpHelperContractTest, UnicastRowsNameInterfacesThatExist) {
    std::vector<platform::UnicastRow> all;
    ASSERT_EQ(ip.GetUnicastIpAddressTable(kUnspec, all), status::kSuccess);
    ASSERT_FALSE(all.empty());  // the loopback addresses at least

    bool loopback = false;
    for (const platform::UnicastRow& row : all) {
        SCOPED_TRACE(row.ifIndex);
        ASSERT_TRUE(row.address.family == kInet || row.address.family == kInet6);
        EXPECT_LE(row.onLinkPrefixLength, row.address.family == kInet ? 32 : 128);
        platform::MibIfRow entry;
        entry.index = row.ifIndex;
        EXPECT_EQ(ip.GetIfEntry(entry), status::kSuccess);
        uint64_t luid = 0;
        ASSERT_EQ(ip.ConvertInterfaceIndexToLuid(row.ifIndex, luid), status::kSuccess);
        EXPECT_EQ(luid, row.luid);
        loopback = loopback || (row.address.family == kInet && row.address.ipv4 == 0x0100007F);
    }
    EXPECT_TRUE(loopback) << "127.0.0.1 is missing";

    // One family asked alone gives the rows of that family, in the same order.
    for (const uint16_t family : {kInet, kInet6}) {
        std::vector<platform::UnicastRow> some;
        ASSERT_EQ(ip.GetUnicastIpAddressTable(family, some), status::kSuccess);
        std::vector<std::pair<uint32_t, platform::SockAddrInet>> expected, got;
        for (const auto& row : all) {
            if (row.address.family == family) {
                expected.emplace_back(row.ifIndex, row.address);
            }
        }
        for (const auto& row : some) {
            got.emplace_back(row.ifIndex, row.address);
        }
        EXPECT_EQ(got, expected) << "family " << family;
    }
}

TEST_P(IpHelperContractTest, RoutesNameInterfacesThatExist) {
    std::vector<platform::MibIpForwardRow> routes;
    ASSERT_EQ(ip.GetIpForwardTable(routes), status::kSuccess);
    ASSERT_FALSE(routes.empty());
    for (const auto& route : routes) {
        platform::MibIfRow entry;
        entry.index = route.ifIndex;
        EXPECT_EQ(ip.GetIfEntry(entry), status::kSuccess) << route.ifIndex;
        // A route's destination lies inside its own mask.
        EXPECT_EQ(route.dest & ~route.mask, 0u);
    }

    std::vector<platform::ForwardRow2> rows;
    ASSERT_EQ(ip.GetIpForwardTable2(kUnspec, rows), status::kSuccess);
    for (const auto& row : rows) {
        uint64_t luid = 0;
        ASSERT_EQ(ip.ConvertInterfaceIndexToLuid(row.ifIndex, luid), status::kSuccess);
        EXPECT_EQ(luid, row.luid);
        EXPECT_EQ(row.nextHop.family, row.destinationPrefix.prefix.family);
    }
    std::vector<platform::ForwardRow2> v6;
    ASSERT_EQ(ip.GetIpForwardTable2(kInet6, v6), status::kSuccess);
    EXPECT_EQ(v6.size(), static_cast<size_t>(std::count_if(rows.begin(), rows.end(), [](auto& r) {
                  return r.destinationPrefix.prefix.family == kInet6;
              })));
    for (const auto& row : v6) {
        EXPECT_EQ(row.destinationPrefix.prefix.family, kInet6);
    }
}

TEST_P(IpHelperContractTest, AdapterAddressesAgreeWithTheUnicastTable) {
    constexpr uint32_t kSkipAllButUnicastAndPrefixes = 62;
    std::vector<platform::AdapterAddresses> adapters;
    ASSERT_EQ(ip.GetAdaptersAddresses(kInet6, kSkipAllButUnicastAndPrefixes, adapters),
              status::kSuccess);
    ASSERT_FALSE(adapters.empty());
    std::vector<platform::UnicastRow> rows;
    ASSERT_EQ(ip.GetUnicastIpAddressTable(kInet6, rows), status::kSuccess);

    using Address = std::pair<std::array<uint8_t, 16>, uint8_t>;  // bytes, on-link prefix length
    std::map<uint32_t, std::set<Address>> fromTable;
    for (const auto& row : rows) {
        fromTable[row.ifIndex].insert({row.address.ipv6, row.onLinkPrefixLength});
    }
    for (const platform::AdapterAddresses& adapter : adapters) {
        SCOPED_TRACE(adapter.adapterName);
        ASSERT_TRUE(adapter.hasLuid);  // the records of this system are of the full length
        uint64_t luid = 0;
        ASSERT_EQ(ip.ConvertInterfaceIndexToLuid(adapter.ifIndex, luid), status::kSuccess);
        EXPECT_EQ(adapter.luid, luid);
        EXPECT_EQ(adapter.ifType, adapter.luid >> kIfTypeShift);
        std::set<Address> listed;
        for (const auto& unicast : adapter.unicastAddresses) {
            EXPECT_EQ(unicast.address.family, kInet6);
            EXPECT_TRUE(unicast.hasOnLinkPrefixLength);
            listed.insert({unicast.address.ipv6, unicast.onLinkPrefixLength});
        }
        EXPECT_EQ(listed, fromTable[adapter.ifIndex]);
    }
}

void ExpectDefaultRows(platform::IpHelperApi& ip) {
    // A row used before: Initialize must leave nothing of it.
    platform::UnicastRow address;
    address.address.family = kInet6;
    address.address.ipv6.fill(0xAB);
    address.luid = 99;
    address.ifIndex = 4;
    address.dadState = 3;
    address.skipAsSource = true;
    address.creationTimeStamp = 5;
    ip.InitializeUnicastIpAddressEntry(address);
    platform::UnicastRow expectedAddress;
    expectedAddress.prefixOrigin = 16;  // IpPrefixOriginUnchanged
    expectedAddress.suffixOrigin = 16;  // IpSuffixOriginUnchanged
    expectedAddress.validLifetime = 0xFFFFFFFF;
    expectedAddress.preferredLifetime = 0xFFFFFFFF;
    expectedAddress.onLinkPrefixLength = 0xFF;
    EXPECT_EQ(address, expectedAddress);

    platform::ForwardRow2 route;
    route.luid = 99;
    route.nextHop.family = kInet6;
    route.nextHop.ipv6.fill(0xCD);
    route.destinationPrefix.prefixLength = 64;
    route.age = 12;
    route.origin = 1;
    ip.InitializeIpForwardEntry(route);
    EXPECT_EQ(route.luid, 0u);
    EXPECT_EQ(route.nextHop, platform::SockAddrInet{});
    EXPECT_EQ(route.destinationPrefix, platform::IpAddressPrefix{});
    EXPECT_EQ(route.age, 0u);
    EXPECT_EQ(route.origin, 0u);
    EXPECT_EQ(route.validLifetime, 0xFFFFFFFFu);
    EXPECT_EQ(route.preferredLifetime, 0xFFFFFFFFu);
    EXPECT_TRUE(route.loopback && route.autoconfigureAddress && route.publish && route.immortal);
    EXPECT_EQ(route.metric, 0xFFFFFFFFu);  // "illegal": no metric of its own
    EXPECT_GT(route.sitePrefixLength, 128);
}

TEST_P(IpHelperContractTest, InitializedRowsAreTheDocumentedDefaults) {
    ExpectDefaultRows(ip);
}

// As on Windows 2000: the IP Helper without any call of XP or Vista. A call the system lacks
// answers what looking it up answers on Windows and Wine, ERROR_PROC_NOT_FOUND.
TEST_P(IpHelperContractTest, WithoutTheLaterCallsTheyAnswerProcedureNotFound) {
    IpHelperUnderTest old(GetParam(), false);
    platform::IpHelperApi& ip2000 = old.Api();
    uint64_t luid = 5;
    EXPECT_EQ(ip2000.ConvertInterfaceIndexToLuid(1, luid), status::kProcNotFound);
    EXPECT_EQ(luid, 5u);
    std::vector<platform::UnicastRow> unicast(1);
    EXPECT_EQ(ip2000.GetUnicastIpAddressTable(kUnspec, unicast), status::kProcNotFound);
    EXPECT_EQ(unicast.size(), 1u);
    std::vector<platform::ForwardRow2> routes;
    EXPECT_EQ(ip2000.GetIpForwardTable2(kUnspec, routes), status::kProcNotFound);
    std::vector<platform::AdapterAddresses> addresses;
    EXPECT_EQ(ip2000.GetAdaptersAddresses(kInet6, 62, addresses), status::kProcNotFound);
    EXPECT_EQ(ip2000.CreateUnicastIpAddressEntry(platform::UnicastRow{}), status::kProcNotFound);
    EXPECT_EQ(ip2000.DeleteUnicastIpAddressEntry(platform::UnicastRow{}), status::kProcNotFound);
    EXPECT_EQ(ip2000.CreateIpForwardEntry2(platform::ForwardRow2{}), status::kProcNotFound);
    EXPECT_EQ(ip2000.DeleteIpForwardEntry2(platform::ForwardRow2{}), status::kProcNotFound);
    ExpectDefaultRows(ip2000);

    // The calls every system has still work.
    std::vector<platform::IpAdapterInfo> adapters;
    EXPECT_EQ(ip2000.GetAdaptersInfo(adapters), status::kSuccess);
    EXPECT_FALSE(adapters.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, IpHelperContractTest,
                         ::testing::ValuesIn(vexav6::testing::RegistryBackendsToTest()),
                         [](const auto& backend) {
                             return vexav6::testing::RegistryBackendName(backend.param);
                         });

}  // namespace
}  // namespace vexav6
