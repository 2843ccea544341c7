#include "vendors/vendor_index.h"

namespace vexav6 {

void VendorIndex::Build(const OUITable& table) {
    int bits = 1;
    while ((size_t{1} << bits) < table.Size() * 2) {
        ++bits;
    }
    slots_.assign(size_t{1} << bits, Slot{});
    mask_ = slots_.size() - 1;
    shift_ = 32 - bits;
    for (size_t position = 0; position < table.Size(); ++position) {
        const int32_t number = table.Number(position);
        for (size_t i = Home(number);; i = (i + 1) & mask_) {
            Slot& slot = slots_[i];
            if (slot.position < 0) {
                slot = Slot{number, static_cast<int32_t>(position)};
                break;
            }
            if (slot.number == number) {
                break;  // the first record with this number keeps the slot
            }
        }
    }
}

void VendorIndex::Clear() {
    slots_.clear();
    mask_ = 0;
    shift_ = 32;
}

}  // namespace vexav6
