#include "startup/command_line_items.h"

#include <charconv>

#include "base/error.h"
#include "base/text.h"
#include "system/common.h"

namespace vexav6::CommandLineItems {

namespace {

constexpr int32_t kMaxMetric = 9999;

[[noreturn]] void Fail(std::string_view option, std::string_view item, std::string_view reason) {
    throw Error(errnum::kOwnCheck, "",
                "Invalid item '" + std::string(item) + "' of option -" + std::string(option) +
                    ": " + std::string(reason) + ".");
}

// A whole number of decimal digits only, within [low, high].
std::optional<int32_t> ParseNumber(std::string_view text, int32_t low, int32_t high) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// The items of a list option. An empty argument is the empty list; an empty item among others is
// refused (the stored lists would get a hole that Windows reads as their end).
std::vector<std::string> ListItems(std::string_view option, std::string_view argument) {
    if (text::Trim(argument).empty()) {
        return {};
    }
    std::vector<std::string> items = SplitItems(argument);
    for (const std::string& item : items) {
        if (item.empty()) {
            throw Error(errnum::kOwnCheck, "",
                        "Invalid list of option -" + std::string(option) + " '" +
                            std::string(argument) + "': an item is empty.");
        }
    }
    return items;
}

template <class List>
void CheckNotGivenTwice(const List& list, const std::string& key, std::string_view option,
                        std::string_view item) {
    if (list.Contains(key)) {
        Fail(option, item, "the address is given twice");
    }
}

// Splits "left<separator>right"; without the separator the right part is absent.
std::pair<std::string_view, std::optional<std::string_view>> SplitAt(std::string_view item,
                                                                     char separator) {
    const size_t at = item.find(separator);
    if (at == std::string_view::npos) {
        return {item, std::nullopt};
    }
    return {item.substr(0, at), item.substr(at + 1)};
}

std::string MaskText(int32_t prefixLength) {
    const uint32_t mask =
        prefixLength == 0 ? 0u : 0xFFFFFFFFu << (32 - static_cast<uint32_t>(prefixLength));
    return IPv4Text(mask);
}

// A subnet mask: ones from the top, then zeros, and at least one bit set.
bool IsContiguousMask(uint32_t mask) {
    if (mask == 0) {
        return false;
    }
    const uint32_t inverted = ~mask;
    return (inverted & (inverted + 1)) == 0;
}

std::string IPv4Address(std::string_view option, std::string_view item, std::string_view text) {
    const std::optional<uint32_t> address = ParseIPv4(text);
    if (!address) {
        Fail(option, item,
             "'" + std::string(text) +
                 "' is not an IPv4 address (four numbers from 0 to 255 joined by dots)");
    }
    return IPv4Text(*address);
}

std::array<uint8_t, 16> IPv6Address(std::string_view option, std::string_view item,
                                    std::string_view text) {
    const std::optional<std::array<uint8_t, 16>> address = ParseIPv6(text);
    if (!address) {
        Fail(option, item, "'" + std::string(text) + "' is not an IPv6 address");
    }
    return *address;
}

int32_t Metric(std::string_view option, std::string_view item,
               std::optional<std::string_view> text) {
    if (!text) {
        return 0;
    }
    const std::optional<int32_t> metric = ParseNumber(*text, 0, kMaxMetric);
    if (!metric) {
        Fail(option, item, "the metric after \"@\" must be a whole number from 0 to 9999");
    }
    return *metric;
}

}  // namespace

std::vector<std::string> SplitItems(std::string_view argument) {
    std::vector<std::string> items;
    std::string rest(argument);
    do {
        items.push_back(text::Trim(Common::NextToken(rest, ",")));
    } while (!rest.empty());
    return items;
}

IPv4AddressList IPv4Addresses(std::string_view argument) {
    constexpr std::string_view kOption = "i";
    IPv4AddressList list;
    for (const std::string& item : ListItems(kOption, argument)) {
        const auto [addressText, maskText] = SplitAt(item, '/');
        const std::string address = IPv4Address(kOption, item, addressText);
        if (!maskText) {
            Fail(kOption, item,
                 "a prefix length or subnet mask must follow the address (10.0.0.2/24 or "
                 "10.0.0.2/255.255.255.0)");
        }
        std::string mask;
        if (maskText->find('.') == std::string_view::npos) {
            const std::optional<int32_t> prefix = ParseNumber(*maskText, 1, 32);
            if (!prefix) {
                Fail(kOption, item, "the prefix length must be a whole number from 1 to 32");
            }
            mask = MaskText(*prefix);
        } else {
            const std::optional<uint32_t> value = ParseIPv4(*maskText);
            if (!value || !IsContiguousMask(*value)) {
                Fail(kOption, item,
                     "'" + std::string(*maskText) +
                         "' is not a subnet mask (ones followed by zeros, such as 255.255.255.0)");
            }
            mask = IPv4Text(*value);
        }
        CheckNotGivenTwice(list, address, kOption, item);
        PresetLists::AddIPv4Address(list, address, mask);
    }
    return list;
}

IPv6AddressList IPv6Addresses(std::string_view argument) {
    constexpr std::string_view kOption = "i6";
    constexpr int32_t kDefaultPrefixLength = 64;
    IPv6AddressList list;
    for (const std::string& item : ListItems(kOption, argument)) {
        const auto [addressText, prefixText] = SplitAt(item, '/');
        const std::array<uint8_t, 16> address = IPv6Address(kOption, item, addressText);
        int32_t prefix = kDefaultPrefixLength;
        if (prefixText) {
            const std::optional<int32_t> given = ParseNumber(*prefixText, 1, 128);
            if (!given) {
                Fail(kOption, item, "the prefix length must be a whole number from 1 to 128");
            }
            prefix = *given;
        }
        IPv6AddressList one;
        PresetLists::AddIPv6Address(one, address, static_cast<uint8_t>(prefix));
        CheckNotGivenTwice(list, one.Key(1), kOption, item);
        PresetLists::AddIPv6Address(list, address, static_cast<uint8_t>(prefix));
    }
    return list;
}

IPv4GatewayList IPv4Gateways(std::string_view argument) {
    constexpr std::string_view kOption = "g";
    IPv4GatewayList list;
    for (const std::string& item : ListItems(kOption, argument)) {
        const auto [gatewayText, metricText] = SplitAt(item, '@');
        const std::string gateway = IPv4Address(kOption, item, gatewayText);
        const int32_t metric = Metric(kOption, item, metricText);
        CheckNotGivenTwice(list, gateway, kOption, item);
        PresetLists::AddIPv4Gateway(list, gateway, metric);
    }
    return list;
}

IPv6GatewayList IPv6Gateways(std::string_view argument) {
    constexpr std::string_view kOption = "g6";
    IPv6GatewayList list;
    for (const std::string& item : ListItems(kOption, argument)) {
        const auto [nextHopText, metricText] = SplitAt(item, '@');
        const std::array<uint8_t, 16> nextHop = IPv6Address(kOption, item, nextHopText);
        const int32_t metric = Metric(kOption, item, metricText);
        IPv6GatewayList one;
        PresetLists::AddIPv6Gateway(one, nextHop, metric);
        CheckNotGivenTwice(list, one.Key(1), kOption, item);
        PresetLists::AddIPv6Gateway(list, nextHop, metric);
    }
    return list;
}

NameServerList IPv4NameServers(std::string_view argument) {
    constexpr std::string_view kOption = "d";
    NameServerList list;
    for (const std::string& item : ListItems(kOption, argument)) {
        const std::string server = IPv4Address(kOption, item, item);
        CheckNotGivenTwice(list, server, kOption, item);
        PresetLists::AddNameServer(list, server);
    }
    return list;
}

NameServerList IPv6NameServers(std::string_view argument) {
    constexpr std::string_view kOption = "d6";
    NameServerList list;
    for (const std::string& item : ListItems(kOption, argument)) {
        IPv6Address(kOption, item, item);
        // Kept as written: the stored list is text, and the user's form is as good as any.
        CheckNotGivenTwice(list, item, kOption, item);
        PresetLists::AddNameServer(list, item);
    }
    return list;
}

std::optional<uint32_t> ParseIPv4(std::string_view text) {
    const std::vector<std::string> parts = text::Split(text, ".");
    if (parts.size() != 4) {
        return std::nullopt;
    }
    uint32_t address = 0;
    for (const std::string& part : parts) {
        if (part.size() > 3) {
            return std::nullopt;
        }
        const std::optional<int32_t> octet = ParseNumber(part, 0, 255);
        if (!octet) {
            return std::nullopt;
        }
        address = (address << 8) | static_cast<uint32_t>(*octet);
    }
    return address;
}

std::string IPv4Text(uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::optional<std::array<uint8_t, 16>> ParseIPv6(std::string_view text) {
    // Groups before and after the "::" (if any), as 16-bit values.
    std::vector<uint16_t> head;
    std::vector<uint16_t> tail;
    bool compressed = false;
    const size_t gap = text.find("::");
    std::string_view headText = text;
    std::string_view tailText;
    if (gap != std::string_view::npos) {
        compressed = true;
        headText = text.substr(0, gap);
        tailText = text.substr(gap + 2);
        if (tailText.find("::") != std::string_view::npos) {
            return std::nullopt;
        }
    }

    // Reads one side; only the last group of the whole text may be an IPv4 address.
    const auto readGroups = [](std::string_view side, bool mayEndInIPv4,
                               std::vector<uint16_t>& groups) {
        if (side.empty()) {
            return true;
        }
        const std::vector<std::string> parts = text::Split(side, ":");
        for (size_t i = 0; i < parts.size(); ++i) {
            const std::string& part = parts[i];
            if (mayEndInIPv4 && i + 1 == parts.size() && part.find('.') != std::string::npos) {
                const std::optional<uint32_t> ipv4 = ParseIPv4(part);
                if (!ipv4) {
                    return false;
                }
                groups.push_back(static_cast<uint16_t>(*ipv4 >> 16));
                groups.push_back(static_cast<uint16_t>(*ipv4 & 0xFFFF));
                continue;
            }
            if (part.empty() || part.size() > 4) {
                return false;
            }
            unsigned value = 0;
            const auto [end, error] =
                std::from_chars(part.data(), part.data() + part.size(), value, 16);
            if (error != std::errc() || end != part.data() + part.size()) {
                return false;
            }
            groups.push_back(static_cast<uint16_t>(value));
        }
        return true;
    };

    if (!readGroups(headText, !compressed, head) || !readGroups(tailText, compressed, tail)) {
        return std::nullopt;
    }
    const size_t given = head.size() + tail.size();
    if (compressed ? given > 7 : given != 8) {
        return std::nullopt;
    }
    std::array<uint16_t, 8> groups{};
    for (size_t i = 0; i < head.size(); ++i) {
        groups[i] = head[i];
    }
    for (size_t i = 0; i < tail.size(); ++i) {
        groups[8 - tail.size() + i] = tail[i];
    }
    std::array<uint8_t, 16> bytes{};
    for (size_t i = 0; i < 8; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(groups[i] >> 8);
        bytes[2 * i + 1] = static_cast<uint8_t>(groups[i] & 0xFF);
    }
    return bytes;
}

}  // namespace vexav6::CommandLineItems
