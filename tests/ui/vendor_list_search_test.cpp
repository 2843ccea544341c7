#include "ui/vendor_list_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "platform/sim/machine.h"
#include "vendors/vendor_test_support.h"

namespace vexav6::testing {
namespace {

using ui::VendorListSearch;

std::vector<std::string> Shown(const VendorListSearch& search) {
    std::vector<std::string> rows;
    for (size_t row = 0; row < search.MatchCount(); ++row) {
        rows.emplace_back(search.Item(search.MatchAt(row)));
    }
    return rows;
}

TEST(VendorListSearchTest, NarrowsByPrefixFirstThenByWords) {
    VendorListSearch search;
    for (const char* item : {"[00-1A-2B] Example Networks Inc.", "[AC-E0-10] Acme Corp.",
                             "[00-1A-3C] Ace Networks  (Address: 1 Ace Road, Springfield, US)",
                             "[F4-00-1A] Other Example Ltd."}) {
        search.AddItem(item);
    }
    EXPECT_EQ(search.MatchCount(), 4u);

    // Every way of writing a prefix, a whole address included.
    for (const char* query : {"00-1A-2B", "001a2b", "00:1a:2b", "00-1A-2B-3C-4D-5E"}) {
        search.SetQuery(query);
        EXPECT_EQ(Shown(search), std::vector<std::string>{"[00-1A-2B] Example Networks Inc."})
            << query;
    }
    // "ace" is hex: the prefix AC-E... comes first, then the names that hold the word.
    search.SetQuery("ace");
    EXPECT_EQ(Shown(search), (std::vector<std::string>{"[AC-E0-10] Acme Corp.",
                                                       "[00-1A-3C] Ace Networks  (Address: 1 "
                                                       "Ace Road, Springfield, US)"}));
    // Every word must be there, in any order and case; the address counts.
    search.SetQuery("  networks   SPRINGFIELD ");
    EXPECT_EQ(search.MatchCount(), 1u);
    EXPECT_EQ(search.RowOf(2), 0u);
    EXPECT_EQ(search.RowOf(0), VendorListSearch::kNoRow);
    search.SetQuery("example");
    EXPECT_EQ(search.MatchCount(), 2u);
    search.SetQuery("zebra");
    EXPECT_EQ(search.MatchCount(), 0u);
    search.SetQuery("");
    EXPECT_EQ(search.MatchCount(), 4u);

    EXPECT_EQ(VendorListSearch::ItemOUI("[F4-00-1A] Other"), 0xF4001A);
    EXPECT_EQ(VendorListSearch::ItemOUI("F4-00-1A Other"), -1);
}

// Typing letter by letter narrows the previous matches only; the result must be what a search
// from scratch finds, over the whole IEEE listing.
TEST(VendorListSearchTest, TypingOverTheWholeListingMatchesAFreshSearch) {
    sim::Machine machine;
    NICVendor vendors(machine.GetPlatform());
    try {
        vendors.ParseOUI(kRealListing);
    } catch (const Error&) {
        GTEST_SKIP() << kRealListing << " is missing (Debian package ieee-data)";
    }
    VendorListSearch typed;
    vendors.PopulateCombo(typed, true);
    ASSERT_GT(typed.Count(), 30000u);
    VendorListSearch fresh;
    for (size_t i = 0; i < typed.Count(); ++i) {
        fresh.AddItem(std::string(typed.Item(i)));
    }

    for (const std::string text : {"intel corp", "00-1b-2", "cisco systems, inc", "ac de"}) {
        for (size_t length = 1; length <= text.size(); ++length) {
            const std::string query = text.substr(0, length);
            typed.SetQuery(query);
            fresh.SetQuery("");
            fresh.SetQuery(query);
            ASSERT_EQ(Shown(typed), Shown(fresh)) << "query '" << query << "'";
        }
        EXPECT_GT(typed.MatchCount(), 0u) << text;
        typed.SetQuery("");
    }
}

}  // namespace
}  // namespace vexav6::testing
