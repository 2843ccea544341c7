#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "presets/obsolete_preset_formats.h"
#include "presets/preset_test_support.h"
#include "support/temp_dir.h"

namespace vexav6::testing {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr const char* kSource = "ObsoletePresetFormats.ReadLegacyPresetFile";

struct Record {
    std::string name;
    uint8_t flags = 0;
    std::string mac;
    std::vector<std::string> addresses, masks, gateways, metrics, servers;
    std::string proxy;
    int32_t port = 0;
};

Record Rec(std::string name, uint8_t flags) {
    Record r;
    r.name = std::move(name);
    r.flags = flags;
    return r;
}

// A file: header (count in the low 24 bits, version in the top byte), then the records.
Bytes File(uint8_t version, uint32_t count, const std::vector<Record>& records) {
    ByteBuilder b;
    b.Long(static_cast<int32_t>((uint32_t{version} << 24) | count));
    for (const Record& r : records) {
        b.Text(r.name).Byte(r.flags).Text(r.mac).TextArray(r.addresses).TextArray(r.masks);
        b.TextArray(r.gateways).TextArray(r.metrics).TextArray(r.servers);
        if (version == 1) {
            b.Text(r.proxy).Long(r.port);
        }
    }
    return b.Get();
}

PresetCollection Read(const Bytes& bytes) {
    return ObsoletePresetFormats::ReadLegacyPresets(bytes);
}

Record FullRecord() {
    Record r = Rec("Full", 0x08 | 0x10 | 0x20 | 0x40);
    r.mac = "02:aa:bb:cc:dd:ee";
    r.addresses = {"192.168.0.5", "192.168.0.6"};
    r.masks = {"255.255.255.0", "255.255.0.0"};
    r.gateways = {"192.168.0.1", "192.168.0.254"};
    r.metrics = {"20", ""};
    r.servers = {"192.168.0.1", "8.8.4.4"};
    r.proxy = "cache.lan";
    r.port = 3128;
    return r;
}

TEST(LegacyPresetFile, ConvertsVersionOneRecords) {
    Record dhcp = Rec("Dhcp", 0x01 | 0x20);
    dhcp.servers = {"10.0.0.53"};
    const Bytes bytes = File(1, 3, {dhcp, FullRecord(), Rec("", 0x20)});
    ASSERT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{3, 0, 0, 1}));
    const PresetCollection presets = Read(bytes);
    ASSERT_EQ(presets.Count(), 2);  // the record without a name is skipped

    // 0x20 without 0x04 and without a MAC: the original address; DHCP: no lists at all.
    const Preset& d = *presets.Item("Dhcp");
    EXPECT_EQ(d.MACAddress(), MacAction::Original);
    EXPECT_TRUE(d.IPv4Selected() && d.IPv4DHCPEnabled());
    EXPECT_FALSE(d.IPv4NameServers() || d.IPv4Addresses() || d.IPv6Selected() ||
                 d.IEProxySelected());

    const Preset& f = *presets.Item(2);
    EXPECT_EQ(f.MACAddress(), MacAction::Custom);
    EXPECT_EQ(f.CustomMACAddress(), "02-aa-bb-cc-dd-ee");
    EXPECT_TRUE(f.IPv4Selected() && !f.IPv4DHCPEnabled());
    ASSERT_EQ(f.IPv4Addresses()->Count(), 2);
    EXPECT_EQ(f.IPv4Addresses()->Item("192.168.0.6")->SubnetMask(), "255.255.0.0");
    ASSERT_EQ(f.IPv4Gateways()->Count(), 2);
    EXPECT_EQ(f.IPv4Gateways()->Item("192.168.0.1")->Metric(), 20);
    EXPECT_EQ(f.IPv4Gateways()->Item("192.168.0.254")->Metric(), 0);
    EXPECT_EQ(f.IPv4NameServers()->Item(2), "8.8.4.4");
    EXPECT_TRUE(f.IEProxySelected() && f.IEProxyEnabled());
    EXPECT_EQ(f.IEProxyServer(), "cache.lan");
    EXPECT_EQ(f.IEProxyPort(), 3128);
}

