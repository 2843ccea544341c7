#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "platform/sim/machine.h"
#include "support/temp_dir.h"
#include "vendor_test_support.h"
#include "vendors/nic_vendor.h"

namespace vexav6::testing {
namespace {

class ListingTest : public ::testing::Test {
  protected:
    // Parses `listing` from a file in the test folder.
    void Parse(const std::string& listing) {
        WriteFileBytes(dir.File("oui.txt"), listing);
        vendor.ParseOUI(dir.File("oui.txt"));
    }

    // The error a parse of `listing` fails with; fails the test when it succeeds.
    Error ParseFailure(const std::string& listing) {
        try {
            Parse(listing);
        } catch (const Error& e) {
            return e;
        }
        ADD_FAILURE() << "the listing was accepted";
        return Error(0, "", "");
    }

    TempDir dir;
    sim::Machine machine;
    NICVendor vendor{machine.GetPlatform()};
};

const std::string kThreeEntries =
    "OUI/MA-L                      Organization\n"
    "company_id                    Organization\n"
    "                              Address\n"
    "\n"
    "00-22-72   (hex)\t\tAmerican Micro-Fuel Device Corp.\n"
    "002272     (base 16)\t\tAmerican Micro-Fuel Device Corp.\n"
    "\t\t\t\t2181 Buchanan Loop\n"
    "\t\t\t\tFerndale  WA  98248\n"
    "\t\t\t\tUS\n"
    "\n"
    "11-11-11   (hex)\t\tPrivate\n"
    "111111     (base 16)\t\tPrivate\n"
    "\n"
    "F4-BD-9E   (hex)\t\tCisco Systems, Inc\n"
    "F4BD9E     (base 16)\t\tCisco Systems, Inc\n"
    "\t\t\t\t80 West Tasman Drive\n"
    "\t\t\t\tUS\n";

TEST_F(ListingTest, EveryKindOfLineEndReadsAsOneLineEnd) {
    const std::vector<OUIRecord> expected = {
        {0x002272, "00-22-72", "American Micro-Fuel Device Corp.",
         "2181 Buchanan Loop, Ferndale  WA  98248, US"},
        {0x111111, "11-11-11", "Private", ""},
        {0xF4BD9E, "F4-BD-9E", "Cisco Systems, Inc", "80 West Tasman Drive, US"},
    };
    for (const char* lineEnd : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(lineEnd[0] == '\n' ? "LF" : lineEnd[1] == '\n' ? "CR LF" : "CR");
        Parse(text::ReplaceAll(kThreeEntries, "\n", lineEnd));
        EXPECT_EQ(Records(vendor), expected);
    }
    // Mixed line ends in one file, and a last line without any.
    Parse(text::ReplaceAll(kThreeEntries, "\n", "\r\n") +
          "\r\r\n"
          "08-00-30   (hex)\t\tCERN\n"
          "080030     (base 16)\t\tCERN\r"
          "\t\t\t\tCH-1211 \r\n"
          "\t\t\t\tCH");
    ASSERT_EQ(Records(vendor).size(), 4u);
    EXPECT_EQ(Records(vendor)[2], expected[2]);
    EXPECT_EQ(Records(vendor)[3], (OUIRecord{0x080030, "08-00-30", "CERN", "CH-1211 , CH"}));
}

TEST_F(ListingTest, HeaderBlockIsSkippedWhereverItStands) {
    // The two lines after a header line are dropped even when they look like an entry.
    Parse(
        "00-00-01   (hex)\t\tFirst\n000001     (base 16)\t\tFirst\n\n"
        "OUI/MA-L   Organization\n"
        "00-00-02   (hex)\t\tHidden\n"
        "000002     (base 16)\t\tHidden\n"
        "\n"
        "   00-00-03   (hex)\t\tLast\n"
        "  000003     (base 16)\t\tLast\n"
        "\t\t\t\tLine 1\n");
    ASSERT_EQ(Records(vendor).size(), 2u);
    EXPECT_EQ(Records(vendor)[0].CompanyName, "First");
    EXPECT_EQ(Records(vendor)[1], (OUIRecord{3, "00-00-03", "Last", "Line 1"}));
    EXPECT_EQ(vendor.GetVendor(2, false, false), kUnknownVendor);
}

TEST_F(ListingTest, AddressEndsAtAnEmptyLineOrAtAFieldOfOneSpace) {
    Parse(
        "00-00-01   (hex)\t\tNo Address Inc\n"
        "000001     (base 16)\t\tNo Address Inc\n"
        "\n"
        "00-00-02   (hex)\t\tShort Address Ltd\n"
        "000002     (base 16)\t\tShort Address Ltd\n"
        "\t\t\t\tFirst line\n"
        "\t\t\t\t \n"
        // After the one-space field these lines start a new entry.
        "00-00-03   (hex)\t\tFollower\n"
        "000003     (base 16)\t\tFollower\n"
        "\t\t\t\tElsewhere\n"
        "\n"
        // Address fields of blanks are joined as they stand.
        "00-00-04   (hex)\t\tBlank Lines\n"
        "000004     (base 16)\t\tBlank Lines\n"
        "\t\t\t\t\n"
        "\t\t\t\t    \n"
        "\t\t\t\tGB\n");
    ASSERT_EQ(Records(vendor).size(), 4u);
    EXPECT_EQ(vendor.GetVendor(1, true, true), "[00-00-01] No Address Inc  (Address: )");
    EXPECT_EQ(Records(vendor)[1].CompanyAddress, "First line");
    EXPECT_EQ(Records(vendor)[2], (OUIRecord{3, "00-00-03", "Follower", "Elsewhere"}));
    EXPECT_EQ(Records(vendor)[3].CompanyAddress, "    , GB");
}

TEST_F(ListingTest, TextIsKeptAsUtf8AndOtherBytesAreReadAsWindows1252) {
    const std::string utf8 =
        "98-BA-39   (hex)\t\tDoro AB\n98BA39     (base 16)\t\tDoro AB\n"
        "\t\t\t\tJ\xC3\xB6rgen Kocksgatan 1B\n\t\t\t\tMalm\xC3\xB6\n\n"
        "00-00-02   (hex)\t\tTwo\n000002     (base 16)\t\tTwo\n";
    Parse(utf8);
    EXPECT_EQ(Records(vendor)[0].CompanyAddress, "J\xC3\xB6rgen Kocksgatan 1B, Malm\xC3\xB6");

    // One byte that is not UTF-8 makes the whole file Windows-1252.
    Parse(text::ReplaceAll(utf8, "Malm\xC3\xB6", "Malm\xF6 \x80"));
    EXPECT_EQ(Records(vendor)[0].CompanyAddress,
              "J\xC3\x83\xC2\xB6rgen Kocksgatan 1B, Malm\xC3\xB6 \xE2\x82\xAC");
}

TEST_F(ListingTest, MalformedListingsFailWithTheLineAndKeepTheTable) {
    Parse(MakeListing(3));
    const std::vector<OUIRecord> before = Records(vendor);
    const struct {
        const char* what;
        std::string listing;
        const char* expected;
    } cases[] = {
        {"first line without tab fields", "\n00-00-01 (hex) Name\n000001 (base 16)\t\tName\n",
         "line 2 "},
        {"address line with four fields",
         ListingEntry(1, "A", {}) + "00-00-02   (hex)\t\tB\n000002     (base 16)\t\tB\n"
                                    "\t\t\tShort\n",
         "line 6 "},
        {"base-16 line that is no number", "00-00-01   (hex)\t\tA\nzz0001     (base 16)\t\tA\n",
         "line 2 "},
        {"base-16 line that is empty", "00-00-01   (hex)\t\tA\n\n\t\t\t\tStreet\n", "line 2 "},
        {"number too long", "00-00-01   (hex)\t\tA\n1000001     (base 16)\t\tA\n", "line 2 "},
        {"entry cut after its first line", ListingEntry(1, "A", {"x"}) + "00-00-02   (hex)\t\tB",
         "line 5 "},
        {"no entry at all", "OUI/MA-L\r\ncompany_id\r\nAddress\r\n\r\n\r\n", "no vendor entry"},
        {"empty file", "", "no vendor entry"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Error error = ParseFailure(c.listing);
        EXPECT_EQ(error.Number(), 1);
        EXPECT_EQ(error.Source(), "NICVendor.ParseOUI");
        EXPECT_NE(error.Description().find(c.expected), std::string::npos) << error.Description();
        EXPECT_EQ(Records(vendor), before);
    }
    // Nothing but the listing itself is left in its folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(ListingTest, MissingListingFileFails) {
    try {
        vendor.ParseOUI(dir.File("missing.txt"));
        FAIL() << "a missing file was parsed";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), errnum::kFileNotFound);
        EXPECT_EQ(e.Source(), "NICVendor.ParseOUI");
    }
    EXPECT_FALSE(vendor.IsLoaded());
}

TEST_F(ListingTest, TableGrowsBeyondTwentyThousandEntriesAndOneEntryCountsAsEmpty) {
    Parse(MakeListing(25000));
    ASSERT_EQ(Records(vendor).size(), 25000u);
    EXPECT_EQ(vendor.GetVendor(0x001000 + 24999, false, false), "Vendor 24999");

    Parse(ListingEntry(0x00ABCD, "Only One", {"Somewhere"}));
    EXPECT_EQ(Records(vendor).size(), 1u);
    EXPECT_FALSE(vendor.IsLoaded());
    EXPECT_EQ(vendor.GetVendor(0x00ABCD, true, true), kUnknownVendor);
}

// The IEEE listing as Debian ships it: CR LF line ends, UTF-8, about 32,500 entries.
class RealListingTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        machine_ = new sim::Machine;
        vendor_ = new NICVendor(machine_->GetPlatform());
        vendor_->ParseOUI(kRealListing);
    }
    static void TearDownTestSuite() {
        delete vendor_;
        delete machine_;
    }
    static sim::Machine* machine_;
    static NICVendor* vendor_;
};
sim::Machine* RealListingTest::machine_ = nullptr;
NICVendor* RealListingTest::vendor_ = nullptr;

