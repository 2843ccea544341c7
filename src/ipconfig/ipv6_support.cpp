#include "ipconfig/ipv6_support.h"

#include <cstddef>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "ipconfig/convert.h"

namespace vexav6::IPv6Support {
namespace {

constexpr size_t kFullLength = 39;
constexpr size_t kGroups = 8;

constexpr const char* kBadFormat = "Invalid IPv6 address string format.";
constexpr const char* kBadLength =
    "Invalid IPv6 address string format. String length must be 39 bytes.";
constexpr const char* kTooLong =
    "Invalid IPv6 address string format. String length must be 39 bytes or less.";

Error FormatError(const char* message) {
    return Error(errnum::kOwnCheck, "", message);
}

// One byte from the leading hexadecimal digits of `digits` (none gives 0); more than fits in a
// byte is an overflow. The value is capped while reading so that a long run of digits cannot wrap.
uint8_t HexByte(std::string_view digits) {
    unsigned value = 0;
    for (const char c : digits) {
        if (!text::IsHexDigit(c)) {
            break;
        }
        const unsigned digit = c <= '9' ? static_cast<unsigned>(c - '0')
                                        : static_cast<unsigned>(text::AsciiLower(c) - 'a' + 10);
        value = value * 16 + digit;
        if (value > 0xFF) {
            throw Error::Overflow();
        }
    }
    return static_cast<uint8_t>(value);
}

std::string PadGroup(std::string_view group) {
    std::string padded;
    if (group.size() < 4) {
        padded.assign(4 - group.size(), '0');
    }
    padded += group;
    return padded;
}

}  // namespace

std::array<uint8_t, 16> IPv6TextToBytes(std::string_view text) {
    const std::vector<std::string> groups = text::Split(text, ":");
    if (groups.size() < kGroups) {
        throw Error::SubscriptOutOfRange();
    }
    // A ninth group would otherwise be dropped without a word and a different address used.
    if (groups.size() > kGroups) {
        throw FormatError(kBadFormat);
    }
    std::array<uint8_t, 16> bytes{};
    for (size_t k = 0; k < kGroups; ++k) {
        const std::string group = PadGroup(groups[k]);
        const std::string_view view(group);
        bytes[2 * k] = HexByte(view.substr(0, 2));
        bytes[2 * k + 1] = HexByte(view.substr(2));
    }
    return bytes;
}

std::string IPv6BytesToText(std::span<const uint8_t, 16> bytes) {
    std::string out;
    out.reserve(kFullLength);
    for (size_t k = 0; k < kGroups; ++k) {
        if (k > 0) {
            out += ':';
        }
        out += Convert::ByteToHex(bytes[2 * k]);
        out += Convert::ByteToHex(bytes[2 * k + 1]);
    }
    return out;
}

std::string CompressIPv6Text(std::string_view text) {
    if (text.size() != kFullLength) {
        throw FormatError(kBadLength);
    }
    const std::vector<std::string> groups = text::Split(text, ":");
    if (groups.size() != kGroups) {
        throw FormatError(kBadFormat);
    }
    std::string out;
    bool runDone = false;
    size_t k = 0;
    while (k < groups.size()) {
        // Only the first run of zero groups is compressed, however long a later run is.
        if (!runDone && groups[k] == "0000") {
            while (k < groups.size() && groups[k] == "0000") {
                ++k;
            }
            out += "::";
            runDone = true;
            continue;
        }
        const std::string& group = groups[k];
        // Leading zeros go, down to one digit: "0000" becomes "0", "00A0" becomes "A0".
        size_t firstKept = group.find_first_not_of('0');
        if (firstKept == std::string::npos) {
            firstKept = group.empty() ? 0 : group.size() - 1;
        }
        const std::string_view trimmed = std::string_view(group).substr(firstKept);
        if (!out.empty() && out.back() != ':') {
            out += ':';
        }
        out += trimmed;
        ++k;
    }
    return out;
}

std::string ExpandIPv6Text(std::string_view text) {
    if (text.size() == kFullLength) {
        return std::string(text);
    }
    if (text.size() > kFullLength) {
        throw FormatError(kTooLong);
    }
    // An empty box is no address; without this it would read as one empty group, that is "::".
    if (text.empty()) {
        throw FormatError(kBadFormat);
    }
    // A leading or trailing "::" stands for one empty group, like "::" inside the text.
    std::string_view rest = text;
    const bool trailingRun = rest.size() >= 2 && rest.substr(rest.size() - 2) == "::";
    if (!rest.empty() && rest.front() == ':') {
        rest.remove_prefix(1);
    }
    if (trailingRun && !rest.empty()) {
        rest.remove_suffix(1);
    }
    const std::vector<std::string> groups = text::Split(rest, ":");
    size_t empty = 0;
    for (const std::string& group : groups) {
        empty += group.empty() ? 1 : 0;
    }
    // Two runs ("1::2::3") leave the length of each open: refuse rather than guess an address.
    if (empty > 1) {
        throw FormatError(kBadFormat);
    }
    const size_t given = groups.size() - empty;
    std::string out;
    for (const std::string& group : groups) {
        if (group.empty()) {
            for (size_t i = given; i < kGroups; ++i) {
                if (!out.empty()) {
                    out += ':';
                }
                out += "0000";
            }
            continue;
        }
        if (!out.empty()) {
            out += ':';
        }
        out += PadGroup(group);
    }
    return out;
}

}  // namespace vexav6::IPv6Support
