#include "ui/ip_input.h"

#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "ipconfig/mask_rules.h"

namespace vexav6::ui::IPInput {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

[[noreturn]] void Fail(const std::string& source, const std::string& description) {
    throw Error(errnum::kOwnCheck, source, description);
}

// The four octets of dotted decimal text, or nothing.
std::optional<std::vector<int>> Octets(std::string_view text) {
    const std::vector<std::string> pieces = text::Split(text, ".");
    if (pieces.size() != 4) {
        return std::nullopt;
    }
    std::vector<int> octets;
    for (const std::string& piece : pieces) {
        if (piece.empty() || piece.size() > 3) {
            return std::nullopt;
        }
        int value = 0;
        for (char c : piece) {
            if (!IsDigit(c)) {
                return std::nullopt;
            }
            value = value * 10 + (c - '0');
        }
        if (value > 255) {
            return std::nullopt;
        }
        octets.push_back(value);
    }
    return octets;
}

std::string Join(const std::vector<int>& octets) {
    return std::to_string(octets[0]) + "." + std::to_string(octets[1]) + "." +
           std::to_string(octets[2]) + "." + std::to_string(octets[3]);
}

bool IsHexGroup(std::string_view group) {
    return !group.empty() && group.size() <= 4 &&
           group.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
}

bool IsIPv6Text(std::string_view text) {
    const size_t gap = text.find("::");
    if (gap != std::string_view::npos && text.find("::", gap + 1) != std::string_view::npos) {
        return false;  // two runs of left-out groups
    }
    // The groups written out on either side of the "::" (or the whole text without one).
    auto groups = [](std::string_view side, size_t& count) {
        if (side.empty()) {
            return true;
        }
        for (const std::string& group : text::Split(side, ":")) {
            if (!IsHexGroup(group)) {
                return false;
            }
            ++count;
        }
        return true;
    };
    size_t count = 0;
    if (gap == std::string_view::npos) {
        return !text.empty() && groups(text, count) && count == 8;
    }
    return groups(text.substr(0, gap), count) && groups(text.substr(gap + 2), count) && count <= 7;
}

}  // namespace

std::optional<std::string> CanonicalIPv4(std::string_view text) {
    const auto octets = Octets(text);
    if (!octets) {
        return std::nullopt;
    }
    return Join(*octets);
}

std::string CheckIPv4Address(std::string_view text, const std::string& source) {
    if (text.empty()) {
        Fail(source, "Please enter an IPv4 address.");
    }
    const auto address = CanonicalIPv4(text);
    if (!address) {
        Fail(source, "\"" + std::string(text) +
                         "\" is not an IPv4 address: type four numbers from 0 to 255.");
    }
    return *address;
}

std::string CheckSubnetMask(std::string_view text, const std::string& source) {
    if (text.empty()) {
        Fail(source, "Please enter a subnet mask.");
    }
    const auto octets = Octets(text);
    bool valid = octets.has_value();
    if (valid) {
        const uint32_t mask = (static_cast<uint32_t>((*octets)[0]) << 24) |
                              (static_cast<uint32_t>((*octets)[1]) << 16) |
                              (static_cast<uint32_t>((*octets)[2]) << 8) |
                              static_cast<uint32_t>((*octets)[3]);
        // One bits first: the inverted mask plus one is a power of two (or zero for /32).
        const uint32_t hostBits = ~mask;
        valid = mask != 0 && (hostBits & (hostBits + 1)) == 0;
    }
    if (!valid) {
        Fail(source, "\"" + std::string(text) + "\" is not a subnet mask.");
    }
    return Join(*octets);
}

std::string CheckIPv6Address(std::string_view text, const std::string& source) {
    const std::string trimmed = text::Trim(text);
    if (trimmed.empty()) {
        Fail(source, "Please enter an IPv6 address.");
    }
    if (!IsIPv6Text(trimmed)) {
        Fail(source, "\"" + trimmed + "\" is not an IPv6 address.");
    }
    return trimmed;
}

uint8_t CheckIPv6PrefixLength(std::string_view text, const std::string& source) {
    const int64_t length = MaskRules::LeadingRoundedNumber(text);
    if (length < 0 || length > kMaxIPv6PrefixLength) {
        Fail(source, "The prefix length must be a number from 0 to 128.");
    }
    return static_cast<uint8_t>(length);
}

int32_t CheckRouteMetric(int64_t metric, const std::string& source) {
    if (metric < 0 || metric > kMaxRouteMetric) {
        Fail(source, "The route metric must be a number from 0 to 9999.");
    }
    return static_cast<int32_t>(metric);
}

}  // namespace vexav6::ui::IPInput
