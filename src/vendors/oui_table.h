#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vendors/oui_record.h"

namespace vexav6 {

// The vendor table in a compact form: one small entry per record and all texts side by side in
// one buffer. Some 32,000 records load, parse and free as a handful of allocations instead of tens
// of thousands of strings. Records keep the order they were added in; texts are UTF-8.
class OUITable {
  public:
    // Records whose texts are `text` (for example the bytes of a database file) can be added
    // with AddInPlace, naming where their texts already stand in it.
    explicit OUITable(std::string text = {}) : text_(std::move(text)) {}

    size_t Size() const { return entries_.size(); }
    int32_t Number(size_t i) const { return entries_[i].number; }
    std::string_view OUIText(size_t i) const { return Text(entries_[i].oui); }
    std::string_view CompanyName(size_t i) const { return Text(entries_[i].name); }
    std::string_view CompanyAddress(size_t i) const { return Text(entries_[i].address); }
    OUIRecord Record(size_t i) const;

    void Reserve(size_t records, size_t textBytes);
    // Copies the texts. Fails with error 6 (Overflow) when the texts pass 4 GB.
    void Add(int32_t number, std::string_view oui, std::string_view name, std::string_view address);

    // The buffer of all texts (for reading records from it while adding them in place).
    const std::string& Buffer() const { return text_; }

    // A text already in the buffer.
    struct Span {
        uint32_t offset = 0;
        uint32_t length = 0;
    };
    void AddInPlace(int32_t number, Span oui, Span name, Span address);
    // Appends a text to the buffer and tells where it stands.
    Span Append(std::string_view text);

  private:
    struct Entry {
        int32_t number;
        Span oui;
        Span name;
        Span address;
    };

    std::string_view Text(Span s) const {
        return std::string_view(text_).substr(s.offset, s.length);
    }

    std::vector<Entry> entries_;
    std::string text_;
};

}  // namespace vexav6
