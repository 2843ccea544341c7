#include "ipconfig/mask_rules.h"

#include <gtest/gtest.h>

namespace vexav6::MaskRules {
namespace {

void ExpectPrefix(const char* mask, int32_t bits, bool stopped) {
    const MaskPrefix prefix = SubnetMaskToPrefixLength(mask);
    EXPECT_EQ(prefix.prefixLength, bits) << mask;
    EXPECT_EQ(prefix.stoppedAtUnknownOctet, stopped) << mask;
}

TEST(MaskRules, MaskToPrefixLength) {
    ExpectPrefix("255.255.255.0", 24, false);
    ExpectPrefix("0.0.0.0", 0, false);
    ExpectPrefix("255.255.255.255", 32, false);
    ExpectPrefix("255.255.240.0", 20, false);
    ExpectPrefix("255.255.255.254", 31, false);
    ExpectPrefix("255.255.255.1", 24, true);  // stops at the fourth octet
    ExpectPrefix("255.0.255.0", 16, false);   // octets are counted one by one
    ExpectPrefix("255.255", 16, false);
    ExpectPrefix("255.255.0255.0", 16, true);  // only the exact octet texts are known
    ExpectPrefix("", 0, true);
    ExpectPrefix("255.255.255.", 24, true);
    ExpectPrefix("255.255.255.255.255", 32, true);  // no fifth octet
}

TEST(MaskRules, PrefixLengthToMask) {
    EXPECT_EQ(PrefixLengthToSubnetMask("20"), "255.255.240.0");
    EXPECT_EQ(PrefixLengthToSubnetMask("0"), "0.0.0.0");
    EXPECT_EQ(PrefixLengthToSubnetMask(""), "0.0.0.0");
    EXPECT_EQ(PrefixLengthToSubnetMask("32"), "255.255.255.255");
    EXPECT_EQ(PrefixLengthToSubnetMask("1"), "128.0.0.0");
    EXPECT_EQ(PrefixLengthToSubnetMask("25"), "255.255.255.128");
    EXPECT_EQ(PrefixLengthToSubnetMask("24 bits"), "255.255.255.0");
    EXPECT_EQ(PrefixLengthToSubnetMask("33"), std::nullopt);
    EXPECT_EQ(PrefixLengthToSubnetMask("-1"), std::nullopt);
    EXPECT_EQ(PrefixLengthToSubnetMask("99999999999999999999"), std::nullopt);
    for (int n = 0; n <= 32; ++n) {
        const auto mask = PrefixLengthToSubnetMask(std::to_string(n));
        ASSERT_TRUE(mask.has_value());
        EXPECT_EQ(SubnetMaskToPrefixLength(*mask).prefixLength, n);
    }
}

TEST(MaskRules, PrefixLengthRoundsHalvesToEven) {
    EXPECT_EQ(PrefixLengthToSubnetMask("20.5"), "255.255.240.0");
    EXPECT_EQ(PrefixLengthToSubnetMask("21.5"), "255.255.252.0");
    EXPECT_EQ(PrefixLengthToSubnetMask("20.51"), "255.255.248.0");
    EXPECT_EQ(PrefixLengthToSubnetMask("32.5"), "255.255.255.255");
    EXPECT_EQ(PrefixLengthToSubnetMask("32.6"), std::nullopt);
    EXPECT_EQ(PrefixLengthToSubnetMask("-0.5"), "0.0.0.0");
}

}  // namespace
}  // namespace vexav6::MaskRules
