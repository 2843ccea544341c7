#ifdef _WIN32

#include "platform/win32/ip_helper_records.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "platform/win32/sized_buffer.h"

namespace vexav6::win32 {
namespace {

using platform::SockAddrInet;

SockAddrInet Ipv6Address(uint8_t first, uint8_t last, uint32_t scopeId) {
    SockAddrInet address;
    address.family = platform::af::kInet6;
    address.port = 0x3412;
    address.flowInfo = 0x00ABCDEF;
    for (size_t i = 0; i < address.ipv6.size(); ++i) {
        address.ipv6[i] = static_cast<uint8_t>(i * 17);
    }
    address.ipv6[0] = first;
    address.ipv6[15] = last;
    address.scopeId = scopeId;
    return address;
}

SockAddrInet Ipv4Address(uint32_t networkOrder) {
    SockAddrInet address;
    address.family = platform::af::kInet;
    address.port = 0x5000;
    address.ipv4 = networkOrder;
    return address;
}

TEST(Win32IpHelperRecords, SocketAddressesKeepTheirFamilyLayout) {
    // 192.168.1.20 in network byte order: first octet lowest.
    const SockAddrInet v4 = Ipv4Address(0x1401A8C0);
    const SOCKADDR_INET system4 = ToSystem(v4);
    EXPECT_EQ(system4.si_family, AF_INET);
    EXPECT_EQ(system4.Ipv4.sin_addr.S_un.S_un_b.s_b1, 192);
    EXPECT_EQ(system4.Ipv4.sin_addr.S_un.S_un_b.s_b4, 20);
    EXPECT_EQ(ToRecord(system4), v4);

    const SockAddrInet v6 = Ipv6Address(0xFE, 0x01, 12);
    const SOCKADDR_INET system6 = ToSystem(v6);
    EXPECT_EQ(system6.si_family, AF_INET6);
    EXPECT_EQ(std::memcmp(system6.Ipv6.sin6_addr.s6_addr, v6.ipv6.data(), 16), 0);
    EXPECT_EQ(system6.Ipv6.sin6_scope_id, 12u);
    EXPECT_EQ(ToRecord(system6), v6);

    // An unspecified address keeps what it carries (a route's "any" next hop, a fresh row).
    SockAddrInet unspecified = Ipv6Address(1, 2, 3);
    unspecified.family = platform::af::kUnspec;
    EXPECT_EQ(ToRecord(ToSystem(unspecified)), unspecified);

    // The socket addresses of adapter address lists, read at the length they give.
    const SOCKADDR_IN6 in6 = system6.Ipv6;
    EXPECT_EQ(ToRecord(reinterpret_cast<const SOCKADDR*>(&in6), sizeof in6), v6);
    const SockAddrInet cut =
        ToRecord(reinterpret_cast<const SOCKADDR*>(&in6), sizeof(SOCKADDR_IN6) - 4);
    EXPECT_EQ(cut.family, platform::af::kInet6);
    EXPECT_EQ(cut.ipv6, SockAddrInet{}.ipv6);
    EXPECT_EQ(ToRecord(nullptr, 0), SockAddrInet{});
}

TEST(Win32IpHelperRecords, UnicastRowsKeepEveryField) {
    platform::UnicastRow row;
    row.address = Ipv6Address(0x20, 0x01, 0);
    row.luid = (uint64_t{6} << 48) | (uint64_t{4} << 24);
    row.ifIndex = 4;
    row.prefixOrigin = 1;
    row.suffixOrigin = 4;
    row.validLifetime = 3600;
    row.preferredLifetime = 1800;
    row.onLinkPrefixLength = 64;
    row.skipAsSource = true;
    row.dadState = 0x7FFF0004;  // outside the enumeration: still carried unchanged
    row.scopeId = 0x2000000C;
    row.creationTimeStamp = 0x01D9F00DDEADBEEF;

    const MIB_UNICASTIPADDRESS_ROW system = ToSystem(row);
    // The interface type is the top 16 bits of the LUID, as the readers of the rows take it.
    EXPECT_EQ(system.InterfaceLuid.Info.IfType, 6u);
    EXPECT_EQ(system.InterfaceLuid.Info.NetLuidIndex, 4u);
    EXPECT_EQ(system.PrefixOrigin, IpPrefixOriginManual);
    EXPECT_EQ(system.SuffixOrigin, IpSuffixOriginLinkLayerAddress);
    EXPECT_EQ(system.SkipAsSource, TRUE);
    EXPECT_EQ(ToRecord(system), row);

    row.address = Ipv4Address(0x0100000A);
    row.skipAsSource = false;
    EXPECT_EQ(ToRecord(ToSystem(row)), row);
}

TEST(Win32IpHelperRecords, RouteRowsKeepEveryField) {
    platform::ForwardRow2 row;
    row.luid = 0x0006000003000000;
    row.ifIndex = 3;
    row.destinationPrefix.prefix = Ipv6Address(0x20, 0x00, 0);
    row.destinationPrefix.prefixLength = 48;
    row.nextHop = Ipv6Address(0xFE, 0x99, 3);
    row.sitePrefixLength = 40;
    row.validLifetime = 100;
    row.preferredLifetime = 50;
    row.metric = 256;
    row.protocol = 3;
    row.age = 77;
    row.origin = 2;
    // The four flags one by one, so that two of them crossed over would show.
    for (int flag = 0; flag < 4; ++flag) {
        row.loopback = flag == 0;
        row.autoconfigureAddress = flag == 1;
        row.publish = flag == 2;
        row.immortal = flag == 3;
        const MIB_IPFORWARD_ROW2 system = ToSystem(row);
        EXPECT_EQ(system.Loopback != FALSE, row.loopback);
        EXPECT_EQ(system.AutoconfigureAddress != FALSE, row.autoconfigureAddress);
        EXPECT_EQ(system.Publish != FALSE, row.publish);
        EXPECT_EQ(system.Immortal != FALSE, row.immortal);
        EXPECT_EQ(ToRecord(system), row);
    }
    EXPECT_EQ(ToSystem(row).Protocol, MIB_IPPROTO_NETMGMT);
}

TEST(Win32IpHelperRecords, Ipv4RoutesKeepEveryFieldInPlace) {
    platform::MibIpForwardRow row{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    const MIB_IPFORWARDROW system = ToSystem(row);
    const DWORD fields[] = {system.dwForwardDest,
                            system.dwForwardMask,
                            system.dwForwardPolicy,
                            system.dwForwardNextHop,
                            system.dwForwardIfIndex,
                            static_cast<DWORD>(system.dwForwardType),
                            static_cast<DWORD>(system.dwForwardProto),
                            system.dwForwardAge,
                            system.dwForwardNextHopAS,
                            system.dwForwardMetric1,
                            system.dwForwardMetric2,
                            system.dwForwardMetric3,
                            system.dwForwardMetric4,
                            system.dwForwardMetric5};
    for (DWORD i = 0; i < 14; ++i) {
        EXPECT_EQ(fields[i], i + 1) << "field " << i;
    }
    const platform::MibIpForwardRow back = ToRecord(system);
    EXPECT_EQ(std::memcmp(&back, &row, sizeof row), 0);
}

TEST(Win32IpHelperRecords, InterfaceRowsCutTheDescriptionAtItsText) {
    MIB_IFROW system;
    std::memset(&system, 0, sizeof system);
    const wchar_t name[] = L"\\DEVICE\\TCPIP_{0A1B2C3D-0000-0000-0000-000000000001}";
    std::memcpy(system.wszName, name, sizeof name);
    system.dwIndex = 7;
    system.dwType = IF_TYPE_IEEE80211;
    system.dwSpeed = 54000000;
    system.dwPhysAddrLen = 6;
    const BYTE mac[8] = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F, 0xAA, 0xBB};
    std::memcpy(system.bPhysAddr, mac, sizeof mac);
    system.dwAdminStatus = 1;
    system.dwOperStatus = IF_OPER_STATUS_OPERATIONAL;
    system.dwInOctets = 0xFFFFFFF0;
    system.dwOutOctets = 0x80000001;
    std::memcpy(system.bDescr, "Wireless\xE9", 10);  // ANSI bytes, kept as they are
    system.dwDescrLen = 10;

    const platform::MibIfRow row = ToRecord(system);
    EXPECT_EQ(row.name, std::u16string(u"\\DEVICE\\TCPIP_{0A1B2C3D-0000-0000-0000-000000000001}"));
    EXPECT_EQ(row.type, platform::iftype::kIeee80211);
    EXPECT_EQ(row.physAddr[7], 0xBB);
    EXPECT_EQ(row.operStatus, 5u);
    EXPECT_EQ(row.outOctets, 0x80000001u);
    EXPECT_EQ(row.description, "Wireless\xE9");
    EXPECT_EQ(row.descriptionLength, 10u);

    // Back to the system: the row asks GetIfEntry for the same interface, with the same contents.
    const MIB_IFROW again = ToSystem(row);
    EXPECT_EQ(std::memcmp(&again, &system, sizeof system), 0);

    // A length that reaches past the array keeps to the text; a shorter one cuts it.
    system.dwDescrLen = 100000;
    EXPECT_EQ(ToRecord(system).description, "Wireless\xE9");
    system.dwDescrLen = 4;
    EXPECT_EQ(ToRecord(system).description, "Wire");
    EXPECT_EQ(ToRecord(system).descriptionLength, 4u);
    // The whole text counted without its zero (so Wine gives it): the length counts the zero, as
    // the readers of the row expect.
    system.dwDescrLen = 9;
    EXPECT_EQ(ToRecord(system).description, "Wireless\xE9");
    EXPECT_EQ(ToRecord(system).descriptionLength, 10u);
}

TEST(Win32IpHelperRecords, AdapterInfoListKeepsTheOrderOfAdaptersAndAddresses) {
    IP_ADAPTER_INFO adapters[2];
    std::memset(adapters, 0, sizeof adapters);
    IP_ADDR_STRING secondAddress;
    std::memset(&secondAddress, 0, sizeof secondAddress);

    IP_ADAPTER_INFO& first = adapters[0];
    first.Next = &adapters[1];
    std::strcpy(first.AdapterName, "{11111111-2222-3333-4444-555555555555}");
    std::strcpy(first.Description, "First adapter");
    first.Address[0] = 0x02;
    first.Index = 11;
    first.Type = MIB_IF_TYPE_ETHERNET;
    first.DhcpEnabled = 1;
    std::strcpy(first.IpAddressList.IpAddress.String, "10.0.0.5");
    std::strcpy(first.IpAddressList.IpMask.String, "255.0.0.0");
    first.IpAddressList.Context = 100;
    first.IpAddressList.Next = &secondAddress;
    std::strcpy(secondAddress.IpAddress.String, "192.168.7.1");
    std::strcpy(secondAddress.IpMask.String, "255.255.255.0");
    secondAddress.Context = 101;
    std::strcpy(first.GatewayList.IpAddress.String, "10.0.0.1");
    std::strcpy(first.DhcpServer.IpAddress.String, "10.0.0.2");
    std::strcpy(first.DhcpServer.IpMask.String, "255.255.255.255");
    first.LeaseExpires = 1700086400;

    IP_ADAPTER_INFO& second = adapters[1];
    std::strcpy(second.AdapterName, "{99999999-8888-7777-6666-555555555555}");
    second.Index = 12;
    std::strcpy(second.IpAddressList.IpAddress.String, "0.0.0.0");

    const std::vector<platform::IpAdapterInfo> list = ToRecords(&adapters[0]);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].adapterName, "{11111111-2222-3333-4444-555555555555}");
    EXPECT_EQ(list[0].description, "First adapter");
    EXPECT_EQ(list[0].address[0], 0x02);
    EXPECT_TRUE(list[0].dhcpEnabled);
    ASSERT_EQ(list[0].ipAddressList.size(), 2u);
    EXPECT_EQ(list[0].ipAddressList[0].ipMask, "255.0.0.0");
    EXPECT_EQ(list[0].ipAddressList[0].context, 100u);
    EXPECT_EQ(list[0].ipAddressList[1].ipAddress, "192.168.7.1");
    ASSERT_EQ(list[0].gatewayList.size(), 1u);
    EXPECT_EQ(list[0].gatewayList[0].ipAddress, "10.0.0.1");
    EXPECT_EQ(list[0].dhcpServer.ipAddress, "10.0.0.2");
    EXPECT_EQ(list[0].leaseExpires, 1700086400);

