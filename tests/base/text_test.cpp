#include "base/text.h"

#include <gtest/gtest.h>

namespace vexav6::text {
namespace {

TEST(Text, Utf8AndUtf16RoundTrip) {
    const std::string utf8 = "Ethernet \xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB6";
    const std::u16string utf16 = Utf8ToUtf16(utf8);
    EXPECT_EQ(utf16, u"Ethernet \u00e9t\u00e9 \u20ac \U0001F4F6");
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
}

TEST(Text, MalformedInputBecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");                             // cut short
    EXPECT_EQ(Utf8ToUtf16("\xC0\x80"), u"\uFFFD\uFFFD");                   // overlong zero
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");  // lone surrogate
}

TEST(Text, AnsiTextKeepsUtf8AndReadsOtherBytesAsWindows1252) {
    EXPECT_EQ(AnsiToUtf8("Plain ASCII"), "Plain ASCII");
    EXPECT_EQ(AnsiToUtf8("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(AnsiToUtf8("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(Text, CaseRulesAndSearching) {
    EXPECT_TRUE(EqualsIgnoreCase("ms_BRIDGEmp", "MS_bridgeMP"));
    EXPECT_FALSE(EqualsIgnoreCase("abc", "abcd"));
    EXPECT_TRUE(StartsWithIgnoreCase("OUI/MA-L", "oui"));
    EXPECT_EQ(FindIgnoreCase("{4d36e972-e325}\\0007", "{4D36E972"), 0u);
    EXPECT_TRUE(ContainsIgnoreCase("Local Area Connection 2", "AREA"));
    EXPECT_FALSE(ContainsIgnoreCase("Wi-Fi", "Ethernet"));
    EXPECT_EQ(ToUpper("0a-1b"), "0A-1B");
}

TEST(Text, TrimTouchesOnlyBlanks) {
    EXPECT_EQ(Trim("  -n Wi-Fi  "), "-n Wi-Fi");
    EXPECT_EQ(Trim("\tx\t"), "\tx\t");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(TrimLeft("  a "), "a ");
}

TEST(Text, SplitKeepsEmptyPieces) {
    EXPECT_EQ(Split("", ","), (std::vector<std::string>{""}));
    EXPECT_EQ(Split("a,,b,", ","), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(Split(std::string("1.1.1.1\0002.2.2.2\000", 16), std::string(1, '\0')),
              (std::vector<std::string>{"1.1.1.1", "2.2.2.2", ""}));
    EXPECT_EQ(Join({"a", "b"}, ", "), "a, b");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
}

TEST(Text, LeadingHexValueStopsAtTheFirstOtherCharacter) {
    size_t digits = 9;
    EXPECT_EQ(LeadingHexValue("0022720", &digits), 0x22720u);
    EXPECT_EQ(digits, 7u);
    EXPECT_EQ(LeadingHexValue("fe80", &digits), 0xFE80u);
    EXPECT_EQ(LeadingHexValue("1g", &digits), 1u);
    EXPECT_EQ(digits, 1u);
    EXPECT_EQ(LeadingHexValue("zz", &digits), 0u);
    EXPECT_EQ(digits, 0u);
}

}  // namespace
}  // namespace vexav6::text