TEST_F(RealListingTest, EveryEntryIsReadWithItsOwnFields) {
    // Count the entries independently: one "(base 16)" line each.
    std::ifstream in(std::filesystem::path(kRealListing), std::ios::binary);
    size_t entries = 0;
    for (std::string line; std::getline(in, line);) {
        entries += line.find("(base 16)") != std::string::npos ? 1 : 0;
    }
    ASSERT_GT(entries, 30000u);
    ASSERT_EQ(Records(*vendor_).size(), entries);

    // A shifted entry would pair one entry's hex line with another's number.
    for (const OUIRecord& r : Records(*vendor_)) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%02X-%02X-%02X", (r.OUINumber >> 16) & 0xFF,
                      (r.OUINumber >> 8) & 0xFF, r.OUINumber & 0xFF);
        ASSERT_EQ(r.OUIText, hex);
        ASSERT_FALSE(r.CompanyName.empty()) << r.OUIText;
        ASSERT_EQ(r.CompanyName.find_first_of("\r\n\t"), std::string::npos) << r.OUIText;
        ASSERT_EQ(r.CompanyAddress.find_first_of("\r\n\t"), std::string::npos) << r.OUIText;
    }
    EXPECT_EQ(vendor_->GetVendor(0x002272, true, true),
              "[00-22-72] American Micro-Fuel Device Corp.  (Address: 2181 Buchanan Loop, "
              "Ferndale  WA  98248, US)");
    EXPECT_EQ(vendor_->GetVendor(0x98BA39, true, false),
              "Doro AB  (Address: J\xC3\xB6rgen Kocksgatan 1B, Malm\xC3\xB6  Skane  211 20, SE)");
}

