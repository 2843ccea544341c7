#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "presets/preset.h"

// The list arguments of the command line: addresses, gateways and DNS servers, separated by
// commas. Every item is checked before anything is changed; a bad one fails with error 1 (no
// source) and a description that names the item, the option and what is wrong.
//
// Item forms (docs/command-line.md):
//   -i   10.0.0.2/24 or 10.0.0.2/255.255.255.0    address with prefix length or subnet mask
//   -i6  2001:db8::2/64 or 2001:db8::2            prefix length 1 to 128, 64 when left out
//   -g   10.0.0.1 or 10.0.0.1@20                  gateway, "@" and a metric 0 to 9999 (0: none)
//   -g6  fe80::1 or fe80::1@10
//   -d, -d6                                       DNS server addresses
// An empty argument gives an empty list (applying it removes every item of that kind); an empty
// item among others is refused.
namespace vexav6::CommandLineItems {

// The items of a list argument: the text split at every ",", each piece trimmed of blanks; a
// comma at the end adds no item, and an empty argument is one empty item.
std::vector<std::string> SplitItems(std::string_view argument);

IPv4AddressList IPv4Addresses(std::string_view argument);
IPv6AddressList IPv6Addresses(std::string_view argument);
IPv4GatewayList IPv4Gateways(std::string_view argument);
IPv6GatewayList IPv6Gateways(std::string_view argument);
NameServerList IPv4NameServers(std::string_view argument);
NameServerList IPv6NameServers(std::string_view argument);

// Four decimal numbers 0 to 255 joined by dots, nothing else; the first octet in the highest
// byte of the result.
std::optional<uint32_t> ParseIPv4(std::string_view text);
// The dotted text of such a value, without leading zeros.
std::string IPv4Text(uint32_t address);
// IPv6 text: eight groups of one to four hexadecimal digits joined by ":", one run of zero groups
// written "::" at most, the last two groups optionally written as an IPv4 address. No zone.
std::optional<std::array<uint8_t, 16>> ParseIPv6(std::string_view text);

}  // namespace vexav6::CommandLineItems
