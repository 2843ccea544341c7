#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Bytes as hexadecimal text: two upper-case digits a byte, bytes in memory order, no separators.
// Used for MAC address text, LUID text and registry value names built from byte keys.
namespace vexav6::Convert {

std::string BytesToHex(std::span<const uint8_t> bytes);
// Two digits, with a leading "0" below 16.
std::string ByteToHex(uint8_t value);
// Len(text) \ 2 bytes; a trailing odd digit is ignored. Each pair is read up to its first
// character that is not a hexadecimal digit ("G1" gives 0, "1G" gives 1).
std::vector<uint8_t> HexToBytes(std::string_view text);

}  // namespace vexav6::Convert
