#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "ipconfig/ipv6_support.h"

namespace vexav6::testing {

// Builds file contents by hand, field by field, little-endian.
class ByteBuilder {
  public:
    ByteBuilder& Byte(uint8_t value) { return Little(value, 1); }
    ByteBuilder& Int(int16_t value) { return Little(static_cast<uint16_t>(value), 2); }
    ByteBuilder& Long(int32_t value) { return Little(static_cast<uint32_t>(value), 4); }
    template <class Range>
    ByteBuilder& Raw(const Range& values) {
        bytes_.insert(bytes_.end(), std::begin(values), std::end(values));
        return *this;
    }
    // A stream String: Long byte count, then UTF-16LE code units (ASCII text here).
    ByteBuilder& String(std::string_view ascii) {
        Long(static_cast<int32_t>(ascii.size() * 2));
        for (const char c : ascii) {
            Little(static_cast<uint8_t>(c), 2);
        }
        return *this;
    }
    // A legacy text: 16-bit byte count, then the bytes.
    ByteBuilder& Text(std::string_view bytes) {
        Little(static_cast<uint32_t>(bytes.size()), 2);
        return Raw(bytes);
    }
    // A legacy one-dimensional text array with lower bound 0.
    ByteBuilder& TextArray(const std::vector<std::string>& elements) {
        Int(1).Long(static_cast<int32_t>(elements.size())).Long(0);
        for (const std::string& element : elements) {
            Text(element);
        }
        return *this;
    }
    const std::vector<uint8_t>& Get() const { return bytes_; }

  private:
    ByteBuilder& Little(uint32_t value, int width) {
        for (int i = 0; i < width; ++i) {
            bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
        }
        return *this;
    }
    std::vector<uint8_t> bytes_;
};

// The call raises an Error with this number and source (and description, when one is given).
inline void ExpectError(const std::function<void()>& call, int32_t number,
                        const std::string& source, const std::string& description = "") {
    try {
        call();
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), number) << e.Description();
        EXPECT_EQ(e.Source(), source);
        if (!description.empty()) {
            EXPECT_EQ(e.Description(), description);
        }
    }
}

inline std::array<uint8_t, 16> V6(const char* text) {
    return IPv6Support::IPv6TextToBytes(IPv6Support::ExpandIPv6Text(text));
}

}  // namespace vexav6::testing