TEST(LegacyPresetFile, ConvertsVersionZeroRecords) {
    // A count of 0 still holds one record; version 0 has no proxy fields.
    Record r = Rec("Old \xE9t\xE9", 0x04 | 0x08 | 0x10 | 0x20 | 0x40);  // ANSI "été"
    r.mac = "ignored";
    r.addresses = {"0.0.0.0", "1.2.3.4"};
    r.gateways = {""};
    r.servers = {""};
    const PresetCollection presets = Read(File(0, 0, {r}));
    ASSERT_EQ(presets.Count(), 1);
    const Preset& p = *presets.Item(1);
    EXPECT_EQ(p.PresetName(), "Old \xC3\xA9t\xC3\xA9");
    EXPECT_EQ(p.MACAddress(), MacAction::Random);
    // "0.0.0.0" (or an empty text) first means "none": present and empty lists.
    EXPECT_EQ(p.IPv4Addresses()->Count() + p.IPv4Gateways()->Count() + p.IPv4NameServers()->Count(),
              0);
    EXPECT_TRUE(p.IEProxySelected());
    EXPECT_FALSE(p.IEProxyEnabled());

    // Without 0x20 the MAC address is left alone and there are no name servers.
    Record plain = Rec("Plain", 0x04);
    plain.servers = {"1.1.1.1"};
    const PresetCollection plainPresets = Read(File(0, 1, {plain}));
    const Preset& q = *plainPresets.Item(1);
    EXPECT_EQ(q.MACAddress(), MacAction::Leave);
    EXPECT_FALSE(q.IPv4Selected() || q.IPv4NameServers());

    // Arrays never given a size have no dimensions; a header alone holds one unfilled record.
    ByteBuilder bare;
    bare.Long(0x01000001).Text("Bare").Byte(0x08).Text("");
    bare.Int(0).Int(0).Int(0).Int(0).Int(0).Text("").Long(0);
    EXPECT_EQ(Read(bare.Get()).Item(1)->IPv4Addresses()->Count(), 0);
    EXPECT_EQ(Read({0, 0, 0, 1}).Count(), 0);
}

TEST(LegacyPresetFile, RefusesUnknownVersionsBadMACsAndDuplicates) {
    const Record a = Rec("A", 0);
    ExpectError([&] { Read(File(2, 1, {a})); }, errnum::kSubscriptOutOfRange, kSource);
    // The version is the header over 2^24 rounded half to even: 1.5 gives 2.
    ExpectError([&] { Read(File(1, 0x800000, {a})); }, errnum::kSubscriptOutOfRange, kSource);

    Record badMac = Rec("B", 0x20);
    badMac.mac = "001122334455";
    ExpectError([&] { Read(File(1, 1, {badMac})); }, 1, "Preset.CustomMACAddress",
                "Invalid MAC address format: 001122334455");
    ExpectError([&] { Read(File(1, 2, {a, Rec("a", 0)})); }, errnum::kDuplicateKey, kProjectName);
}

TEST(LegacyPresetFile, DamagedOrShortFilesFailQuickly) {
    const Bytes bytes = File(1, 1, {FullRecord()});
    for (size_t length = 0; length < bytes.size(); ++length) {
        ExpectError([&] { Read(Bytes(bytes.begin(), bytes.begin() + length)); }, 1, kSource);
    }

    const auto start = std::chrono::steady_clock::now();
    // Counts the file cannot hold: records, array elements (also negative), text lengths; and
    // arrays of two dimensions, which the format does not have.
    ExpectError([&] { Read(File(1, 0x7FFFFF, {FullRecord()})); }, 1, kSource);
    const Bytes padding(64, 0);
    for (const int32_t elements : {0x7FFFFFFF, -5}) {
        ByteBuilder b;
        b.Long(0x01000001).Text("X").Byte(0).Text("").Int(1).Long(elements).Long(0).Raw(padding);
        ExpectError([&] { Read(b.Get()); }, 1, kSource);
    }
    ExpectError([&] { Read(ByteBuilder().Long(0x01000001).Int(-1).Raw(padding).Get()); }, 1,
                kSource);
    ExpectError(
        [&] {
            Read(ByteBuilder()
                     .Long(0x01000001)
                     .Text("X")
                     .Byte(0)
                     .Text("")
                     .Int(2)
                     .Raw(padding)
                     .Get());
        },
        1, kSource);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    // Parallel arrays that do not match.
    Record noMask = FullRecord();
    noMask.masks.pop_back();
    ExpectError([&] { Read(File(1, 1, {noMask})); }, 1, kSource);
    Record noMetric = FullRecord();
    noMetric.metrics.clear();
    ExpectError([&] { Read(File(1, 1, {noMetric})); }, 1, kSource);

    TempDir dir;
    WriteFileBytes(dir.File("empty.cpf"), "");
    ExpectError([&] { ObsoletePresetFormats::ReadLegacyPresetFile(dir.File("empty.cpf")); }, 1,
                kSource);
    ExpectError([&] { ObsoletePresetFormats::ReadLegacyPresetFile(dir.File("none.cpf")); },
                errnum::kFileNotFound, "ReadAllBytes");
}

}  // namespace
}  // namespace vexav6::testing
