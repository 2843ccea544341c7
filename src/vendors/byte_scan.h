#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

// Scans over the bytes of the listing and the database eight at a time: both are megabytes of
// short ASCII lines, where a call per line or a test per byte would cost more than the parse.
namespace vexav6::bytescan {

inline uint64_t Load8(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// A bit set in the high bit of every byte of `word` that is zero (exact for the lowest such byte).
inline uint64_t ZeroBytes(uint64_t word) {
    return (word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull;
}

inline bool HasHighByte(std::string_view text) {
    const char* p = text.data();
    const size_t size = text.size();
    uint64_t any = 0;
    if (size >= 8) {
        for (size_t i = 0; i + 8 <= size; i += 8) {
            any |= Load8(p + i);
        }
        any |= Load8(p + size - 8);  // the tail, overlapping what was read
    } else {
        for (size_t i = 0; i < size; ++i) {
            any |= static_cast<unsigned char>(p[i]);
        }
    }
    return (any & 0x8080808080808080ull) != 0;
}

// Position of the first byte above 0x7F at or after `from`, or text.size().
inline size_t FindHighByte(std::string_view text, size_t from) {
    size_t i = from;
    for (; i + 8 <= text.size(); i += 8) {
        if ((Load8(text.data() + i) & 0x8080808080808080ull) != 0) {
            break;
        }
    }
    for (; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) {
            return i;
        }
    }
    return text.size();
}

// Position of the first CR or LF at or after `from`, or text.size().
inline size_t FindLineEnd(std::string_view text, size_t from) {
    constexpr uint64_t kCr = 0x0D0D0D0D0D0D0D0Dull;
    constexpr uint64_t kLf = 0x0A0A0A0A0A0A0A0Aull;
    size_t i = from;
    for (; i + 8 <= text.size(); i += 8) {
        const uint64_t word = Load8(text.data() + i);
        const uint64_t hits = ZeroBytes(word ^ kCr) | ZeroBytes(word ^ kLf);
        if (hits != 0) {
            if constexpr (std::endian::native == std::endian::little) {
                return i + static_cast<size_t>(std::countr_zero(hits) / 8);
            } else {
                break;  // find the byte below
            }
        }
    }
    for (; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            return i;
        }
    }
    return text.size();
}

}  // namespace vexav6::bytescan
