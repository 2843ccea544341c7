#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/error.h"
#include "presets/byte_builder.h"
#include "presets/obsolete_preset_formats.h"
#include "support/temp_dir.h"

namespace vexav6 {
namespace {

using testing::ByteBuilder;
using testing::TempDir;
using Bytes = std::vector<uint8_t>;

constexpr const char* kSource = "ObsoletePresetFormats.ReadLegacyPresetFile";

// A record with the given name and flags whose other fields are empty.
struct Record {
    std::string name;
    uint8_t flags = 0;
    std::string mac;
    std::vector<std::string> addresses, masks, gateways, metrics, servers;
    std::string proxy;
    int32_t port = 0;
};

ByteBuilder& Array(ByteBuilder& b, const std::vector<std::string>& elements) {
    b.Int(1).Long(static_cast<int32_t>(elements.size())).Long(0);
    for (const auto& element : elements) {
        b.Text(element);
    }
    return b;
}

void Put(ByteBuilder& b, const Record& r, int version) {
    b.Text(r.name).Byte(r.flags).Text(r.mac);
    Array(b, r.addresses);
    Array(b, r.masks);
    Array(b, r.gateways);
    Array(b, r.metrics);
    Array(b, r.servers);
    if (version == 1) {
        b.Text(r.proxy).Long(r.port);
    }
}

Bytes File(uint8_t version, uint32_t count, const std::vector<Record>& records) {
    ByteBuilder b;
    b.Bytes({static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
             static_cast<uint8_t>(count >> 16), version});
    for (const auto& r : records) {
        Put(b, r, version);
    }
    return b.Get();
}

Record Rec(std::string name, uint8_t flags) {
    Record r;
    r.name = std::move(name);
    r.flags = flags;
    return r;
}

PresetCollection Read(const Bytes& bytes) {
    return ObsoletePresetFormats::ReadLegacyPresets(bytes);
}

void ExpectError(const std::function<void()>& call, int32_t number,
                 const std::string& source = kSource) {
    try {
        call();
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), number) << e.Description();
        EXPECT_EQ(e.Source(), source);
    }
}

TEST(LegacyPresetFile, ConvertsVersionOneRecords) {
    Record dhcp = Rec("Dhcp", 0x01 | 0x20);
    dhcp.servers = {"10.0.0.53"};
    Record full = Rec("Full", 0x08 | 0x10 | 0x20 | 0x40);
    full.mac = "02:aa:bb:cc:dd:ee";
    full.addresses = {"192.168.0.5", "192.168.0.6"};
    full.masks = {"255.255.255.0", "255.255.0.0"};
    full.gateways = {"192.168.0.1", "192.168.0.254"};
    full.metrics = {"20", ""};
    full.servers = {"192.168.0.1", "8.8.4.4"};
    full.proxy = "cache.lan";
    full.port = 3128;
    Record unnamed = Rec("", 0x20);
    // Header bytes 03 00 00 01: version 1, three records.
    const Bytes bytes = File(1, 3, {dhcp, full, unnamed});
    ASSERT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{3, 0, 0, 1}));

    const PresetCollection presets = Read(bytes);
    ASSERT_EQ(presets.Count(), 2);  // the unnamed record is skipped

    const Preset& d = *presets.Item("Dhcp");
    EXPECT_EQ(d.MACAddress(), macaction::kOriginal);  // 0x20 without 0x04 and without a MAC
    EXPECT_TRUE(d.IPv4Selected());
    EXPECT_TRUE(d.IPv4DHCPEnabled());
    EXPECT_FALSE(d.IPv4NameServers());  // DHCP: the lists are not read
    EXPECT_FALSE(d.IPv4Addresses());
    EXPECT_FALSE(d.IPv6Selected());
    EXPECT_FALSE(d.IEProxySelected());

    const Preset& f = *presets.Item(2);
    EXPECT_EQ(f.PresetName(), "Full");
    EXPECT_EQ(f.MACAddress(), macaction::kCustom);
    EXPECT_EQ(f.CustomMACAddress(), "02-aa-bb-cc-dd-ee");
    EXPECT_TRUE(f.IPv4Selected());
    EXPECT_FALSE(f.IPv4DHCPEnabled());
    ASSERT_TRUE(f.IPv4Addresses());
    ASSERT_EQ(f.IPv4Addresses()->Count(), 2);
    EXPECT_EQ(f.IPv4Addresses()->Item("192.168.0.6")->SubnetMask(), "255.255.0.0");
    ASSERT_TRUE(f.IPv4Gateways());
    ASSERT_EQ(f.IPv4Gateways()->Count(), 2);
    EXPECT_EQ(f.IPv4Gateways()->Item("192.168.0.1")->Metric(), 20);
    EXPECT_EQ(f.IPv4Gateways()->Item("192.168.0.254")->Metric(), 0);
    ASSERT_TRUE(f.IPv4NameServers());
    EXPECT_EQ(f.IPv4NameServers()->Item(2), "8.8.4.4");
    EXPECT_TRUE(f.IEProxySelected());
    EXPECT_TRUE(f.IEProxyEnabled());
    EXPECT_EQ(f.IEProxyServer(), "cache.lan");
    EXPECT_EQ(f.IEProxyPort(), 3128);
    EXPECT_FALSE(f.IPv6Selected());
}

