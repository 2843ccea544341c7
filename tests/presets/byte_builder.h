#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vexav6::testing {

// Builds file contents by hand, field by field, little-endian, for comparing with what the program
// writes and for feeding its readers.
class ByteBuilder {
  public:
    ByteBuilder& Byte(uint8_t value) {
        bytes_.push_back(value);
        return *this;
    }
    ByteBuilder& Bytes(std::initializer_list<uint8_t> values) {
        bytes_.insert(bytes_.end(), values);
        return *this;
    }
    template <class Range>
    ByteBuilder& Raw(const Range& values) {
        bytes_.insert(bytes_.end(), std::begin(values), std::end(values));
        return *this;
    }
    ByteBuilder& Int(int16_t value) { return Little(static_cast<uint16_t>(value), 2); }
    ByteBuilder& Long(int32_t value) { return Little(static_cast<uint32_t>(value), 4); }
    // A stream String: Long byte count, then UTF-16LE code units (ASCII text only here).
    ByteBuilder& String(std::string_view ascii) {
        Long(static_cast<int32_t>(ascii.size() * 2));
        for (const char c : ascii) {
            Byte(static_cast<uint8_t>(c));
            Byte(0);
        }
        return *this;
    }
    // A legacy text: 16-bit byte count, then the bytes.
    ByteBuilder& Text(std::string_view bytes) {
        Little(static_cast<uint16_t>(bytes.size()), 2);
        for (const char c : bytes) {
            Byte(static_cast<uint8_t>(c));
        }
        return *this;
    }
    // A legacy one-dimensional text array with lower bound 0.
    ByteBuilder& TextArray(std::initializer_list<std::string_view> elements) {
        Little(1, 2);
        Long(static_cast<int32_t>(elements.size()));
        Long(0);
        for (const std::string_view element : elements) {
            Text(element);
        }
        return *this;
    }

    const std::vector<uint8_t>& Get() const { return bytes_; }
    size_t Size() const { return bytes_.size(); }

  private:
    ByteBuilder& Little(uint32_t value, int width) {
        for (int i = 0; i < width; ++i) {
            bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
        }
        return *this;
    }

    std::vector<uint8_t> bytes_;
};

}  // namespace vexav6::testing
