#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "presets/preset.h"
#include "presets/preset_test_support.h"

namespace vexav6::testing {
namespace {

using Bytes = std::vector<uint8_t>;

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
    p.SetMACAddress(MacAction::Custom);
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
    b.Byte(1).String("Office").Byte(3).String("02-11-22-33-44-55").Byte(1).Byte(0);
    b.Int(2).String("192.168.1.10").String("255.255.255.0").String("10.0.0.2").String("255.0.0.0");
    b.Int(1).String("192.168.1.1").Long(25);
    b.Int(1).String("1.1.1.1");
    b.Byte(1).Byte(1);
    b.Int(1).Raw(V6("2001:db8::10")).Long(64);
    // Two IPv6 gateways: 2 + 2 x (16 + 4) bytes.
    b.Int(2).Raw(V6("fe80::1")).Long(10).Raw(V6("2001:db8::fe")).Long(300);
    b.Int(0);
    b.Byte(1).Byte(1).String("proxy.lan").Long(8080);
    return b.Get();
}

// A record whose lists are all absent (count -1) or all empty (count 0).
Bytes PlainRecord(int16_t count, std::string_view customMAC = "") {
    ByteBuilder b;
    b.Byte(1).String("").Byte(0).String(customMAC).Byte(0).Byte(0);
    b.Int(count).Int(count).Int(count).Byte(0).Byte(0).Int(count).Int(count).Int(count);
    b.Byte(0).Byte(0).String("").Long(0);
    return b.Get();
}

TEST(PresetRecord, WritesAndReadsEveryFieldInTheRecordLayout) {
    EXPECT_EQ(Written(FullPreset()), FullRecord());

    const Preset p = ReadBack(FullRecord());
    EXPECT_EQ(p.PresetName(), "Office");
    EXPECT_EQ(p.MACAddress(), MacAction::Custom);
    EXPECT_EQ(p.CustomMACAddress(), "02-11-22-33-44-55");
    EXPECT_TRUE(p.IPv4Selected() && !p.IPv4DHCPEnabled() && p.IPv6Selected() &&
                p.IPv6DHCPEnabled() && p.IEProxySelected() && p.IEProxyEnabled());
    ASSERT_EQ(p.IPv4Addresses()->Count(), 2);
    EXPECT_EQ(p.IPv4Addresses()->Item("10.0.0.2")->SubnetMask(), "255.0.0.0");
    EXPECT_EQ(p.IPv4Gateways()->Item("192.168.1.1")->Metric(), 25);
    EXPECT_EQ(p.IPv4NameServers()->Item(1), "1.1.1.1");
    EXPECT_EQ(p.IPv6Addresses()->Item(1)->OnLinkPrefixLength(), 64);
    EXPECT_EQ(p.IPv6Gateways()->Item("2001:DB8::FE")->Metric(), 300);
    EXPECT_TRUE(p.IPv6NameServers()->Empty());
    EXPECT_EQ(p.IEProxyServer(), "proxy.lan");
    EXPECT_EQ(p.IEProxyPort(), 8080);
    EXPECT_EQ(Written(p), FullRecord());
}

TEST(PresetRecord, AbsentAndEmptyListsStayApart) {
    // A new preset has every list absent and writes six counts of -1.
    EXPECT_EQ(Written(Preset()), PlainRecord(-1));
    const Preset absent = ReadBack(PlainRecord(-1));
    EXPECT_FALSE(absent.IPv4Addresses() || absent.IPv4Gateways() || absent.IPv4NameServers() ||
                 absent.IPv6Addresses() || absent.IPv6Gateways() || absent.IPv6NameServers());

    Preset empty;
    empty.SetIPv4Addresses(IPv4AddressList{});
    empty.SetIPv4Gateways(IPv4GatewayList{});
    empty.SetIPv4NameServers(NameServerList{});
    empty.SetIPv6Addresses(IPv6AddressList{});
    empty.SetIPv6Gateways(IPv6GatewayList{});
    empty.SetIPv6NameServers(NameServerList{});
    EXPECT_EQ(Written(empty), PlainRecord(0));
    const Preset read = ReadBack(PlainRecord(0));
    EXPECT_TRUE(read.IPv4Addresses() && read.IPv4Gateways() && read.IPv4NameServers() &&
                read.IPv6Addresses() && read.IPv6Gateways() && read.IPv6NameServers());
}

TEST(PresetRecord, CustomMACAddressTakesSeventeenCharactersOrNothing) {
    Preset p;
    p.SetCustomMACAddress("0a:1b:2c:3d:4e:5f");
    EXPECT_EQ(p.CustomMACAddress(), "0a-1b-2c-3d-4e-5f");
    p.SetCustomMACAddress("");
    EXPECT_EQ(p.CustomMACAddress(), "");
    for (const char* bad : {"0A1B2C3D4E5F", "0A-1B-2C-3D-4E-5F0"}) {
        ExpectError([&] { p.SetCustomMACAddress(bad); }, 1, "Preset.CustomMACAddress",
                    std::string("Invalid MAC address format: ") + bad);
    }
    // A stored address is taken as it is.
    EXPECT_EQ(ReadBack(PlainRecord(-1, "0A1B2C")).CustomMACAddress(), "0A1B2C");
}

TEST(PresetRecord, RefusesDamagedRecordsWithoutChangingThePreset) {
    Bytes otherVersion = FullRecord();
    otherVersion[0] = 2;
    ExpectError([&] { ReadBack(otherVersion); }, 1, "Preset.ReadFrom", "Invalid preset format.");

    // Cut anywhere: an error, never a preset made of zeros and empty texts.
    const Bytes full = FullRecord();
    for (size_t length = 1; length < full.size(); ++length) {
        MemoryStream stream;
        stream.InitBuffer(std::span<const uint8_t>(full.data(), length));
        Preset p;
        p.SetPresetName("Kept");
        ExpectError([&] { p.ReadFrom(stream); }, 1, "Preset.ReadFrom");
        EXPECT_EQ(p.PresetName(), "Kept") << length;
    }

    auto withIPv4Addresses = [](auto entries) {
        ByteBuilder b;
        b.Byte(1).String("X").Byte(0).String("").Byte(1).Byte(0);
        entries(b);
        b.Int(-1).Int(-1).Byte(0).Byte(0).Int(-1).Int(-1).Int(-1).Byte(0).Byte(0).String("");
        return b.Long(0).Get();
    };
    // Counts and lengths beyond the data fail before anything is made for them.
    const Bytes hugeCount = withIPv4Addresses([](ByteBuilder& b) { b.Int(32767); });
    ExpectError([&] { ReadBack(hugeCount); }, 1, "Preset.ReadFrom");
    const Bytes longText =
        withIPv4Addresses([](ByteBuilder& b) { b.Int(1).Long(0x7FFFFFF0).String(""); });
    ExpectError([&] { ReadBack(longText); }, 1, "Preset.ReadFrom");
    // Entries with the same key (without regard to case) fail on the list's duplicate key.
    const Bytes twice = withIPv4Addresses([](ByteBuilder& b) {
        b.Int(2).String("10.0.0.1").String("255.0.0.0").String("10.0.0.1").String("255.0.0.0");
    });
    ExpectError([&] { ReadBack(twice); }, errnum::kDuplicateKey, kProjectName);
}

TEST(PresetRecord, RefusesWhatCannotBeStoredWithoutWritingAnything) {
    MemoryStream stream;
    stream.Init(16);
    Preset p;
    p.SetMACAddress(static_cast<MacAction>(256));
    ExpectError([&] { p.WriteTo(stream); }, errnum::kOverflow, "Preset.WriteTo");
    p.SetMACAddress(static_cast<MacAction>(0));
    NameServerList many;
    for (int i = 0; i < 32768; ++i) {
        many.Add(std::to_string(i), std::to_string(i));
    }
    p.SetIPv6NameServers(std::move(many));
    ExpectError([&] { p.WriteTo(stream); }, errnum::kOverflow, "Preset.WriteTo");
    EXPECT_EQ(stream.Length(), 0);
}

// ---- PopulateList ----

class RecordingList : public PropertyList {
  public:
    void Clear() override {
        columns.clear();
        rows.clear();
    }
    void AddColumn(const std::string& header, int32_t widthTwips) override {
        columns.emplace_back(header, widthTwips);
    }
    void AddRow(const std::string& property, const std::string& value) override {
        rows.emplace_back(property, value);
    }
    std::vector<std::pair<std::string, int32_t>> columns;
    std::vector<std::pair<std::string, std::string>> rows;
};

using Rows = std::vector<std::pair<std::string, std::string>>;

Rows Describe(const Preset& p) {
    RecordingList list;
    list.AddRow("left over", "from before");
    p.PopulateList(list);
    EXPECT_EQ(list.columns,
              (std::vector<std::pair<std::string, int32_t>>{{"Property", 2000}, {"Value", 2900}}));
    return list.rows;
}

TEST(PresetList, DescribesEveryKindOfSetting) {
    Preset p;
    EXPECT_EQ(Describe(p), Rows{});
    p.SetCustomMACAddress("02:11:22:33:44:55");
    const std::vector<std::pair<int32_t, std::string>> actions = {
        {1, "Use Random"},
        {2, "Use Original"},
        {3, "Use Custom: 02-11-22-33-44-55"},
        {4, "Use Random (with 0x02 as first octet)"},
        {5, "Invalid type"},
        {-1, "Invalid type"}};
    for (const auto& [action, value] : actions) {
        p.SetMACAddress(static_cast<MacAction>(action));
        EXPECT_EQ(Describe(p), (Rows{{"MAC Address", value}})) << action;
    }

    p = FullPreset();
    p.SetMACAddress(static_cast<MacAction>(0));
    p.SetIPv6DHCPEnabled(false);
    const std::string v6Address = p.IPv6Addresses()->Item(1)->IPAddress();
    EXPECT_EQ(Describe(p), (Rows{{"IPv4 Address", "192.168.1.10 (255.255.255.0)"},
                                 {"IPv4 Address", "10.0.0.2 (255.0.0.0)"},
                                 {"IPv4 Default Gateway", "192.168.1.1 (25)"},
                                 {"IPv4 DNS Server", "1.1.1.1"},
                                 {"IPv6 Address", v6Address + "/64"},
                                 {"IPv6 Default Gateway", "FE80::1 (10)"},
                                 {"IPv6 Default Gateway", "2001:DB8::FE (300)"},
                                 {"IPv6 DNS Server", "None"},
                                 {"Internet Explorer HTTP Proxy", "Enabled"},
                                 {"HTTP Proxy Server", "proxy.lan"},
                                 {"HTTP Proxy Port", "8080"}}));

    // DHCP hides the address and gateway lists but not the DNS servers; an empty list shows
    // "None", an absent one nothing.
    p.SetIPv4DHCPEnabled(true);
    p.SetIPv6DHCPEnabled(true);
    p.SetIPv6NameServers(std::nullopt);
    p.SetIEProxyEnabled(false);
    EXPECT_EQ(Describe(p), (Rows{{"IPv4", "DHCPv4 Enabled"},
                                 {"IPv4 DNS Server", "1.1.1.1"},
                                 {"IPv6", "DHCPv6 Enabled"},
                                 {"Internet Explorer HTTP Proxy", "Disabled"}}));
    p.SetIPv4DHCPEnabled(false);
    p.SetIPv4Addresses(IPv4AddressList{});
    p.SetIPv4Gateways(std::nullopt);
    p.SetIPv6Selected(false);
    p.SetIEProxySelected(false);
    EXPECT_EQ(Describe(p), (Rows{{"IPv4 Address", "None"}, {"IPv4 DNS Server", "1.1.1.1"}}));
    p.SetIPv4Selected(false);
    EXPECT_EQ(Describe(p), Rows{});
}

}  // namespace
}  // namespace vexav6::testing
