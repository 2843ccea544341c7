#include "vendors/oui_table.h"

#include <limits>

#include "base/error.h"

namespace vexav6 {

OUIRecord OUITable::Record(size_t i) const {
    return OUIRecord{Number(i), std::string(OUIText(i)), std::string(CompanyName(i)),
                     std::string(CompanyAddress(i))};
}

void OUITable::Reserve(size_t records, size_t textBytes) {
    entries_.reserve(records);
    text_.reserve(text_.size() + textBytes);
}

OUITable::Span OUITable::Append(std::string_view text) {
    if (text.size() > std::numeric_limits<uint32_t>::max() - text_.size()) {
        throw Error::Overflow();
    }
    const Span span{static_cast<uint32_t>(text_.size()), static_cast<uint32_t>(text.size())};
    text_ += text;
    return span;
}

void OUITable::Add(int32_t number, std::string_view oui, std::string_view name,
                   std::string_view address) {
    const Span ouiSpan = Append(oui);
    const Span nameSpan = Append(name);
    const Span addressSpan = Append(address);
    AddInPlace(number, ouiSpan, nameSpan, addressSpan);
}

void OUITable::AddInPlace(int32_t number, Span oui, Span name, Span address) {
    entries_.push_back(Entry{number, oui, name, address});
}

}  // namespace vexav6