    EXPECT_EQ(list[1].index, 12u);
    // The entry the system writes for an adapter without address stays in the list.
    ASSERT_EQ(list[1].ipAddressList.size(), 1u);
    EXPECT_EQ(list[1].ipAddressList[0].ipAddress, "0.0.0.0");
    EXPECT_TRUE(ToRecords(static_cast<const IP_ADAPTER_INFO*>(nullptr)).empty());
}

TEST(Win32IpHelperRecords, AdapterAddressRecordsAreReadOnlyAsFarAsTheirLength) {
    using Record = IP_ADAPTER_ADDRESSES;
    using Unicast = IP_ADAPTER_UNICAST_ADDRESS;
    Record records[3];
    Unicast entries[3];
    std::memset(records, 0, sizeof records);
    std::memset(entries, 0, sizeof entries);
    SOCKADDR_IN6 v6 = ToSystem(Ipv6Address(0xFE, 0x80, 5)).Ipv6;
    SOCKADDR_IN v4 = ToSystem(Ipv4Address(0x0102A8C0)).Ipv4;
    char names[3][40] = {"{A}", "{B}", "{C}"};

    // Every record holds all fields in memory; the lengths say how much of each the system wrote.
    for (int i = 0; i < 3; ++i) {
        records[i].IfIndex = 5 + i;
        records[i].AdapterName = names[i];
        records[i].IfType = IF_TYPE_ETHERNET_CSMACD;
        records[i].Ipv6IfIndex = 50 + i;
        records[i].Luid.Value = 0x0006000000000000 | i;
        records[i].Next = i < 2 ? &records[i + 1] : nullptr;
    }
    records[0].Length = sizeof(Record);                 // the full record of Vista and later
    records[1].Length = offsetof(Record, Luid);         // XP SP1: no LUID
    records[2].Length = offsetof(Record, Ipv6IfIndex);  // XP: no IPv6 interface index either

    records[0].FirstUnicastAddress = &entries[0];
    entries[0].Length = sizeof(Unicast);
    entries[0].Address.lpSockaddr = reinterpret_cast<SOCKADDR*>(&v6);
    entries[0].Address.iSockaddrLength = sizeof v6;
    entries[0].OnLinkPrefixLength = 64;
    entries[0].Next = &entries[1];
    entries[1].Length = sizeof(Unicast);
    entries[1].Address.lpSockaddr = reinterpret_cast<SOCKADDR*>(&v4);
    entries[1].Address.iSockaddrLength = sizeof v4;
    entries[1].OnLinkPrefixLength = 24;
    records[1].FirstUnicastAddress = &entries[2];
    entries[2].Length = offsetof(Unicast, OnLinkPrefixLength);  // the entry of XP
    entries[2].Address.lpSockaddr = reinterpret_cast<SOCKADDR*>(&v6);
    entries[2].Address.iSockaddrLength = sizeof v6;
    entries[2].OnLinkPrefixLength = 99;

    const std::vector<platform::AdapterAddresses> list = ToRecords(&records[0]);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].adapterName, "{A}");
    EXPECT_EQ(list[0].ipv6IfIndex, 50u);
    EXPECT_TRUE(list[0].hasLuid);
    EXPECT_EQ(list[0].luid, 0x0006000000000000u);
    ASSERT_EQ(list[0].unicastAddresses.size(), 2u);
    EXPECT_EQ(list[0].unicastAddresses[0].address, Ipv6Address(0xFE, 0x80, 5));
    EXPECT_TRUE(list[0].unicastAddresses[0].hasOnLinkPrefixLength);
    EXPECT_EQ(list[0].unicastAddresses[0].onLinkPrefixLength, 64);
    EXPECT_EQ(list[0].unicastAddresses[1].address, Ipv4Address(0x0102A8C0));
    EXPECT_EQ(list[0].unicastAddresses[1].onLinkPrefixLength, 24);

    EXPECT_EQ(list[1].ipv6IfIndex, 51u);
    EXPECT_FALSE(list[1].hasLuid);
    ASSERT_EQ(list[1].unicastAddresses.size(), 1u);
    EXPECT_FALSE(list[1].unicastAddresses[0].hasOnLinkPrefixLength);
    EXPECT_EQ(list[1].unicastAddresses[0].onLinkPrefixLength, 0);

    EXPECT_EQ(list[2].ifIndex, 7u);
    EXPECT_EQ(list[2].ifType, platform::iftype::kEthernet);
    EXPECT_EQ(list[2].ipv6IfIndex, 0u);
    EXPECT_FALSE(list[2].hasLuid);
    EXPECT_TRUE(list[2].unicastAddresses.empty());
}