TEST_F(RealListingTest, LookupsAnswerAsAScanFromTheStart) {
    const std::vector<OUIRecord>& records = Records(*vendor_);
    // Prefixes listed twice answer with their first entry.
    EXPECT_EQ(vendor_->GetVendor(0x0001C8, false, false), "THOMAS CONRAD CORP.");
    EXPECT_EQ(vendor_->GetVendor(0x080030, false, false), "NETWORK RESEARCH CORPORATION");

    for (int32_t number : {0x000000, 0xFFFFFF, 0x123456, -1, 0x1002272}) {
        bool listed = false;
        for (const OUIRecord& r : records) {
            listed = listed || r.OUINumber == number;
        }
        if (!listed) {
            EXPECT_EQ(vendor_->GetVendor(number, true, true), kUnknownVendor) << number;
        }
    }
    // Every listed prefix, against a scan of the table.
    for (size_t i = 0; i < records.size(); i += 7) {
        const int32_t number = records[i].OUINumber;
        size_t first = 0;
        while (records[first].OUINumber != number) {
            ++first;
        }
        ASSERT_EQ(vendor_->GetVendor(number, true, true),
                  "[" + records[first].OUIText + "] " + records[first].CompanyName +
                      "  (Address: " + records[first].CompanyAddress + ")");
    }
}

}  // namespace
}  // namespace vexav6::testing
