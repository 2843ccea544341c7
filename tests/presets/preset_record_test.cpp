#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/error.h"
#include "ipconfig/ipv6_support.h"
#include "presets/byte_builder.h"
#include "presets/preset.h"

namespace vexav6 {
namespace {

using testing::ByteBuilder;
using Bytes = std::vector<uint8_t>;

std::array<uint8_t, 16> V6(const char* text) {
    return IPv6Support::IPv6TextToBytes(IPv6Support::ExpandIPv6Text(text));
}

Bytes Written(const Preset& preset) {
    MemoryStream stream;
    stream.Init(16);
    preset.WriteTo(stream);
    return stream.ToArray();
}

Preset ReadBack(const Bytes& bytes) {
    MemoryStream stream;
    stream.InitBuffer(bytes);
    Preset preset;
    preset.ReadFrom(stream);
    EXPECT_EQ(stream.Position(), stream.Length()) << "the record was not read to its end";
    return preset;
}

// A preset that uses every field, and its record built by hand from the format's table.
Preset FullPreset() {
    Preset p;
    p.SetPresetName("Office");
    p.SetMACAddress(macaction::kCustom);
    p.SetCustomMACAddress("02:11:22:33:44:55");
    p.SetIPv4Selected(true);
    IPv4AddressList addresses;
    PresetLists::AddIPv4Address(addresses, "192.168.1.10", "255.255.255.0");
    PresetLists::AddIPv4Address(addresses, "10.0.0.2", "255.0.0.0");
    p.SetIPv4Addresses(std::move(addresses));
    IPv4GatewayList gateways;
    PresetLists::AddIPv4Gateway(gateways, "192.168.1.1", 25);
    p.SetIPv4Gateways(std::move(gateways));
    NameServerList servers;
    PresetLists::AddNameServer(servers, "1.1.1.1");
    PresetLists::AddNameServer(servers, "8.8.8.8");
    p.SetIPv4NameServers(std::move(servers));
    p.SetIPv6Selected(true);
    p.SetIPv6DHCPEnabled(true);
    IPv6AddressList v6Addresses;
    PresetLists::AddIPv6Address(v6Addresses, V6("2001:db8::10"), 64);
    p.SetIPv6Addresses(std::move(v6Addresses));
    IPv6GatewayList v6Gateways;
    PresetLists::AddIPv6Gateway(v6Gateways, V6("fe80::1"), 10);
    PresetLists::AddIPv6Gateway(v6Gateways, V6("2001:db8::fe"), 300);
    p.SetIPv6Gateways(std::move(v6Gateways));
    p.SetIPv6NameServers(NameServerList{});
    p.SetIEProxySelected(true);
    p.SetIEProxyEnabled(true);
    p.SetIEProxyServer("proxy.lan");
    p.SetIEProxyPort(8080);
    return p;
}

Bytes FullRecord() {
    ByteBuilder b;
    b.Byte(1).String("Office").Byte(3).String("02-11-22-33-44-55");
    b.Byte(1).Byte(0);
    b.Int(2).String("192.168.1.10").String("255.255.255.0").String("10.0.0.2").String("255.0.0.0");
    b.Int(1).String("192.168.1.1").Long(25);
    b.Int(2).String("1.1.1.1").String("8.8.8.8");
    b.Byte(1).Byte(1);
    b.Int(1).Raw(V6("2001:db8::10")).Long(64);
    b.Int(2).Raw(V6("fe80::1")).Long(10).Raw(V6("2001:db8::fe")).Long(300);
    b.Int(0);
    b.Byte(1).Byte(1).String("proxy.lan").Long(8080);
    return b.Get();
}

TEST(PresetRecord, WritesEveryFieldInTheRecordLayout) {
    EXPECT_EQ(Written(FullPreset()), FullRecord());
}

TEST(PresetRecord, ReadsEveryFieldOfAHandBuiltRecord) {
    const Preset p = ReadBack(FullRecord());
    EXPECT_EQ(p.PresetName(), "Office");
    EXPECT_EQ(p.MACAddress(), macaction::kCustom);
    EXPECT_EQ(p.CustomMACAddress(), "02-11-22-33-44-55");
    EXPECT_TRUE(p.IPv4Selected());
    EXPECT_FALSE(p.IPv4DHCPEnabled());

    ASSERT_TRUE(p.IPv4Addresses());
    ASSERT_EQ(p.IPv4Addresses()->Count(), 2);
    EXPECT_EQ(p.IPv4Addresses()->Item(1)->IPAddress(), "192.168.1.10");
    EXPECT_EQ(p.IPv4Addresses()->Item(1)->SubnetMask(), "255.255.255.0");
    EXPECT_EQ(p.IPv4Addresses()->Item("10.0.0.2")->SubnetMask(), "255.0.0.0");
    ASSERT_TRUE(p.IPv4Gateways());
    EXPECT_EQ(p.IPv4Gateways()->Item("192.168.1.1")->Metric(), 25);
    ASSERT_TRUE(p.IPv4NameServers());
    EXPECT_EQ(p.IPv4NameServers()->Key(1), "1.1.1.1");
    EXPECT_EQ(p.IPv4NameServers()->Item(2), "8.8.8.8");

    EXPECT_TRUE(p.IPv6Selected());
    EXPECT_TRUE(p.IPv6DHCPEnabled());
    ASSERT_TRUE(p.IPv6Addresses());
    ASSERT_EQ(p.IPv6Addresses()->Count(), 1);
    EXPECT_EQ(p.IPv6Addresses()->Item(1)->IPAddressBytes(), V6("2001:db8::10"));
    EXPECT_EQ(p.IPv6Addresses()->Item(1)->OnLinkPrefixLength(), 64);
    // Entries are keyed by the text their objects report.
    EXPECT_TRUE(p.IPv6Addresses()->Contains(p.IPv6Addresses()->Item(1)->IPAddress()));
    ASSERT_TRUE(p.IPv6Gateways());
    ASSERT_EQ(p.IPv6Gateways()->Count(), 2);
    EXPECT_EQ(p.IPv6Gateways()->Item(1)->NextHopBytes(), V6("fe80::1"));
    EXPECT_EQ(p.IPv6Gateways()->Item(1)->Metric(), 10);
    EXPECT_EQ(p.IPv6Gateways()->Item(2)->Metric(), 300);
    EXPECT_TRUE(p.IPv6Gateways()->Contains("2001:DB8::FE"));
    ASSERT_TRUE(p.IPv6NameServers());
    EXPECT_TRUE(p.IPv6NameServers()->Empty());

    EXPECT_TRUE(p.IEProxySelected());
    EXPECT_TRUE(p.IEProxyEnabled());
    EXPECT_EQ(p.IEProxyServer(), "proxy.lan");
    EXPECT_EQ(p.IEProxyPort(), 8080);

    // And it writes back to the same bytes.
    EXPECT_EQ(Written(p), FullRecord());
}

TEST(PresetRecord, AbsentAndEmptyListsStayApart) {
    // A new preset: every list absent (six counts of -1), every value zero or empty.
    ByteBuilder absent;
    absent.Byte(1).String("").Byte(0).String("").Byte(0).Byte(0);
    absent.Int(-1).Int(-1).Int(-1).Byte(0).Byte(0).Int(-1).Int(-1).Int(-1);
    absent.Byte(0).Byte(0).String("").Long(0);
    const Preset fresh;
    EXPECT_EQ(Written(fresh), absent.Get());
    const Preset readAbsent = ReadBack(absent.Get());
    EXPECT_FALSE(readAbsent.IPv4Addresses() || readAbsent.IPv4Gateways() ||
                 readAbsent.IPv4NameServers() || readAbsent.IPv6Addresses() ||
                 readAbsent.IPv6Gateways() || readAbsent.IPv6NameServers());
    EXPECT_EQ(readAbsent.MACAddress(), 0);
    EXPECT_FALSE(readAbsent.IPv4Selected() || readAbsent.IPv6Selected() ||
                 readAbsent.IEProxySelected() || readAbsent.IEProxyEnabled());

    Preset empty;
    empty.SetIPv4Addresses(IPv4AddressList{});
    empty.SetIPv4Gateways(IPv4GatewayList{});
    empty.SetIPv4NameServers(NameServerList{});
    empty.SetIPv6Addresses(IPv6AddressList{});
    empty.SetIPv6Gateways(IPv6GatewayList{});
    empty.SetIPv6NameServers(NameServerList{});
    ByteBuilder zero;
    zero.Byte(1).String("").Byte(0).String("").Byte(0).Byte(0);
    zero.Int(0).Int(0).Int(0).Byte(0).Byte(0).Int(0).Int(0).Int(0);
    zero.Byte(0).Byte(0).String("").Long(0);
    EXPECT_EQ(Written(empty), zero.Get());
    const Preset readEmpty = ReadBack(zero.Get());
    ASSERT_TRUE(readEmpty.IPv4Addresses() && readEmpty.IPv4Gateways() &&
                readEmpty.IPv4NameServers() && readEmpty.IPv6Addresses() &&
                readEmpty.IPv6Gateways() && readEmpty.IPv6NameServers());
    EXPECT_EQ(readEmpty.IPv4Addresses()->Count() + readEmpty.IPv4Gateways()->Count() +
                  readEmpty.IPv4NameServers()->Count() + readEmpty.IPv6Addresses()->Count() +
                  readEmpty.IPv6Gateways()->Count() + readEmpty.IPv6NameServers()->Count(),
              0);
}

TEST(PresetRecord, CustomMACAddressTakesSeventeenCharactersOrNothing) {
    Preset p;
    p.SetCustomMACAddress("0a:1b:2c:3d:4e:5f");
    EXPECT_EQ(p.CustomMACAddress(), "0a-1b-2c-3d-4e-5f");
    // The characters are not checked here, only the length.
    p.SetCustomMACAddress("zz:zz-zz:zz-zz:zz");
    EXPECT_EQ(p.CustomMACAddress(), "zz-zz-zz-zz-zz-zz");
    p.SetCustomMACAddress("");
    EXPECT_EQ(p.CustomMACAddress(), "");

    p.SetCustomMACAddress("02-00-00-00-00-01");
    for (const char* bad : {"0A1B2C3D4E5F", "0A-1B-2C-3D-4E-5F0", "0A-1B-2C-3D-4E-5"}) {
        try {
            p.SetCustomMACAddress(bad);
            ADD_FAILURE() << bad << " was accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), 1);
            EXPECT_EQ(e.Description(), std::string("Invalid MAC address format: ") + bad);
        }
    }
    EXPECT_EQ(p.CustomMACAddress(), "02-00-00-00-00-01");

    // A stored address is taken as it is, whatever its length.
    ByteBuilder b;
    b.Byte(1).String("Odd").Byte(3).String("0A1B2C");
    b.Byte(0).Byte(0).Int(-1).Int(-1).Int(-1).Byte(0).Byte(0).Int(-1).Int(-1).Int(-1);
    b.Byte(0).Byte(0).String("").Long(0);
    EXPECT_EQ(ReadBack(b.Get()).CustomMACAddress(), "0A1B2C");
}

TEST(PresetRecord, TextsAreStoredAsUtf16) {
    Preset p;
    p.SetPresetName("Caf\xC3\xA9 \xE2\x82\xAC");  // "Café €"
    const Bytes bytes = Written(p);
    // Byte 0 is the version; then the name's length and its code units.
    const Bytes name(bytes.begin() + 1, bytes.begin() + 1 + 4 + 12);
    EXPECT_EQ(name, (Bytes{12, 0, 0, 0, 'C', 0, 'a', 0, 'f', 0, 0xE9, 0, ' ', 0, 0xAC, 0x20}));
    EXPECT_EQ(ReadBack(bytes).PresetName(), p.PresetName());
}

void ExpectError(const std::function<void()>& call, int32_t number, const std::string& source,
                 const std::string& description = "") {
    try {
        call();
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), number);
        EXPECT_EQ(e.Source(), source);
        if (!description.empty()) {
            EXPECT_EQ(e.Description(), description);
        }
    }
}

