#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Checks of what the user typed into the add dialogs of the IP configuration panels, made before
// anything reaches the adapter or the preset. The address objects take text as the system's
// conversions read it: "010" is octal 8 there, "2001:db8::g" loses its last group, and an address
// that only goes into the stored configuration (a disabled adapter, a cable unplugged, the DNS
// servers) is not looked at by the system until much later. A mistyped entry therefore ends here,
// in a clear message, and never half-applied. Each failure is error 1 with the caller's source.
namespace vexav6::ui::IPInput {

inline constexpr int32_t kMaxRouteMetric = 9999;
inline constexpr int32_t kMaxIPv6PrefixLength = 128;

// Dotted IPv4 text of four decimal numbers from 0 to 255 (leading zeros allowed) in its plain form
// ("192.168.010.001" gives "192.168.10.1"); nothing for any other text.
std::optional<std::string> CanonicalIPv4(std::string_view text);

// The plain form of an IPv4 address, or error 1 naming the text.
std::string CheckIPv4Address(std::string_view text, const std::string& source);
// The plain form of a subnet mask: an IPv4 address whose one bits come first, at least one of
// them.
std::string CheckSubnetMask(std::string_view text, const std::string& source);
// IPv6 text: eight groups of one to four hexadecimal digits joined by ":", or fewer with one "::"
// standing for the zero groups left out. Answers the text without surrounding blanks.
std::string CheckIPv6Address(std::string_view text, const std::string& source);
// The prefix length a text begins with (rounded to a whole number), from 0 to 128.
uint8_t CheckIPv6PrefixLength(std::string_view text, const std::string& source);
// A route metric from 0 (the interface's) to 9999, the range Windows accepts for a gateway.
int32_t CheckRouteMetric(int64_t metric, const std::string& source);

}  // namespace vexav6::ui::IPInput
