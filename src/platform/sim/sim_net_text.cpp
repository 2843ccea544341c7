#include "platform/sim/sim_net_text.h"

#include <charconv>
#include <cstdio>

#include "base/text.h"

namespace vexav6::sim::nettext {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// One group of an IPv6 address: 1 to 4 hex digits.
bool ParseGroup(std::string_view group, uint16_t& value) {
    if (group.empty() || group.size() > 4) {
        return false;
    }
    value = 0;
    for (const char c : group) {
        const int digit = HexValue(c);
        if (digit < 0) {
            return false;
        }
        value = static_cast<uint16_t>(value * 16 + digit);
    }
    return true;
}

bool ParseGroups(std::string_view text, std::vector<uint16_t>& groups) {
    groups.clear();
    if (text.empty()) {
        return true;
    }
    for (const std::string& part : text::Split(text, ":")) {
        uint16_t value = 0;
        if (!ParseGroup(part, value)) {
            return false;
        }
        groups.push_back(value);
    }
    return true;
}

}  // namespace

bool ParseIpv4(std::string_view textValue, uint32_t& address) {
    const std::vector<std::string> parts = text::Split(textValue, ".");
    if (parts.size() != 4) {
        return false;
    }
    uint32_t result = 0;
    for (size_t i = 0; i < 4; ++i) {
        const std::string& part = parts[i];
        if (part.empty() || part.size() > 3) {
            return false;
        }
        unsigned value = 0;
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (error != std::errc() || end != part.data() + part.size() || value > 255) {
            return false;
        }
        result |= value << (8 * i);
    }
    address = result;
    return true;
}

std::string FormatIpv4(uint32_t address) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", address & 0xFF, (address >> 8) & 0xFF,
                  (address >> 16) & 0xFF, (address >> 24) & 0xFF);
    return buffer;
}

uint32_t HostOrder(uint32_t address) {
    return ((address & 0xFF) << 24) | ((address & 0xFF00) << 8) | ((address >> 8) & 0xFF00) |
           (address >> 24);
}

uint32_t NetworkOrder(uint32_t hostOrder) {
    return HostOrder(hostOrder);
}

bool IsContiguousMask(uint32_t mask) {
    const uint32_t host = HostOrder(mask);
    const uint32_t inverted = ~host;
    return (inverted & (inverted + 1)) == 0;
}

uint32_t PrefixToMask(int prefixLength) {
    if (prefixLength <= 0) {
        return 0;
    }
    if (prefixLength >= 32) {
        return 0xFFFFFFFF;
    }
    return NetworkOrder(~((1u << (32 - prefixLength)) - 1));
}

bool ParseIpv6(std::string_view textValue, Ipv6Bytes& bytes) {
    std::vector<uint16_t> head;
    std::vector<uint16_t> tail;
    const size_t gap = textValue.find("::");
    if (gap == std::string_view::npos) {
        if (!ParseGroups(textValue, head) || head.size() != 8) {
            return false;
        }
    } else {
        if (textValue.find("::", gap + 1) != std::string_view::npos) {
            return false;
        }
        if (!ParseGroups(textValue.substr(0, gap), head) ||
            !ParseGroups(textValue.substr(gap + 2), tail) || head.size() + tail.size() > 7) {
            return false;
        }
    }
    std::array<uint16_t, 8> groups{};
    for (size_t i = 0; i < head.size(); ++i) {
        groups[i] = head[i];
    }
    for (size_t i = 0; i < tail.size(); ++i) {
        groups[8 - tail.size() + i] = tail[i];
    }
    for (size_t i = 0; i < 8; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(groups[i] >> 8);
        bytes[2 * i + 1] = static_cast<uint8_t>(groups[i] & 0xFF);
    }
    return true;
}