TEST(PresetRecord, RefusesRecordsOfAnotherVersion) {
    for (const uint8_t version : {0, 2, 255}) {
        Bytes bytes = FullRecord();
        bytes[0] = version;
        ExpectError([&] { ReadBack(bytes); }, 1, "Preset.ReadFrom", "Invalid preset format.");
    }
}

TEST(PresetRecord, ARecordCutShortAnywhereFailsAndChangesNothing) {
    const Bytes full = FullRecord();
    for (size_t length = 1; length < full.size(); ++length) {
        MemoryStream stream;
        stream.InitBuffer(std::span<const uint8_t>(full.data(), length));
        Preset p;
        p.SetPresetName("Kept");
        try {
            p.ReadFrom(stream);
            ADD_FAILURE() << "a record of " << length << " bytes was read";
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), 1) << length;
        }
        EXPECT_EQ(p.PresetName(), "Kept") << length;
        EXPECT_FALSE(p.IPv4Addresses()) << length;
    }
}

TEST(PresetRecord, RefusesDamagedCountsAndValuesBeforeMakingAnything) {
    auto record = [](auto lists) {
        ByteBuilder b;
        b.Byte(1).String("X").Byte(0).String("").Byte(1).Byte(0);
        lists(b);
        b.Byte(0).Byte(0).String("").Long(0);
        return b.Get();
    };
    // A count far beyond the bytes that follow.
    const Bytes hugeCount = record([](ByteBuilder& b) {
        b.Int(32767).String("1.2.3.4").String("255.0.0.0");
        b.Int(-1).Int(-1).Byte(0).Byte(0).Int(-1).Int(-1).Int(-1);
    });
    ExpectError([&] { ReadBack(hugeCount); }, 1, "Preset.ReadFrom");

    // A text length beyond the end of the data.
    ByteBuilder longName;
    longName.Byte(1).Long(0x7FFFFFF0).Byte('A').Byte(0);
    ExpectError([&] { ReadBack(longName.Get()); }, 1, "Preset.ReadFrom");

    // An on-link prefix length no address can have.
    const Bytes badPrefix = record([](ByteBuilder& b) {
        b.Int(-1).Int(-1).Int(-1).Byte(1).Byte(0);
        b.Int(1).Raw(V6("2001:db8::1")).Long(256).Int(-1).Int(-1);
    });
    ExpectError([&] { ReadBack(badPrefix); }, 1, "Preset.ReadFrom");

    // Two entries with the same text (keys ignore case) fail on the duplicate key.
    const Bytes twice = record([](ByteBuilder& b) {
        b.Int(-1).Int(-1).Int(2).String("dns.example").String("DNS.example");
        b.Byte(0).Byte(0).Int(-1).Int(-1).Int(-1);
    });
    ExpectError([&] { ReadBack(twice); }, errnum::kDuplicateKey, kProjectName);
}

