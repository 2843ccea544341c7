#include "ui/vendor_list_search.h"

#include <algorithm>

#include "base/text.h"

namespace vexav6::ui {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

struct ParsedQuery {
    std::vector<std::string> words;  // lower case
    // The hex digits of a query made only of hex digits and separators: at most six, the prefix
    // they begin.
    int hexDigits = 0;
    int32_t hexValue = 0;
};

ParsedQuery Parse(std::string_view query) {
    ParsedQuery parsed;
    std::string word;
    bool hexLike = true;
    int digits = 0;
    int32_t value = 0;
    for (const char c : query) {
        if (IsBlank(c)) {
            if (!word.empty()) {
                parsed.words.push_back(word);
                word.clear();
            }
        } else {
            word += text::AsciiLower(c);
        }
        if (text::IsHexDigit(c)) {
            if (digits < 6) {
                value = value * 16 + static_cast<int32_t>(text::LeadingHexValue(std::string(1, c)));
                ++digits;
            }
        } else if (c != '-' && c != ':' && c != '.' && !IsBlank(c)) {
            hexLike = false;
        }
    }
    if (!word.empty()) {
        parsed.words.push_back(word);
    }
    if (hexLike && digits > 0) {
        parsed.hexDigits = digits;
        parsed.hexValue = value;
    }
    return parsed;
}

}  // namespace

void VendorListSearch::Clear() {
    text_.clear();
    lowered_.clear();
    starts_.assign(1, 0);
    ouis_.clear();
    all_ = query_.empty();
    matches_.clear();
}

void VendorListSearch::AddItem(const std::string& item) {
    text_ += item;
    const size_t at = lowered_.size();
    lowered_.resize(at + item.size());
    for (size_t i = 0; i < item.size(); ++i) {
        const char c = item[i];
        lowered_[at + i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    starts_.push_back(static_cast<uint32_t>(lowered_.size()));
    ouis_.push_back(ItemOUI(item));
}

std::string_view VendorListSearch::Lowered(size_t index) const {
    return std::string_view(lowered_).substr(starts_[index], starts_[index + 1] - starts_[index]);
}

int32_t VendorListSearch::ItemOUI(std::string_view item) {
    if (item.size() < 10 || item[0] != '[' || item[3] != '-' || item[6] != '-' || item[9] != ']') {
        return -1;
    }
    int32_t value = 0;
    for (const size_t i : {1, 2, 4, 5, 7, 8}) {
        if (!text::IsHexDigit(item[i])) {
            return -1;
        }
        value = value * 16 + static_cast<int32_t>(text::LeadingHexValue(item.substr(i, 1)));
    }
    return value;
}

void VendorListSearch::SetQuery(std::string_view query) {
    const std::string previous = query_;
    const bool wasAll = all_;
    query_ = std::string(query);
    if (text::Trim(query_).empty()) {
        all_ = true;
        matches_.clear();
        return;
    }
    // Every item that matches the longer query matched the shorter one: search only those.
    if (!wasAll && !text::Trim(previous).empty() && query_.starts_with(previous)) {
        std::vector<uint32_t> candidates = matches_;
        std::sort(candidates.begin(), candidates.end());
        Search(&candidates);
    } else {
        Search(nullptr);
    }
}

void VendorListSearch::Refresh() {
    if (text::Trim(query_).empty()) {
        all_ = true;
        matches_.clear();
        return;
    }
    Search(nullptr);
}

void VendorListSearch::Search(const std::vector<uint32_t>* candidates) {
    const ParsedQuery parsed = Parse(query_);
    const int shift = 4 * (6 - parsed.hexDigits);
    std::vector<uint32_t> byPrefix;
    std::vector<uint32_t> byText;
    const auto visit = [&](uint32_t i) {
        if (parsed.hexDigits > 0 && ouis_[i] >= 0 && (ouis_[i] >> shift) == parsed.hexValue) {
            byPrefix.push_back(i);
            return;
        }
        const std::string_view item = Lowered(i);
        for (const std::string& word : parsed.words) {
            if (item.find(word) == std::string_view::npos) {
                return;
            }
        }
        byText.push_back(i);
    };
    if (candidates != nullptr) {
        for (const uint32_t i : *candidates) {
            visit(i);
        }
    } else {
        for (uint32_t i = 0; i < Count(); ++i) {
            visit(i);
        }
    }
    all_ = false;
    matches_ = std::move(byPrefix);
    matches_.insert(matches_.end(), byText.begin(), byText.end());
}

size_t VendorListSearch::RowOf(size_t index) const {
    if (all_) {
        return index < Count() ? index : kNoRow;
    }
    const auto found = std::find(matches_.begin(), matches_.end(), index);
    return found == matches_.end() ? kNoRow : static_cast<size_t>(found - matches_.begin());
}

}  // namespace vexav6::ui