TEST(LegacyPresetFile, ConvertsVersionZeroRecords) {
    // A count of 0 still holds one record; version 0 has no proxy fields.
    Record r = Rec("Old \xE9t\xE9", 0x04 | 0x08 | 0x10 | 0x20 | 0x40);  // ANSI "été"
    r.mac = "ignored";
    r.addresses = {"0.0.0.0", "1.2.3.4"};
    r.masks = {"0.0.0.0"};
    r.gateways = {""};
    r.servers = {""};
    const PresetCollection presets = Read(File(0, 0, {r}));
    ASSERT_EQ(presets.Count(), 1);
    const Preset& p = *presets.Item(1);
    EXPECT_EQ(p.PresetName(), "Old \xC3\xA9t\xC3\xA9");
    EXPECT_EQ(p.MACAddress(), macaction::kRandom);
    EXPECT_EQ(p.CustomMACAddress(), "");
    // "0.0.0.0" (or an empty text) first means "no addresses": present and empty.
    ASSERT_TRUE(p.IPv4Addresses());
    EXPECT_EQ(p.IPv4Addresses()->Count(), 0);
    ASSERT_TRUE(p.IPv4Gateways());
    EXPECT_EQ(p.IPv4Gateways()->Count(), 0);
    ASSERT_TRUE(p.IPv4NameServers());
    EXPECT_EQ(p.IPv4NameServers()->Count(), 0);
    // The proxy flag without a server turns the proxy off.
    EXPECT_TRUE(p.IEProxySelected());
    EXPECT_FALSE(p.IEProxyEnabled());

    // Without 0x20 the MAC address is left alone and there are no name servers.
    Record plain = Rec("Plain", 0x04);
    plain.mac = "00-11-22-33-44-55";
    plain.servers = {"1.1.1.1"};
    const Preset& q = *Read(File(0, 1, {plain})).Item(1);
    EXPECT_EQ(q.MACAddress(), macaction::kLeave);
    EXPECT_FALSE(q.IPv4Selected());
    EXPECT_FALSE(q.IPv4NameServers());
    EXPECT_FALSE(q.IEProxySelected());

    // A file of only a header with a count of 0 has one record that was never filled in.
    EXPECT_EQ(Read({0, 0, 0, 1}).Count(), 0);
    TempDir dir;
    testing::WriteFileBytes(dir.File("old.cpf"), std::string("\0\0\0\0", 4));
    EXPECT_EQ(ObsoletePresetFormats::ReadLegacyPresetFile(dir.File("old.cpf")).Count(), 0);
}

TEST(LegacyPresetFile, RefusesUnknownVersionsBadMACsAndDuplicates) {
    const Record r = Rec("A", 0);
    ExpectError([&] { Read(File(2, 1, {r})); }, errnum::kSubscriptOutOfRange);
    ExpectError([&] { Read(File(0xFF, 1, {r})); }, errnum::kSubscriptOutOfRange);

    Record badMac = Rec("B", 0x20);
    badMac.mac = "001122334455";
    try {
        Read(File(1, 1, {badMac}));
        ADD_FAILURE() << "a 12-character MAC address was taken";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), 1);
        EXPECT_EQ(e.Description(), "Invalid MAC address format: 001122334455");
    }

    // The version is the header over 2^24 rounded half to even: from a count of 2^23 on the
    // count shows in it. 1.5 rounds to 2; 0.5 to 0 and a bit more than 0.5 to 1, whose counts
    // the file cannot hold.
    ExpectError([&] { Read(File(1, 0x800000, {r})); }, errnum::kSubscriptOutOfRange);
    ExpectError([&] { Read(File(0, 0x800000, {r})); }, 1);
    ExpectError([&] { Read(File(0, 0x800001, {r})); }, 1);

    const Record same = Rec("a", 0);
    ExpectError([&] { Read(File(1, 2, {r, same})); }, errnum::kDuplicateKey, kProjectName);
    Record twice = Rec("T", 0x20);
    twice.servers = {"1.1.1.1", "1.1.1.1"};
    ExpectError([&] { Read(File(1, 1, {twice})); }, errnum::kDuplicateKey, kProjectName);
}