TEST(PresetRecord, RefusesWhatCannotBeStoredWithoutWritingAnything) {
    MemoryStream stream;
    stream.Init(16);
    stream.WriteByte(0xAA);

    Preset p;
    for (const int32_t action : {256, -1}) {
        p.SetMACAddress(action);
        ExpectError([&] { p.WriteTo(stream); }, errnum::kOverflow, "Preset.WriteTo");
    }
    p.SetMACAddress(255);  // invalid as an action, but storable
    NameServerList many;
    for (int i = 0; i < 32768; ++i) {
        many.Add(std::to_string(i), std::to_string(i));
    }
    p.SetIPv6NameServers(std::move(many));
    ExpectError([&] { p.WriteTo(stream); }, errnum::kOverflow, "Preset.WriteTo");
    EXPECT_EQ(stream.Length(), 1);
}

// ---- PopulateList ----

class RecordingList : public PropertyList {
  public:
    void Clear() override {
        columns.clear();
        rows.clear();
        ++clears;
    }
    void AddColumn(const std::string& header, int32_t widthTwips) override {
        columns.emplace_back(header, widthTwips);
    }
    void AddRow(const std::string& property, const std::string& value) override {
        rows.emplace_back(property, value);
    }

    int clears = 0;
    std::vector<std::pair<std::string, int32_t>> columns;
    std::vector<std::pair<std::string, std::string>> rows;
};

