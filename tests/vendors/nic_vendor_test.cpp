#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "base/text.h"
#include "platform/sim/machine.h"
#include "support/temp_dir.h"
#include "vendor_test_support.h"
#include "vendors/nic_vendor.h"

namespace vexav6::testing {
namespace {

class NICVendorTest : public ::testing::Test {
  protected:
    void Parse(const std::string& listing) {
        WriteFileBytes(dir.File("oui.txt"), listing);
        vendor.ParseOUI(dir.File("oui.txt"));
    }

    TempDir dir;
    sim::Machine machine;
    NICVendor vendor{machine.GetPlatform()};
};

TEST_F(NICVendorTest, DescriptionsCarryThePartsAskedFor) {
    Parse(ListingEntry(0x001A2B, "Example Networks Inc.", {"1 Main Street", "Springfield", "US"}) +
          ListingEntry(0x001A2C, "Second", {}));
    EXPECT_EQ(vendor.GetVendor(0x001A2B, false, false), "Example Networks Inc.");
    EXPECT_EQ(vendor.GetVendor(0x001A2B, false, true), "[00-1A-2B] Example Networks Inc.");
    EXPECT_EQ(vendor.GetVendor(0x001A2B, true, false),
              "Example Networks Inc.  (Address: 1 Main Street, Springfield, US)");
    EXPECT_EQ(vendor.GetVendor(0x001A2B, true, true),
              "[00-1A-2B] Example Networks Inc.  (Address: 1 Main Street, Springfield, US)");
    EXPECT_EQ(vendor.GetVendor(0x001A2D, true, true), kUnknownVendor);
}

TEST_F(NICVendorTest, NewTableIsEmptyEvenForThePrefixOfItsBlankRecord) {
    // The one blank record has number 0, yet a one-record table knows no vendor.
    EXPECT_FALSE(vendor.IsLoaded());
    EXPECT_EQ(vendor.GetVendor(0, true, true), kUnknownVendor);
    std::string mac, company;
    vendor.GetRandomMACAddress(mac, company, true);
    EXPECT_EQ(mac, "00-00-00-00-00-00");
    EXPECT_EQ(company, kUnknownVendor);

    RecordingVendorList list;
    int progressEvents = 0;
    vendor.onPopulateComboProgress = [&](int16_t) { ++progressEvents; };
    vendor.PopulateCombo(list, true);
    EXPECT_TRUE(list.items.empty());
    EXPECT_EQ(progressEvents, 0);
}

TEST_F(NICVendorTest, FirstRecordOfAPrefixListedTwiceWins) {
    Parse(ListingEntry(0x0001C8, "THOMAS CONRAD CORP.", {"AUSTIN"}) +
          ListingEntry(0x000002, "Other", {}) + ListingEntry(0x0001C8, "CONRAD CORP.", {}));
    EXPECT_EQ(vendor.GetVendor(0x0001C8, true, false), "THOMAS CONRAD CORP.  (Address: AUSTIN)");
}

TEST_F(NICVendorTest, PopulateComboReportsProgressEvery128RecordsAndLetsTheUiRun) {
    Parse(MakeListing(300));
    std::vector<int16_t> progress;
    std::vector<size_t> itemsAtProgress;
    RecordingVendorList list;
    list.items.push_back("kept: the list is not cleared");
    vendor.onPopulateComboProgress = [&](int16_t percent) {
        progress.push_back(percent);
        itemsAtProgress.push_back(list.items.size());
    };
    const int doEventsBefore = machine.ui.DoEventsCount();
    vendor.PopulateCombo(list, false);

    EXPECT_EQ(progress, (std::vector<int16_t>{0, 0, 43, 85, 100}));
    EXPECT_EQ(itemsAtProgress, (std::vector<size_t>{1, 1, 129, 257, 301}));
    EXPECT_EQ(machine.ui.DoEventsCount() - doEventsBefore, 3);
    ASSERT_EQ(list.items.size(), 301u);
    EXPECT_EQ(list.items[1], "[00-10-00] Vendor 0");
    EXPECT_EQ(list.items[300], "[00-11-2B] Vendor 299");

    list.items.clear();
    vendor.PopulateCombo(list, true);
    EXPECT_EQ(list.items[0], "[00-10-00] Vendor 0  (Address: Street 0, US)");
}

TEST_F(NICVendorTest, RandomAddressesStartWithAListedPrefixAndHaveHexOctets) {
    Parse(MakeListing(40, 0x2C0000));
    const std::regex form(
        "([0-9A-F]{2}-[0-9A-F]{2}-[0-9A-F]{2})-[0-9A-F]{2}-[0-9A-F]{2}-[0-9A-F]{2}");
    std::set<std::string> prefixes;
    std::set<std::string> addresses;
    for (int i = 0; i < 200; ++i) {
        std::string mac, company;
        vendor.GetRandomMACAddress(mac, company, i % 2 == 0);
        std::smatch match;
        ASSERT_TRUE(std::regex_match(mac, match, form)) << mac;
        const int32_t number = std::stoi(text::ReplaceAll(match[1].str(), "-", ""), nullptr, 16);
        EXPECT_EQ(company, vendor.GetVendor(number, i % 2 == 0, true));
        EXPECT_NE(company, kUnknownVendor);
        prefixes.insert(match[1]);
        addresses.insert(mac);
    }
    // Reseeded on every call, the draws still differ from call to call.
    EXPECT_GT(prefixes.size(), 10u);
    EXPECT_GT(addresses.size(), 150u);
}

TEST_F(NICVendorTest, RandomAddressesSkipGroupPrefixesAndRecordsPastIndex10000) {
    // Indices 0..9999 are group (multicast) prefixes; index 10000 is the one unicast prefix that
    // can be drawn; the unicast prefixes after it are out of reach.
    std::string listing;
    for (int i = 0; i < 10000; ++i) {
        listing += ListingEntry(0x010000 + i, "Group", {});
    }
    listing += ListingEntry(0x5C0000, "Reachable", {});
    for (int i = 1; i <= 100; ++i) {
        listing += ListingEntry(0x5C0000 + i, "Beyond", {});
    }
    Parse(listing);
    for (int i = 0; i < 20; ++i) {
        std::string mac, company;
        vendor.GetRandomMACAddress(mac, company, false);
        ASSERT_EQ(mac.substr(0, 8), "5C-00-00") << mac;
        EXPECT_EQ(company, "[5C-00-00] Reachable");
    }
}

TEST_F(NICVendorTest, TableWithoutAnyUnicastPrefixGivesNoAddressInsteadOfLooping) {
    Parse(ListingEntry(0x111111, "Private", {}) + ListingEntry(0x01005E, "Multicast", {}));
    std::string mac = "unset", company;
    vendor.GetRandomMACAddress(mac, company, true);
    EXPECT_EQ(mac, "00-00-00-00-00-00");
    EXPECT_EQ(company, kUnknownVendor);
}

}  // namespace
}  // namespace vexav6::testing