TEST(LegacyPresetFile, DamagedOrShortFilesFailQuickly) {
    Record full = Rec("Full", 0x08 | 0x10 | 0x20 | 0x40);
    full.addresses = {"192.168.0.5"};
    full.masks = {"255.255.255.0"};
    full.gateways = {"192.168.0.1"};
    full.metrics = {"20"};
    full.servers = {"192.168.0.1"};
    full.proxy = "cache.lan";
    full.port = 3128;
    const Bytes bytes = File(1, 1, {full});
    for (size_t length = 0; length < bytes.size(); ++length) {
        ExpectError([&] { Read(Bytes(bytes.begin(), bytes.begin() + length)); }, 1);
    }

    const auto start = std::chrono::steady_clock::now();
    // Counts the file cannot hold: records, array elements, text lengths.
    ExpectError([&] { Read(File(1, 0x7FFFFF, {full})); }, 1);
    ByteBuilder hugeArray;
    hugeArray.Bytes({1, 0, 0, 1}).Text("X").Byte(0x08).Text("").Int(1).Long(0x7FFFFFFF).Long(0);
    hugeArray.Raw(Bytes(64, 0));
    ExpectError([&] { Read(hugeArray.Get()); }, 1);
    ByteBuilder negativeArray;
    negativeArray.Bytes({1, 0, 0, 1}).Text("X").Byte(0).Text("").Int(1).Long(-5).Long(0);
    negativeArray.Raw(Bytes(64, 0));
    ExpectError([&] { Read(negativeArray.Get()); }, 1);
    ByteBuilder longText;
    longText.Bytes({1, 0, 0, 1}).Bytes({0xFF, 0xFF}).Raw(Bytes(64, 'x'));
    ExpectError([&] { Read(longText.Get()); }, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    // An array of two dimensions is no part of the format.
    ByteBuilder twoDimensions;
    twoDimensions.Bytes({1, 0, 0, 1}).Text("X").Byte(0).Text("").Int(2).Raw(Bytes(64, 0));
    ExpectError([&] { Read(twoDimensions.Get()); }, 1);

    // Parallel arrays that do not match.
    Record noMask = full;
    noMask.addresses = {"192.168.0.5", "192.168.0.6"};
    ExpectError([&] { Read(File(1, 1, {noMask})); }, 1);
    Record noMetric = full;
    noMetric.metrics = {};
    ExpectError([&] { Read(File(1, 1, {noMetric})); }, 1);

    // Empty and missing files.
    TempDir dir;
    testing::WriteFileBytes(dir.File("empty.cpf"), "");
    ExpectError([&] { ObsoletePresetFormats::ReadLegacyPresetFile(dir.File("empty.cpf")); }, 1);
    ExpectError([&] { ObsoletePresetFormats::ReadLegacyPresetFile(dir.File("none.cpf")); },
                errnum::kFileNotFound, "ReadAllBytes");
}

TEST(LegacyPresetFile, ArraysWithoutDimensionsAreEmpty) {
    // An array never given a size is stored with no dimensions and no elements.
    ByteBuilder b;
    b.Bytes({1, 0, 0, 1}).Text("Bare").Byte(0x08 | 0x10 | 0x20).Text("");
    b.Int(0).Int(0).Int(0).Int(0).Int(0).Text("").Long(0);
    const PresetCollection presets = Read(b.Get());
    ASSERT_EQ(presets.Count(), 1);
    const Preset& p = *presets.Item(1);
    ASSERT_TRUE(p.IPv4Addresses() && p.IPv4Gateways() && p.IPv4NameServers());
    EXPECT_EQ(p.IPv4Addresses()->Count() + p.IPv4Gateways()->Count() + p.IPv4NameServers()->Count(),
              0);
}

}  // namespace
}  // namespace vexav6