TEST(Win32IpHelperRecords, AdapterNamesMustFitTheIndexMap) {
    platform::IpAdapterIndexMap entry;
    entry.index = 9;
    entry.name = u"\\DEVICE\\TCPIP_{" + std::u16string(127 - 16, u'A') + u"}";
    ASSERT_EQ(entry.name.size(), 127u);
    IP_ADAPTER_INDEX_MAP system;
    ASSERT_TRUE(ToSystem(entry, system));
    EXPECT_EQ(system.Index, 9u);
    EXPECT_EQ(system.Name[127], L'\0');
    const platform::IpAdapterIndexMap back = ToRecord(system);
    EXPECT_EQ(back.index, 9u);
    EXPECT_EQ(back.name, entry.name);

    // One more character and the name would be cut to another adapter's name, or to none.
    entry.name += u"B";
    EXPECT_FALSE(ToSystem(entry, system));
}

// The size-query round of the table calls, with a table that grows between two calls.
TEST(Win32SizedBuffer, AsksAgainUntilTheSizeIsStable) {
    SizedBuffer buffer;
    std::vector<std::pair<bool, uint32_t>> calls;  // (had a buffer, size offered)
    const uint32_t wanted[] = {100, 180, 180};
    const platform::Status result = CallWithSizedBuffer(buffer, 0, [&](void* data, uint32_t* size) {
        calls.emplace_back(data != nullptr, *size);
        const uint32_t need = wanted[calls.size() - 1];
        if (*size < need) {
            *size = need;
            return platform::status::kBufferOverflow;
        }
        std::memset(data, 0x5A, need);
        return platform::status::kSuccess;
    });
    EXPECT_EQ(result, platform::status::kSuccess);
    const std::vector<std::pair<bool, uint32_t>> expected = {{false, 0}, {true, 100}, {true, 180}};
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(buffer.Size(), 180u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.As<char>()) % 8, 0u);
    EXPECT_EQ(buffer.As<unsigned char>()[179], 0x5A);
}

