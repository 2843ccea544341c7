#include "ipconfig/common.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "base/keyed_collection.h"

namespace vexav6::Common {
namespace {

int32_t ErrorNumberOf(void (*call)()) {
    try {
        call();
    } catch (const Error& e) {
        return e.Number();
    }
    return 0;
}

TEST(CommonFormat, BitRateChoosesTheUnitBeforeRounding) {
    EXPECT_EQ(FormatBitRate(0), "0 bps");
    EXPECT_EQ(FormatBitRate(0.5), "0 bps");
    EXPECT_EQ(FormatBitRate(-2000), "0 bps");
    EXPECT_EQ(FormatBitRate(std::nan("")), "0 bps");
    EXPECT_EQ(FormatBitRate(1), "1 bps");
    EXPECT_EQ(FormatBitRate(999), "999 bps");
    EXPECT_EQ(FormatBitRate(1000), "1 kbps");
    EXPECT_EQ(FormatBitRate(1536), "1.54 kbps");
    EXPECT_EQ(FormatBitRate(999999), "1000 kbps");
    EXPECT_EQ(FormatBitRate(1000000), "1 mbps");
    EXPECT_EQ(FormatBitRate(100000000), "100 mbps");
    EXPECT_EQ(FormatBitRate(54e6), "54 mbps");
    EXPECT_EQ(FormatBitRate(1e9), "1 gbps");
    EXPECT_EQ(FormatBitRate(1e15), "1000000 gbps");  // no unit above gbps
    EXPECT_EQ(FormatBitRate(1.2345), "1.23 bps");
    EXPECT_EQ(FormatBitRate(1.999), "2 bps");
    EXPECT_EQ(FormatBitRate(9.995), "10 bps");
    EXPECT_EQ(FormatBitRate(std::numeric_limits<double>::infinity()), "Infinity gbps");
}

TEST(CommonFormat, HalvesRoundToEvenOnTheDecimalValue) {
    EXPECT_EQ(FormatBitRate(1125), "1.12 kbps");
    EXPECT_EQ(FormatBitRate(1135), "1.14 kbps");  // 1.135 is a half although its double is below
    EXPECT_EQ(FormatBitRate(2.675), "2.68 bps");
    EXPECT_EQ(FormatBitRate(1.005), "1 bps");
    EXPECT_EQ(FormatBitRate(1.0051), "1.01 bps");
    EXPECT_EQ(FormatByteSize(1024 * 1.125), "1.12 KB");
    EXPECT_EQ(FormatByteSize(1024 * 1.375), "1.38 KB");
}

TEST(CommonFormat, ByteRateAndSizeStepAtAThousandButDivideBy1024) {
    EXPECT_EQ(FormatByteRate(0), "0 B/s");
    EXPECT_EQ(FormatByteRate(999), "999 B/s");
    EXPECT_EQ(FormatByteRate(1000), "0.98 KB/s");
    EXPECT_EQ(FormatByteRate(1023), "1 KB/s");
    EXPECT_EQ(FormatByteRate(1048576), "1 MB/s");
    EXPECT_EQ(FormatByteRate(1024000), "0.98 MB/s");
    EXPECT_EQ(FormatByteRate(1073741824), "1 GB/s");
    EXPECT_EQ(FormatByteSize(0.9), "0 byte");
    EXPECT_EQ(FormatByteSize(1), "1 byte");
    EXPECT_EQ(FormatByteSize(2), "2 byte");
    EXPECT_EQ(FormatByteSize(1536), "1.5 KB");
    EXPECT_EQ(FormatByteSize(5.5 * 1048576), "5.5 MB");
    EXPECT_EQ(FormatByteSize(1099511627776.0), "1024 GB");
}

TEST(CommonText, Padding) {
    const std::string label = PadRight("Connection Name", 40, ".");
    EXPECT_EQ(label, "Connection Name" + std::string(25, '.'));
    EXPECT_EQ(PadLeft("7", 6, "0"), "000007");
    EXPECT_EQ(PadLeft("123456", 6, "0"), "123456");
    EXPECT_EQ(PadRight("", 3, "xy"), "xxx");  // the first character of the pad
    // Width counts characters, not bytes.
    EXPECT_EQ(PadRight("f\xC3\xBCr", 5, "."), "f\xC3\xBCr..");
    EXPECT_EQ(PadLeft("a", 3, "\xC2\xB7"),
              "\xC2\xB7\xC2\xB7"
              "a");
    EXPECT_EQ(ErrorNumberOf([] { PadLeft("1234567", 6, "0"); }), errnum::kInvalidProcedureCall);
    EXPECT_EQ(ErrorNumberOf([] { PadRight("abc", 2, "."); }), errnum::kInvalidProcedureCall);
    EXPECT_EQ(ErrorNumberOf([] { PadRight("abc", 5, ""); }), errnum::kInvalidProcedureCall);
}

TEST(CommonText, NextTokenTakesOneTokenOffTheFront) {
    std::string text = "a,b,c";
    EXPECT_EQ(NextToken(text, ","), "a");
    EXPECT_EQ(text, "b,c");
    EXPECT_EQ(NextToken(text, ","), "b");
    EXPECT_EQ(NextToken(text, ","), "c");
    EXPECT_EQ(text, "");

    text = "abc";
    EXPECT_EQ(NextToken(text, ","), "abc");
    EXPECT_EQ(text, "");
    text = ",x";
    EXPECT_EQ(NextToken(text, ","), "");
    EXPECT_EQ(text, "x");
    text = "proxy.example:8080";
    EXPECT_EQ(NextToken(text, ":"), "proxy.example");
    EXPECT_EQ(text, "8080");

    // The multi-select file dialog separates folder and names with NUL characters.
    text = std::string("C:\\Presets\0a.kpf\0b.kpf", 22);
    const std::string_view nul("\0", 1);
    EXPECT_EQ(NextToken(text, nul), "C:\\Presets");
    EXPECT_EQ(NextToken(text, nul), "a.kpf");
    EXPECT_EQ(NextToken(text, nul), "b.kpf");

    EXPECT_EQ(ErrorNumberOf([] {
                  std::string t = "abc";
                  NextToken(t, "");
              }),
              errnum::kInvalidProcedureCall);
}

TEST(CommonText, CollectionKeyExistsIgnoresCase) {
    KeyedCollection<int> list;
    list.Add(1, "192.168.1.1");
    list.Add(2, "FE80::1");
    EXPECT_TRUE(CollectionKeyExists(list, "192.168.1.1"));
    EXPECT_TRUE(CollectionKeyExists(list, "fe80::1"));
    EXPECT_FALSE(CollectionKeyExists(list, "192.168.1.2"));
    EXPECT_FALSE(CollectionKeyExists(KeyedCollection<int>(), ""));
}

TEST(CommonDate, ParseHttpDateByFieldPosition) {
    const OleDate expected = DateFromCivil(1994, 11, 15, 8, 12, 31);
    EXPECT_EQ(ParseHttpDate("Tue, 15 Nov 1994 08:12:31 GMT"), expected);
    EXPECT_EQ(ParseHttpDate("Tue, 15 NOV 1994 08:12:31 GMT"), expected);
    EXPECT_EQ(ParseHttpDate("Tue, 15 Nov 1994 08:12:31"), expected);
    EXPECT_EQ(ParseHttpDate("Tue, 15 Xyz 1994 08:12:31 GMT"),
              DateFromCivil(1994, 1, 15, 8, 12, 31));
    EXPECT_EQ(ParseHttpDate("Sun, 06 Dec 2026 23:59:59 GMT"),
              DateFromCivil(2026, 12, 6, 23, 59, 59));
    EXPECT_EQ(ParseHttpDate("Mon, 31 Apr 2023 00:00:00 GMT"), DateFromCivil(2023, 5, 1));
    EXPECT_EQ(ParseHttpDate("Mon, 01 Jan 2024 24:00:60 GMT"), DateFromCivil(2024, 1, 2, 0, 1, 0));
}

TEST(CommonDate, ParseHttpDateRefusesFieldsThatAreNoNumbers) {
    EXPECT_EQ(ErrorNumberOf([] { ParseHttpDate("Tue, xx Nov 1994 08:12:31 GMT"); }),
              errnum::kTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { ParseHttpDate("Tue, 15 Nov 19a4 08:12:31 GMT"); }),
              errnum::kTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { ParseHttpDate("Tuesday, 15-Nov-94 08:12:31 GMT"); }),
              errnum::kTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { ParseHttpDate("Tue, 15 Nov 1994 08:12:3"); }),
              errnum::kTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { ParseHttpDate(""); }), errnum::kTypeMismatch);
}

TEST(CommonText, StringFromAnsiPointer) {
    EXPECT_EQ(StringFromAnsiPointer(nullptr), "");
    EXPECT_EQ(StringFromAnsiPointer("10.0.0.1"), "10.0.0.1");
    EXPECT_EQ(StringFromAnsiPointer("Caf\xE9"), "Caf\xC3\xA9");
}

}  // namespace
}  // namespace vexav6::Common
