#include "ipconfig/ipv6_support.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "base/error.h"

namespace vexav6::IPv6Support {
namespace {

constexpr const char* kZero = "0000:0000:0000:0000:0000:0000:0000:0000";

// The error `call` raised; fails the test when it raised none.
template <class Call>
Error ErrorOf(Call call) {
    try {
        call();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return Error(0, "", "");
}

TEST(IPv6Support, BytesAndFullText) {
    EXPECT_EQ(IPv6BytesToText(std::array<uint8_t, 16>{}), kZero);
    const std::array<uint8_t, 16> bytes = {0xFE, 0x80, 0,    0,    0,    0,    0,    0,
                                           0x02, 0x15, 0x5D, 0xFF, 0xFE, 0x0A, 0xBC, 0x01};
    EXPECT_EQ(IPv6BytesToText(bytes), "FE80:0000:0000:0000:0215:5DFF:FE0A:BC01");
    EXPECT_EQ(IPv6TextToBytes("fe80:0:0:0:215:5dff:fe0a:bc01"), bytes);
    // Reading a group stops at its first non-digit: "ZZ" pads to "00ZZ", "1G23" reads 01 23.
    const auto odd = IPv6TextToBytes("ZZ:1G23:0:0:0:0:0:1");
    EXPECT_EQ(odd[0], 0);
    EXPECT_EQ(odd[1], 0);
    EXPECT_EQ(odd[2], 0x01);
    EXPECT_EQ(odd[3], 0x23);
}

TEST(IPv6Support, TextToBytesFailures) {
    EXPECT_EQ(ErrorOf([] { IPv6TextToBytes("12345:0:0:0:0:0:0:1"); }).Number(), errnum::kOverflow);
    // A long run of digits must not wrap around to a small value.
    EXPECT_EQ(ErrorOf([] { IPv6TextToBytes("1:0:0:0:0:0:0:00100000000000000001"); }).Number(),
              errnum::kOverflow);
    EXPECT_EQ(ErrorOf([] { IPv6TextToBytes("1:2:3:4:5:6"); }).Number(),
              errnum::kSubscriptOutOfRange);
    // A ninth group is not dropped silently.
    EXPECT_EQ(ErrorOf([] { IPv6TextToBytes("1:2:3:4:5:6:7:8:9"); }).Description(),
              "Invalid IPv6 address string format.");
}

TEST(IPv6Support, CompressTheFirstZeroRun) {
    EXPECT_EQ(CompressIPv6Text(kZero), "::");
    EXPECT_EQ(CompressIPv6Text("0000:0000:0000:0000:0000:0000:0000:0001"), "::1");
    EXPECT_EQ(CompressIPv6Text("FE80:0000:0000:0000:0000:0000:0000:0000"), "FE80::");
    EXPECT_EQ(CompressIPv6Text("2001:0DB8:0000:0000:0001:0000:0000:0000"), "2001:DB8::1:0:0:0");
    EXPECT_EQ(CompressIPv6Text("2001:0DB8:0000:0001:0000:0000:0000:0001"), "2001:DB8::1:0:0:0:1");
    EXPECT_EQ(CompressIPv6Text("2001:00a0:0001:0002:0003:0004:0005:0006"), "2001:a0:1:2:3:4:5:6");

    const Error shortText = ErrorOf([] { CompressIPv6Text("FE80::1"); });
    EXPECT_EQ(shortText.Number(), 1);
    EXPECT_EQ(shortText.Source(), kProjectName);
    EXPECT_EQ(shortText.Description(),
              "Invalid IPv6 address string format. String length must be 39 bytes.");
    EXPECT_EQ(
        ErrorOf([] { CompressIPv6Text("0000:0000:0000:0000:0000:0000:000000000"); }).Description(),
        "Invalid IPv6 address string format.");
}

TEST(IPv6Support, ExpandFillsTheCompressedRun) {
    EXPECT_EQ(ExpandIPv6Text("::"), kZero);
    EXPECT_EQ(ExpandIPv6Text("::1"), "0000:0000:0000:0000:0000:0000:0000:0001");
    EXPECT_EQ(ExpandIPv6Text("FE80::"), "FE80:0000:0000:0000:0000:0000:0000:0000");
    EXPECT_EQ(ExpandIPv6Text("fe80::1"), "fe80:0000:0000:0000:0000:0000:0000:0001");
    EXPECT_EQ(ExpandIPv6Text("2001:db8:0:1::a:b"), "2001:0db8:0000:0001:0000:0000:000a:000b");
    // Too few groups and no run: handed on as it is, for the byte conversion to refuse.
    EXPECT_EQ(ExpandIPv6Text("1:2:3:4:5:6"), "0001:0002:0003:0004:0005:0006");

    // A link-local text with its zone suffix is too long; two runs are ambiguous; empty text is
    // no address.
    const Error zone =
        ErrorOf([] { ExpandIPv6Text("FE80:0000:0000:0000:0215:5DFF:FE0A:BC01%12"); });
    EXPECT_EQ(zone.Number(), 1);
    EXPECT_EQ(zone.Description(),
              "Invalid IPv6 address string format. String length must be 39 bytes or less.");
    EXPECT_EQ(ErrorOf([] { ExpandIPv6Text("1::2::3"); }).Description(),
              "Invalid IPv6 address string format.");
    EXPECT_EQ(ErrorOf([] { ExpandIPv6Text(""); }).Description(),
              "Invalid IPv6 address string format.");
}

}  // namespace
}  // namespace vexav6::IPv6Support