TEST(Win32SizedBuffer, GivesUpOnATableThatNeverFitsAndPassesOtherAnswersOn) {
    SizedBuffer buffer;
    int count = 0;
    // Always one byte more than offered: the last "too small" is the answer after the last round.
    EXPECT_EQ(CallWithSizedBuffer(buffer, 0,
                                  [&](void*, uint32_t* size) {
                                      ++count;
                                      *size += 1;
                                      return platform::status::kInsufficientBuffer;
                                  }),
              platform::status::kInsufficientBuffer);
    EXPECT_EQ(count, kMaxSizingRounds);

    // "Too small" without a bigger size: offered more than before, not the same again.
    std::vector<uint32_t> offered;
    EXPECT_EQ(CallWithSizedBuffer(buffer, 64,
                                  [&](void*, uint32_t* size) {
                                      offered.push_back(*size);
                                      return offered.size() == 1
                                                 ? platform::status::kInsufficientBuffer
                                                 : platform::status::kSuccess;
                                  }),
              platform::status::kSuccess);
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_GT(offered[1], offered[0]);

    count = 0;
    EXPECT_EQ(CallWithSizedBuffer(buffer, 0,
                                  [&](void*, uint32_t*) {
                                      ++count;
                                      return platform::status::kNoData;
                                  }),
              platform::status::kNoData);
    EXPECT_EQ(count, 1);

    EXPECT_EQ(CallWithSizedBuffer(buffer, 0,
                                  [](void*, uint32_t* size) {
                                      *size = 0xFFFFFFF0;
                                      return platform::status::kBufferOverflow;
                                  }),
              platform::status::kNotEnoughMemory);
}

}  // namespace
}  // namespace vexav6::win32

#endif  // _WIN32
