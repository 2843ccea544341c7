#include "ipconfig/ipv4_support.h"

#include <array>
#include <cstddef>
#include <optional>

namespace vexav6::IPv4Support {
namespace {

// Reads one part of a dotted address from `at`: "0x" then hexadecimal digits, "0" then octal
// digits, or decimal digits. Stops before the first character that is not a digit of the part's
// base; a part without any digit, an octal part with 8 or 9 and a value above 32 bits are refused.
std::optional<uint64_t> ReadPart(std::string_view text, size_t& at) {
    unsigned base = 10;
    if (at < text.size() && text[at] == '0') {
        if (at + 1 < text.size() && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
            base = 16;
            at += 2;
        } else {
            base = 8;
        }
    }
    uint64_t value = 0;
    size_t digits = 0;
    while (at < text.size()) {
        const char c = text[at];
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            break;
        }
        if (digit >= base) {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > 0xFFFFFFFFull) {
            return std::nullopt;
        }
        ++digits;
        ++at;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    return value;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::string IPv4AddressToText(uint32_t address) {
    return InetNtoa(address);
}

uint32_t InetAddr(std::string_view text) {
    std::array<uint64_t, 4> parts{};
    size_t count = 0;
    size_t at = 0;
    while (true) {
        const std::optional<uint64_t> part = ReadPart(text, at);
        if (!part) {
            return kInaddrNone;
        }
        parts[count++] = *part;
        if (at < text.size() && text[at] == '.') {
            if (count == parts.size()) {
                return kInaddrNone;
            }
            ++at;
            continue;
        }
        break;
    }
    for (; at < text.size(); ++at) {
        if (!IsBlank(text[at])) {
            return kInaddrNone;
        }
    }

    // The leading parts are one byte each; the last part fills the bytes that are left.
    for (size_t i = 0; i + 1 < count; ++i) {
        if (parts[i] > 0xFF) {
            return kInaddrNone;
        }
    }
    const unsigned lastBits = 8 * static_cast<unsigned>(5 - count);
    if (lastBits < 32 && parts[count - 1] >= (uint64_t{1} << lastBits)) {
        return kInaddrNone;
    }
    uint64_t hostOrder = parts[count - 1];
    for (size_t i = 0; i + 1 < count; ++i) {
        hostOrder |= parts[i] << (24 - 8 * i);
    }
    // Network byte order: the first octet goes to the lowest byte.
    const auto h = static_cast<uint32_t>(hostOrder);
    return (h >> 24) | ((h >> 8) & 0xFF00u) | ((h << 8) & 0xFF0000u) | (h << 24);
}

std::string InetNtoa(uint32_t address) {
    std::string out;
    out.reserve(15);
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            out += '.';
        }
        out += std::to_string((address >> (8 * i)) & 0xFFu);
    }
    return out;
}

}  // namespace vexav6::IPv4Support
