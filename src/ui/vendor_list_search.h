#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vendors/nic_vendor.h"

namespace vexav6::ui {

// The items of the vendor drop-down ("[00-1A-2B] Name" or "[00-1A-2B] Name  (Address: ...)", as
// the vendor database's PopulateCombo appends them) and the narrowing search over them.
//
// The drop-down shows the matches of the current query: every item while the query is empty;
// otherwise first the items whose prefix begins with the hex digits typed ("00-1A-2B", "001a2b",
// "00:1A" or a whole MAC address; separators and case do not matter), then the items whose text
// holds every blank-separated word of the query, without regard to case, each in listing order.
//
// A query that extends the previous one searches only the previous matches, so typing a name
// letter by letter gets quicker with every letter.
class VendorListSearch : public VendorList {
  public:
    static constexpr size_t kNoRow = static_cast<size_t>(-1);

    void Clear();
    // Appends one item (PopulateCombo calls it once per record).
    void AddItem(const std::string& item) override;
    size_t Count() const { return starts_.size() - 1; }
    std::string_view Item(size_t index) const {
        return std::string_view(text_).substr(starts_[index], starts_[index + 1] - starts_[index]);
    }

    // Narrows the matches to the query.
    void SetQuery(std::string_view query);
    // Searches the current query again over all items (after items were added).
    void Refresh();
    const std::string& Query() const { return query_; }
    size_t MatchCount() const { return all_ ? Count() : matches_.size(); }
    // The item index shown in a row of the matches.
    size_t MatchAt(size_t row) const { return all_ ? row : matches_[row]; }
    // The row that shows an item, or kNoRow when the item is not among the matches.
    size_t RowOf(size_t index) const;

    // The prefix number of an item: characters 2 to 9 ("00-1A-2B") read as hex, or -1 when the
    // item does not begin with a bracketed prefix.
    static int32_t ItemOUI(std::string_view item);

  private:
    void Search(const std::vector<uint32_t>* candidates);
    std::string_view Lowered(size_t index) const;

    // The items back to back, as given and in lower case: item i is [starts_[i], starts_[i + 1])
    // of each. One buffer each rather than a string per item: 32,000 items fill in a few
    // allocations.
    std::string text_;
    std::string lowered_;
    std::vector<uint32_t> starts_{0};
    std::vector<int32_t> ouis_;

    std::string query_;
    bool all_ = true;
    std::vector<uint32_t> matches_;
};

}  // namespace vexav6::ui
