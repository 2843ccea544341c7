#include "ipconfig/convert.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace vexav6::Convert {
namespace {

TEST(Convert, HexText) {
    EXPECT_EQ(ByteToHex(10), "0A");
    const std::array<uint8_t, 4> bytes = {0x00, 0x15, 0x5D, 0xFF};
    EXPECT_EQ(BytesToHex(bytes), "00155DFF");
    EXPECT_EQ(HexToBytes("00155dFF"), (std::vector<uint8_t>{0x00, 0x15, 0x5D, 0xFF}));
    EXPECT_EQ(HexToBytes("ABC"), std::vector<uint8_t>{0xAB});  // an odd digit is ignored
    EXPECT_EQ(HexToBytes("G11GZZ"), (std::vector<uint8_t>{0x00, 0x01, 0x00}));
}

}  // namespace
}  // namespace vexav6::Convert
