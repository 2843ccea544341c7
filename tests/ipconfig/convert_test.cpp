#include "ipconfig/convert.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace vexav6::Convert {
namespace {

TEST(Convert, BytesToUpperCaseHexInMemoryOrder) {
    EXPECT_EQ(ByteToHex(10), "0A");
    EXPECT_EQ(ByteToHex(0), "00");
    EXPECT_EQ(ByteToHex(0xFF), "FF");
    const std::array<uint8_t, 4> bytes = {0x00, 0x15, 0x5D, 0xFF};
    EXPECT_EQ(BytesToHex(bytes), "00155DFF");
    EXPECT_EQ(BytesToHex({}), "");
    // Part of a larger block, as for the address bytes inside a record.
    EXPECT_EQ(BytesToHex(std::span<const uint8_t>(bytes).subspan(1, 2)), "155D");
}

TEST(Convert, HexToBytesReadsPairsAndIgnoresAnOddDigit) {
    EXPECT_EQ(HexToBytes("00155dFF"), (std::vector<uint8_t>{0x00, 0x15, 0x5D, 0xFF}));
    EXPECT_EQ(HexToBytes("ABC"), (std::vector<uint8_t>{0xAB}));
    EXPECT_TRUE(HexToBytes("A").empty());
    // Each pair stops at its first non-digit.
    EXPECT_EQ(HexToBytes("G11GZZ"), (std::vector<uint8_t>{0x00, 0x01, 0x00}));
    std::vector<uint8_t> all(256);
    for (size_t i = 0; i < all.size(); ++i) {
        all[i] = static_cast<uint8_t>(i);
    }
    EXPECT_EQ(HexToBytes(BytesToHex(all)), all);
}

}  // namespace
}  // namespace vexav6::Convert
