#pragma once

#include <cstdint>
#include <vector>

#include "vendors/oui_table.h"

namespace vexav6 {

// Finds the first record of a table with a given OUINumber in constant time: an open-addressing
// hash table from number to table position, at most half full. Built once per table; a number
// that occurs more than once keeps its first position, as a scan from the start would find it.
class VendorIndex {
  public:
    void Build(const OUITable& table);
    void Clear();

    // Position of the first record with this number, or -1.
    int32_t Find(int32_t number) const {
        if (slots_.empty()) {
            return -1;
        }
        for (size_t i = Home(number);; i = (i + 1) & mask_) {
            const Slot& slot = slots_[i];
            if (slot.position < 0 || slot.number == number) {
                return slot.position;
            }
        }
    }

  private:
    struct Slot {
        int32_t number = 0;
        int32_t position = -1;  // -1: empty
    };

    size_t Home(int32_t number) const {
        // Fibonacci hashing: prefixes of one vendor are often neighbours, the multiplication
        // spreads them over the table.
        return static_cast<size_t>((static_cast<uint32_t>(number) * 2654435769u) >> shift_) & mask_;
    }

    std::vector<Slot> slots_;
    size_t mask_ = 0;
    int shift_ = 32;
};

}  // namespace vexav6
