#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Address and byte text forms the simulated machine needs for its own parsing and for machine
// files. The program has its own text forms; the back-end does not depend on them.
namespace vexav6::sim::nettext {

using Ipv6Bytes = std::array<uint8_t, 16>;
using MacBytes = std::array<uint8_t, 6>;

// Dotted IPv4 text to the in-memory network order of the IP Helper records (first octet in the
// lowest byte). Exactly four decimal parts of 0..255.
bool ParseIpv4(std::string_view text, uint32_t& address);
std::string FormatIpv4(uint32_t address);
// The address with its octets as a plain number (first octet highest), for comparisons and masks.
uint32_t HostOrder(uint32_t address);
uint32_t NetworkOrder(uint32_t hostOrder);
// A mask whose one bits are contiguous from the top (0.0.0.0 included).
bool IsContiguousMask(uint32_t mask);
uint32_t PrefixToMask(int prefixLength);

// IPv6 text in any standard form ("fe80::1", "2001:db8:0:0:0:0:0:1", "::"); no zone, no embedded
// IPv4. Formatting gives the short lower-case form.
bool ParseIpv6(std::string_view text, Ipv6Bytes& bytes);
std::string FormatIpv6(const Ipv6Bytes& bytes);
// "2001:db8::/64": the address part and the prefix length (0..128).
bool ParseIpv6Prefix(std::string_view text, Ipv6Bytes& bytes, int& prefixLength);

// "00-1B-21-3A-4F-5C", "00:1b:21:3a:4f:5c" or "001B213A4F5C".
bool ParseMac(std::string_view text, MacBytes& mac);
// Display form: six upper-case pairs joined by "-".
std::string FormatMac(const MacBytes& mac);

// Upper-case hexadecimal, two digits a byte, with or without a blank between bytes.
std::string ToHex(const uint8_t* data, size_t size, bool spaced = false);
// Hex digits in pairs; blanks, tabs and line breaks between pairs are ignored.
bool ParseHex(std::string_view text, std::vector<uint8_t>& bytes);

// The 16 hex digits of an interface LUID in memory order (least significant byte first), the form
// the network store uses in its value names.
std::string LuidHex(uint64_t luid);

// Valid UTF-8 (so it can be written as JSON text).
bool IsValidUtf8(std::string_view text);

}  // namespace vexav6::sim::nettext
