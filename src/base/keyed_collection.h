#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "base/error.h"
#include "base/text.h"

namespace vexav6 {

// How callers name an item: by its key text or by its 1-based position.
using CollectionIndex = std::variant<int32_t, std::string>;

// A list of items in insertion order, each under a unique text key. Keys compare without regard to
// the case of letters; adding a key that is already present fails and changes nothing.
//
// Failures are the ones users of such lists know: a duplicate key is error 457, an unknown key
// error 5, a position outside 1..Count() error 9.
template <class T>
class KeyedCollection {
    struct Entry {
        std::string key;
        T item;
    };

  public:
    int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
    bool Empty() const { return entries_.empty(); }

    void Add(T item, std::string key) {
        std::string folded = text::FoldCase(key);
        if (positions_.count(folded) != 0) {
            throw Error(errnum::kDuplicateKey, "", RuntimeErrorText(errnum::kDuplicateKey));
        }
        positions_.emplace(std::move(folded), entries_.size());
        entries_.push_back(Entry{std::move(key), std::move(item)});
    }

    bool Contains(std::string_view key) const { return positions_.count(text::FoldCase(key)) != 0; }

    // Items by 1-based position (int32_t), by key text, or by a CollectionIndex holding either.
    template <class Index>
    T& Item(const Index& index) {
        return entries_[Locate(index)].item;
    }
    template <class Index>
    const T& Item(const Index& index) const {
        return entries_[Locate(index)].item;
    }

    // The key of the item at a 1-based position, as it was given to Add.
    const std::string& Key(int32_t position) const { return entries_[Locate(position)].key; }

    template <class Index>
    void Remove(const Index& index) {
        Erase(Locate(index));
    }

    void Clear() {
        entries_.clear();
        positions_.clear();
    }

    // Iteration over the items in order.
    class ConstIterator;
    ConstIterator begin() const { return ConstIterator(entries_.begin()); }
    ConstIterator end() const { return ConstIterator(entries_.end()); }

    class ConstIterator {
      public:
        using Inner = typename std::vector<Entry>::const_iterator;
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = const T*;
        using reference = const T&;
        ConstIterator() = default;
        explicit ConstIterator(Inner it) : it_(it) {}
        const T& operator*() const { return it_->item; }
        const T* operator->() const { return &it_->item; }
        ConstIterator& operator++() {
            ++it_;
            return *this;
        }
        ConstIterator operator++(int) {
            ConstIterator before = *this;
            ++it_;
            return before;
        }
        bool operator==(const ConstIterator& other) const { return it_ == other.it_; }
        bool operator!=(const ConstIterator& other) const { return it_ != other.it_; }

      private:
        Inner it_;
    };

  private:
    size_t Locate(int32_t position) const {
        if (position < 1 || position > Count()) {
            throw Error::SubscriptOutOfRange();
        }
        return static_cast<size_t>(position - 1);
    }

    size_t Locate(std::string_view key) const {
        const auto it = positions_.find(text::FoldCase(key));
        if (it == positions_.end()) {
            throw Error::InvalidProcedureCall();
        }
        return it->second;
    }
    size_t Locate(const char* key) const { return Locate(std::string_view(key)); }
    size_t Locate(const std::string& key) const { return Locate(std::string_view(key)); }

    size_t Locate(const CollectionIndex& index) const {
        if (const auto* position = std::get_if<int32_t>(&index)) {
            return Locate(*position);
        }
        return Locate(std::string_view(std::get<std::string>(index)));
    }

    void Erase(size_t at) {
        positions_.erase(text::FoldCase(entries_[at].key));
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
        for (auto& [folded, position] : positions_) {
            if (position > at) {
                --position;
            }
        }
    }

    std::vector<Entry> entries_;
    std::unordered_map<std::string, size_t> positions_;
};

}  // namespace vexav6
