#include "ipconfig/mask_rules.h"

#include <array>
#include <cstddef>
#include <vector>

#include "base/text.h"

namespace vexav6::MaskRules {
namespace {

struct MaskOctet {
    std::string_view text;
    int32_t bits;
};

constexpr std::array<MaskOctet, 9> kMaskOctets{{{"0", 0},
                                                {"128", 1},
                                                {"192", 2},
                                                {"224", 3},
                                                {"240", 4},
                                                {"248", 5},
                                                {"252", 6},
                                                {"254", 7},
                                                {"255", 8}}};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

int64_t LeadingRoundedNumber(std::string_view text) {
    constexpr int64_t kCap = 1'000'000'000;
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    int64_t whole = 0;
    while (at < text.size() && IsDigit(text[at])) {
        if (whole < kCap) {
            whole = whole * 10 + (text[at] - '0');
        }
        ++at;
    }
    if (at < text.size() && text[at] == '.') {
        ++at;
        const size_t fractionStart = at;
        while (at < text.size() && IsDigit(text[at])) {
            ++at;
        }
        const std::string_view fraction = text.substr(fractionStart, at - fractionStart);
        if (!fraction.empty()) {
            const bool restNonZero = fraction.find_first_not_of('0', 1) != std::string_view::npos;
            const char first = fraction[0];
            if (first > '5' || (first == '5' && (restNonZero || whole % 2 == 1))) {
                ++whole;
            }
        }
    }
    return negative ? -whole : whole;
}

MaskPrefix SubnetMaskToPrefixLength(std::string_view mask) {
    MaskPrefix result;
    const std::vector<std::string> octets = text::Split(mask, ".");
    for (size_t i = 0; i < octets.size(); ++i) {
        // A fifth octet would count past 32 bits; treat it as not a mask octet.
        const MaskOctet* known = nullptr;
        if (i < 4) {
            for (const MaskOctet& octet : kMaskOctets) {
                if (octet.text == octets[i]) {
                    known = &octet;
                    break;
                }
            }
        }
        if (known == nullptr) {
            result.stoppedAtUnknownOctet = true;
            break;
        }
        result.prefixLength += known->bits;
    }
    return result;
}

std::optional<std::string> PrefixLengthToSubnetMask(std::string_view prefixLength) {
    int64_t n = LeadingRoundedNumber(prefixLength);
    if (n < 0 || n > 32) {
        return std::nullopt;
    }
    std::string mask;
    for (int octet = 0; octet < 4; ++octet) {
        int value = 0;
        if (n >= 8) {
            value = 255;
        } else if (n > 0) {
            value = ((1 << n) - 1) << (8 - n);
        }
        if (octet > 0) {
            mask += '.';
        }
        mask += std::to_string(value);
        n -= 8;
    }
    return mask;
}

}  // namespace vexav6::MaskRules
