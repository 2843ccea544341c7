#pragma once

#include <string_view>

#include "vendors/oui_table.h"

namespace vexav6 {

// Reads the text of the IEEE OUI listing (oui.txt) into records, in listing order.
//
// The listing is a header block (a line beginning with "OUI" and the two lines after it) and
// entries separated by empty lines. An entry is its hex line ("00-22-72   (hex)<TAB><TAB>Name"),
// its base-16 line ("002272     (base 16)<TAB><TAB>Name") and address lines whose text is the fifth
// tab field; a fifth field of exactly one space ends the address. Lines may end in CR LF, LF or a
// lone CR, and leading spaces of every line are dropped.
//
// The bytes are UTF-8 when they are valid UTF-8 as a whole, and Windows-1252 otherwise; the
// records always hold UTF-8.
//
// A malformed listing (a line without the tab fields its place in the entry needs, a base-16 line
// that does not begin with a hexadecimal number, an entry cut short, no entry at all) raises error
// 1 with `errorSource` as its source and the line number in the description.
OUITable ParseOUIListing(std::string_view listing, const char* errorSource);

}  // namespace vexav6
