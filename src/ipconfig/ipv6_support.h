#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// IPv6 address text and bytes. Bytes are in network order (byte 0 is the high byte of the first
// group). The full text is eight groups of four hexadecimal digits joined by ":" (39 characters);
// the short text drops leading zeros and writes the first run of zero groups as "::".
namespace vexav6::IPv6Support {

// Full text (eight groups; shorter groups are padded with leading zeros) to bytes. Reading a group
// stops at its first character that is not a hexadecimal digit. Fails with error 6 (overflow) for a
// group whose value does not fit, error 9 (subscript out of range) for fewer than eight groups and
// error 1 for more than eight.
std::array<uint8_t, 16> IPv6TextToBytes(std::string_view text);

// Bytes to the full, upper-case text.
std::string IPv6BytesToText(std::span<const uint8_t, 16> bytes);

// Full 39-character text to short text; the case of the digits is kept.
std::string CompressIPv6Text(std::string_view text);

// Short or full text to full text (only zeros are added; the case of the digits is kept). Text of
// exactly 39 characters is returned as it is; longer text, empty text and text with two "::" runs
// fail with error 1.
std::string ExpandIPv6Text(std::string_view text);

}  // namespace vexav6::IPv6Support
