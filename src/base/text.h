#pragma once

#include <string>
#include <string_view>
#include <vector>

// Text helpers. Inside the program text is UTF-8 std::string; UTF-16 appears only at the Windows
// boundary and in the file formats that store it.
namespace vexav6::text {

// Conversions between UTF-8 and UTF-16. Malformed input (a stray byte, a lone surrogate) becomes
// U+FFFD instead of failing, so that any text the system hands us can be shown.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Text in a file written by an "ANSI" program: valid UTF-8 is taken as it is, anything else is read
// as Windows-1252 (the code page of Western Windows systems), so ASCII always survives unchanged.
std::string AnsiToUtf8(std::string_view bytes);

// Case rules. ToLower and ToUpper change ASCII letters only (option words, hex digits, fixed
// names). Texts that people name things with (connections, presets, keys of keyed collections)
// compare without regard to case in the whole of Unicode: FoldCase maps every code point to its
// simple case folding ("ÜNÏCØDÉ" and "ünïcødé" fold alike, "ẞ" to "ß"), and the ...IgnoreCase
// functions compare folded texts. Bytes that are no valid UTF-8 compare as themselves.
char AsciiLower(char c);
char AsciiUpper(char c);
std::string ToLower(std::string_view s);
std::string ToUpper(std::string_view s);
std::string FoldCase(std::string_view s);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view s, std::string_view prefix);
// Byte position in `haystack` of the first occurrence of `needle` ignoring case, or npos.
size_t FindIgnoreCase(std::string_view haystack, std::string_view needle);
bool ContainsIgnoreCase(std::string_view haystack, std::string_view needle);

// Trims blanks (the space character only, as the program's texts are trimmed) at both ends.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// Splits at every occurrence of `delimiter` (which must not be empty). An empty text gives one
// empty piece; a delimiter at the end gives an empty last piece.
std::vector<std::string> Split(std::string_view s, std::string_view delimiter);
std::string Join(const std::vector<std::string>& parts, std::string_view separator);

// Replaces every occurrence of `from` (not empty) by `to`, left to right, without rescanning.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

bool IsHexDigit(char c);
// Value of a leading run of hexadecimal digits; reading stops at the first other character, and no
// digit at all gives 0. `digits`, when given, receives how many digits were read.
unsigned long long LeadingHexValue(std::string_view s, size_t* digits = nullptr);

}  // namespace vexav6::text