std::string FormatIpv6(const Ipv6Bytes& bytes) {
    std::array<uint16_t, 8> groups{};
    for (size_t i = 0; i < 8; ++i) {
        groups[i] = static_cast<uint16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1]);
    }
    // The longest run of two or more zero groups becomes "::" (the first one when runs tie).
    int bestStart = -1;
    int bestLength = 1;
    for (int i = 0; i < 8;) {
        if (groups[i] != 0) {
            ++i;
            continue;
        }
        int j = i;
        while (j < 8 && groups[j] == 0) {
            ++j;
        }
        if (j - i > bestLength) {
            bestStart = i;
            bestLength = j - i;
        }
        i = j;
    }
    std::string result;
    char buffer[8];
    for (int i = 0; i < 8; ++i) {
        if (i == bestStart) {
            result += "::";
            i += bestLength - 1;
            continue;
        }
        if (!result.empty() && result.back() != ':') {
            result += ':';
        }
        std::snprintf(buffer, sizeof buffer, "%x", groups[i]);
        result += buffer;
    }
    return result;
}

bool ParseIpv6Prefix(std::string_view textValue, Ipv6Bytes& bytes, int& prefixLength) {
    const size_t slash = textValue.find('/');
    if (slash == std::string_view::npos) {
        return false;
    }
    const std::string_view lengthText = textValue.substr(slash + 1);
    int length = 0;
    const auto [end, error] =
        std::from_chars(lengthText.data(), lengthText.data() + lengthText.size(), length);
    if (error != std::errc() || end != lengthText.data() + lengthText.size() || length < 0 ||
        length > 128) {
        return false;
    }
    if (!ParseIpv6(textValue.substr(0, slash), bytes)) {
        return false;
    }
    prefixLength = length;
    return true;
}

bool ParseMac(std::string_view textValue, MacBytes& mac) {
    std::string digits;
    for (size_t i = 0; i < textValue.size(); ++i) {
        const char c = textValue[i];
        if (c == '-' || c == ':') {
            // Separators only between pairs.
            if (digits.size() % 2 != 0 || digits.empty()) {
                return false;
            }
            continue;
        }
        if (HexValue(c) < 0) {
            return false;
        }
        digits += c;
    }
    if (digits.size() != 12) {
        return false;
    }
    for (size_t i = 0; i < 6; ++i) {
        mac[i] = static_cast<uint8_t>(HexValue(digits[2 * i]) * 16 + HexValue(digits[2 * i + 1]));
    }
    return true;
}

std::string FormatMac(const MacBytes& mac) {
    std::string result;
    for (size_t i = 0; i < mac.size(); ++i) {
        if (i > 0) {
            result += '-';
        }
        result += ToHex(&mac[i], 1);
    }
    return result;
}

std::string ToHex(const uint8_t* data, size_t size, bool spaced) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(size * 3);
    for (size_t i = 0; i < size; ++i) {
        if (spaced && i > 0) {
            result += ' ';
        }
        result += kDigits[data[i] >> 4];
        result += kDigits[data[i] & 0x0F];
    }
    return result;
}

bool ParseHex(std::string_view textValue, std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> result;
    int high = -1;
    for (const char c : textValue) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (high >= 0) {
                return false;  // a blank inside a pair
            }
            continue;
        }
        const int digit = HexValue(c);
        if (digit < 0) {
            return false;
        }
        if (high < 0) {
            high = digit;
        } else {
            result.push_back(static_cast<uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0) {
        return false;
    }
    bytes = std::move(result);
    return true;
}

std::string LuidHex(uint64_t luid) {
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<uint8_t>(luid >> (8 * i));
    }
    return ToHex(bytes, 8);
}

bool IsValidUtf8(std::string_view textValue) {
    size_t i = 0;
    while (i < textValue.size()) {
        const auto c = static_cast<unsigned char>(textValue[i]);
        size_t extra = 0;
        uint32_t codePoint = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            codePoint = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            codePoint = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            codePoint = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= textValue.size()) {
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(textValue[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        if ((extra == 1 && codePoint < 0x80) || (extra == 2 && codePoint < 0x800) ||
            (extra == 3 && (codePoint < 0x10000 || codePoint > 0x10FFFF)) ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

}  // namespace vexav6::sim::nettext
