#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// IPv4 address text. An address number is a 32-bit value in network byte order as the IP Helper
// records hold it: the first octet of the dotted text is the lowest byte of the number.
namespace vexav6::IPv4Support {

// The answer of InetAddr for text that is not an address (also the value of 255.255.255.255).
inline constexpr uint32_t kInaddrNone = 0xFFFFFFFFu;

// Dotted text of an address number, as the adapter lists show it.
std::string IPv4AddressToText(uint32_t address);

// Text to address number by the rules of Winsock's inet_addr: the forms "a.b.c.d", "a.b.c", "a.b"
// and "a", where the last part fills the remaining bytes (c 16 bits, b 24 bits, a 32 bits) and each
// part is decimal, octal (leading 0) or hexadecimal (leading 0x). Blanks after the address are
// ignored. Anything else answers kInaddrNone, including blank text and an address followed by
// more text: Winsock reads " " as 0.0.0.0 and "1.2.3.4 255.0.0.0" as 1.2.3.4, which would put an
// address the user did not mean on the adapter.
uint32_t InetAddr(std::string_view text);

// Four decimal octets joined by ".", as Winsock's inet_ntoa writes them.
std::string InetNtoa(uint32_t address);

}  // namespace vexav6::IPv4Support
