#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// How the add-address dialog turns a dotted subnet mask into a prefix length and back.
namespace vexav6::MaskRules {

struct MaskPrefix {
    // Bits counted up to the end of the mask or up to the octet that stopped the count.
    int32_t prefixLength = 0;
    // True when an octet was not one of the nine mask octets (0, 128, ... 254, 255) or a fifth
    // octet followed: the caller signals the error and shows the count so far.
    bool stoppedAtUnknownOctet = false;
};

// Adds the bits of each octet in turn. The octets are counted independently (255.0.255.0 gives 16)
// and fewer than four octets give the sum of those present.
MaskPrefix SubnetMaskToPrefixLength(std::string_view mask);

// The number a text begins with, rounded to a whole number with halves to even: blanks, an
// optional sign, digits and a decimal fraction; anything after it is ignored and no number at all
// is 0 ("25 bits" is 25, "20.5" is 20). Whole parts beyond 1,000,000,000 are capped there. The add
// dialogs read their prefix and metric boxes this way.
int64_t LeadingRoundedNumber(std::string_view text);

// The mask of the prefix length that the text begins with (rounded half to even; trailing
// characters ignored; empty text is 0); no mask when the length is outside 0..32.
std::optional<std::string> PrefixLengthToSubnetMask(std::string_view prefixLength);

}  // namespace vexav6::MaskRules
