#pragma once

#include <cstdint>
#include <string>

namespace vexav6 {

// One entry of the IEEE OUI listing: a registered MAC address prefix and the organisation that
// owns it. Texts are UTF-8.
struct OUIRecord {
    // The prefix as a number, 0 to 16,777,215, first octet in the high byte.
    int32_t OUINumber = 0;
    // The prefix as the listing prints it: "00-1A-2B".
    std::string OUIText;
    std::string CompanyName;
    // The entry's address lines joined by ", "; empty when the entry has none.
    std::string CompanyAddress;

    friend bool operator==(const OUIRecord&, const OUIRecord&) = default;
};

}  // namespace vexav6
