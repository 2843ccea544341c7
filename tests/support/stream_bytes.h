#pragma once

#include <cstdint>
#include <cstring>
#include <string>

// Hand-built little-endian encodings of the binary files, for tests that write a file byte by byte
// from its documented layout instead of through the program's own writer.
namespace vexav6::testing::bytes {

inline std::string LittleEndian(uint64_t value, int width) {
    std::string out;
    for (int i = 0; i < width; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return out;
}

inline std::string Int(int16_t value) {
    return LittleEndian(static_cast<uint16_t>(value), 2);
}
inline std::string Long(int32_t value) {
    return LittleEndian(static_cast<uint32_t>(value), 4);
}

inline std::string Date(double days) {
    uint64_t bits = 0;
    std::memcpy(&bits, &days, sizeof bits);
    return LittleEndian(bits, 8);
}

// A length-prefixed UTF-16LE text; `ascii` holds only ASCII characters.
inline std::string Text(const std::string& ascii) {
    std::string out = Long(static_cast<int32_t>(ascii.size() * 2));
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

}  // namespace vexav6::testing::bytes