using Rows = std::vector<std::pair<std::string, std::string>>;

Rows Describe(const Preset& p) {
    RecordingList list;
    list.AddRow("left over", "from before");
    p.PopulateList(list);
    EXPECT_EQ(list.clears, 1);
    EXPECT_EQ(list.columns,
              (std::vector<std::pair<std::string, int32_t>>{{"Property", 2000}, {"Value", 2900}}));
    return list.rows;
}

TEST(PresetList, DescribesTheMACAction) {
    Preset p;
    EXPECT_EQ(Describe(p), Rows{});
    const std::vector<std::pair<int32_t, std::string>> cases = {
        {1, "Use Random"},
        {2, "Use Original"},
        {3, "Use Custom: 02-11-22-33-44-55"},
        {4, "Use Random (with 0x02 as first octet)"},
        {5, "Invalid type"},
        {-1, "Invalid type"}};
    p.SetCustomMACAddress("02:11:22:33:44:55");
    for (const auto& [action, value] : cases) {
        p.SetMACAddress(action);
        EXPECT_EQ(Describe(p), (Rows{{"MAC Address", value}})) << action;
    }
}

TEST(PresetList, DescribesStaticAndDHCPSettings) {
    Preset p = FullPreset();
    p.SetMACAddress(0);
    p.SetIPv6DHCPEnabled(false);
    const std::string v6Address = p.IPv6Addresses()->Item(1)->IPAddress();
    EXPECT_EQ(Describe(p), (Rows{{"IPv4 Address", "192.168.1.10 (255.255.255.0)"},
                                 {"IPv4 Address", "10.0.0.2 (255.0.0.0)"},
                                 {"IPv4 Default Gateway", "192.168.1.1 (25)"},
                                 {"IPv4 DNS Server", "1.1.1.1"},
                                 {"IPv4 DNS Server", "8.8.8.8"},
                                 {"IPv6 Address", v6Address + "/64"},
                                 {"IPv6 Default Gateway", "FE80::1 (10)"},
                                 {"IPv6 Default Gateway", "2001:DB8::FE (300)"},
                                 {"IPv6 DNS Server", "None"},
                                 {"Internet Explorer HTTP Proxy", "Enabled"},
                                 {"HTTP Proxy Server", "proxy.lan"},
                                 {"HTTP Proxy Port", "8080"}}));

    // DHCP hides the address and gateway lists but not the DNS servers; empty lists show "None",
    // absent ones nothing.
    p.SetIPv4DHCPEnabled(true);
    p.SetIPv6DHCPEnabled(true);
    p.SetIPv6NameServers(std::nullopt);
    p.SetIEProxyEnabled(false);
    EXPECT_EQ(Describe(p), (Rows{{"IPv4", "DHCPv4 Enabled"},
                                 {"IPv4 DNS Server", "1.1.1.1"},
                                 {"IPv4 DNS Server", "8.8.8.8"},
                                 {"IPv6", "DHCPv6 Enabled"},
                                 {"Internet Explorer HTTP Proxy", "Disabled"}}));

    p.SetIPv4DHCPEnabled(false);
    p.SetIPv4Addresses(IPv4AddressList{});
    p.SetIPv4Gateways(std::nullopt);
    p.SetIPv4NameServers(NameServerList{});
    p.SetIPv6Selected(false);
    p.SetIEProxySelected(false);
    EXPECT_EQ(Describe(p), (Rows{{"IPv4 Address", "None"}, {"IPv4 DNS Server", "None"}}));

    // Nothing selected: the lists are not described at all.
    p.SetIPv4Selected(false);
    EXPECT_EQ(Describe(p), Rows{});
}

}  // namespace
}  // namespace vexav6
