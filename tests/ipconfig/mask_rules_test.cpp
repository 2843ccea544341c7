#include "ipconfig/mask_rules.h"

#include <gtest/gtest.h>

namespace vexav6::MaskRules {
namespace {

TEST(MaskRules, MaskToPrefixLength) {
    struct Case {
        const char* mask;
        int32_t bits;
        bool stopped;
    };
    for (const Case& c : {Case{"255.255.255.0", 24, false}, Case{"0.0.0.0", 0, false},
                          Case{"255.255.255.255", 32, false}, Case{"255.255.255.1", 24, true},
                          Case{"255.0.255.0", 16, false}, Case{"255.255", 16, false},
                          Case{"255.255.0255.0", 16, true}, Case{"", 0, true},
                          Case{"255.255.255.255.255", 32, true}}) {
        const MaskPrefix prefix = SubnetMaskToPrefixLength(c.mask);
        EXPECT_EQ(prefix.prefixLength, c.bits) << c.mask;
        EXPECT_EQ(prefix.stoppedAtUnknownOctet, c.stopped) << c.mask;
    }
}

TEST(MaskRules, PrefixLengthToMask) {
    EXPECT_EQ(PrefixLengthToSubnetMask("20"), "255.255.240.0");
    EXPECT_EQ(PrefixLengthToSubnetMask(""), "0.0.0.0");
    EXPECT_EQ(PrefixLengthToSubnetMask("25 bits"), "255.255.255.128");
    EXPECT_EQ(PrefixLengthToSubnetMask("20.5"), "255.255.240.0");  // halves to even
    EXPECT_EQ(PrefixLengthToSubnetMask("21.5"), "255.255.252.0");
    EXPECT_EQ(PrefixLengthToSubnetMask("33"), std::nullopt);
    EXPECT_EQ(PrefixLengthToSubnetMask("-1"), std::nullopt);
    EXPECT_EQ(PrefixLengthToSubnetMask("99999999999999999999"), std::nullopt);
    for (int n = 0; n <= 32; ++n) {
        const auto mask = PrefixLengthToSubnetMask(std::to_string(n));
        ASSERT_TRUE(mask.has_value());
        EXPECT_EQ(SubnetMaskToPrefixLength(*mask).prefixLength, n);
    }
}

}  // namespace
}  // namespace vexav6::MaskRules
