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

TEST(Text, CaseIsFoldedInTheWholeOfUnicode) {
    EXPECT_TRUE(EqualsIgnoreCase("\u00dcN\u00cfC\u00d8D\u00c9", "\u00fcn\u00efc\u00f8d\u00e9"));
    EXPECT_TRUE(EqualsIgnoreCase("\u0394\u0399\u039a\u03a4\u03a5\u039f",
                                 "\u03b4\u03b9\u03ba\u03c4\u03c5\u03bf"));  // Greek
    EXPECT_TRUE(EqualsIgnoreCase("\u0421\u0415\u0422\u042c", "\u0441\u0435\u0442\u044c"));
    EXPECT_TRUE(EqualsIgnoreCase("\u1e9e", "\u00df"));    // capital sharp s
    EXPECT_TRUE(EqualsIgnoreCase("\u212a", "k"));         // Kelvin sign: 3 bytes against 1
    EXPECT_FALSE(EqualsIgnoreCase("\u00df", "ss"));       // no folding that changes length
    EXPECT_FALSE(EqualsIgnoreCase("caf\u00e9", "cafe"));  // accents count
    EXPECT_EQ(FoldCase("Caf\u00c9 \u0130"), "caf\u00e9 \u0130");

    // Positions are those of the haystack's bytes, whatever the folded lengths.
    const std::string name = "R\u00e9seau \u212aITCHEN caf\u00e9";
    EXPECT_EQ(FindIgnoreCase(name, "KITCHEN"), 8u);
    EXPECT_EQ(FindIgnoreCase(name, "CAF\u00c9"), name.size() - 5);
    EXPECT_TRUE(StartsWithIgnoreCase(name, "r\u00c9S"));
    EXPECT_FALSE(ContainsIgnoreCase(name, "cafe"));
    // Bytes that are no UTF-8 match only themselves.
    EXPECT_TRUE(EqualsIgnoreCase("A\xFF", "a\xFF"));
    EXPECT_FALSE(EqualsIgnoreCase("\xFE", "\xFF"));
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
