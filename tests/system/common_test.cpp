#include "system/common.h"

#include <gtest/gtest.h>

#include <cmath>
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

TEST(CommonFormat, UnitFirstThenRoundingHalvesToEven) {
    EXPECT_EQ(FormatBitRate(0.5), "0 bps");
    EXPECT_EQ(FormatBitRate(std::nan("")), "0 bps");
    EXPECT_EQ(FormatBitRate(1000), "1 kbps");
    EXPECT_EQ(FormatBitRate(1536), "1.54 kbps");
    EXPECT_EQ(FormatBitRate(999999), "1000 kbps");
    EXPECT_EQ(FormatBitRate(1e15), "1000000 gbps");  // no unit above gbps
    EXPECT_EQ(FormatBitRate(9.995), "10 bps");
    // Halves on the decimal value: 1.135 is a half although its double lies below it.
    EXPECT_EQ(FormatBitRate(1125), "1.12 kbps");
    EXPECT_EQ(FormatBitRate(1135), "1.14 kbps");
    EXPECT_EQ(FormatBitRate(2.675), "2.68 bps");
    EXPECT_EQ(FormatBitRate(1.005), "1 bps");

    // Rates and sizes step up at 1000 but divide by 1024.
    EXPECT_EQ(FormatByteRate(1000), "0.98 KB/s");
    EXPECT_EQ(FormatByteRate(1048576), "1 MB/s");
    EXPECT_EQ(FormatByteRate(1024000), "0.98 MB/s");
    EXPECT_EQ(FormatByteSize(1), "1 byte");
    EXPECT_EQ(FormatByteSize(1536), "1.5 KB");
    EXPECT_EQ(FormatByteSize(1099511627776.0), "1024 GB");
}

TEST(CommonText, Padding) {
    EXPECT_EQ(PadRight("Connection Name", 40, "."), "Connection Name" + std::string(25, '.'));
    EXPECT_EQ(PadLeft("7", 6, "0"), "000007");
    EXPECT_EQ(PadRight("", 3, "xy"), "xxx");                    // the first character of the pad
    EXPECT_EQ(PadRight("f\xC3\xBCr", 5, "."), "f\xC3\xBCr..");  // characters, not bytes
    EXPECT_EQ(ErrorNumberOf([] { PadLeft("1234567", 6, "0"); }), errnum::kInvalidProcedureCall);
    EXPECT_EQ(ErrorNumberOf([] { PadRight("abc", 5, ""); }), errnum::kInvalidProcedureCall);
}

TEST(CommonText, NextToken) {
    std::string text = "a,b,c";
    EXPECT_EQ(NextToken(text, ","), "a");
    EXPECT_EQ(text, "b,c");
    text = "abc";
    EXPECT_EQ(NextToken(text, ","), "abc");
    EXPECT_EQ(text, "");
    // The multi-select file dialog separates folder and names with NUL characters.
    text = std::string("C:\\Presets\0a.kpf\0b.kpf", 22);
    const std::string_view nul("\0", 1);
    EXPECT_EQ(NextToken(text, nul), "C:\\Presets");
    EXPECT_EQ(NextToken(text, nul), "a.kpf");
    EXPECT_EQ(text, "b.kpf");
    EXPECT_EQ(ErrorNumberOf([] {
                  std::string t = "abc";
                  NextToken(t, "");
              }),
              errnum::kInvalidProcedureCall);
}

TEST(CommonText, CollectionKeyExistsAndAnsiText) {
    KeyedCollection<int> list;
    list.Add(1, "FE80::1");
    EXPECT_TRUE(CollectionKeyExists(list, "fe80::1"));
    EXPECT_FALSE(CollectionKeyExists(list, "FE80::2"));
    EXPECT_EQ(StringFromAnsiPointer(nullptr), "");
    EXPECT_EQ(StringFromAnsiPointer("Caf\xE9"), "Caf\xC3\xA9");
}

TEST(CommonDate, ParseHttpDate) {
    const OleDate expected = DateFromCivil(1994, 11, 15, 8, 12, 31);
    EXPECT_EQ(ParseHttpDate("Tue, 15 Nov 1994 08:12:31 GMT"), expected);
    EXPECT_EQ(ParseHttpDate("Tue, 15 NOV 1994 08:12:31 GMT"), expected);
    EXPECT_EQ(ParseHttpDate("Tue, 15 Xyz 1994 08:12:31 GMT"),
              DateFromCivil(1994, 1, 15, 8, 12, 31));
    EXPECT_EQ(ParseHttpDate("Mon, 31 Apr 2023 24:00:60 GMT"), DateFromCivil(2023, 5, 2, 0, 1, 0));
    for (const char* bad : {"Tue, xx Nov 1994 08:12:31 GMT", "Tue, 15 Nov 19a4 08:12:31 GMT",
                            "Tuesday, 15-Nov-94 08:12:31 GMT", "Tue, 15 Nov 1994 08:12:3"}) {
        try {
            ParseHttpDate(bad);
            ADD_FAILURE() << bad;
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), errnum::kTypeMismatch) << bad;
        }
    }
}

}  // namespace
}  // namespace vexav6::Common
