#include "base/text.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

namespace vexav6::text {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at `i`, advancing it; malformed sequences give U+FFFD and advance by one.
char32_t DecodeUtf8(std::string_view s, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + length > s.size()) {
        ++i;
        return kReplacement;
    }
    for (size_t k = 1; k < length; ++k) {
        const unsigned char next = byte(i + k);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += length;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const size_t start = i;
        if (DecodeUtf8(s, i) == kReplacement) {
            // A literal U+FFFD (EF BF BD) is valid; a replacement for a bad byte advances by one.
            if (i - start != 3) {
                return false;
            }
        }
    }
    return true;
}

// Windows-1252 bytes 0x80..0x9F; the rest of the upper half is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const char32_t cp = DecodeUtf8(utf8, i);
        if (cp >= 0x10000) {
            const char32_t v = cp - 0x10000;
            out += static_cast<char16_t>(0xD800 + (v >> 10));
            out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        const char16_t unit = utf16[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                                (static_cast<char32_t>(utf16[i + 1]) - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

std::string AnsiToUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) {
        return std::string(bytes);
    }
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else if (b < 0xA0) {
            AppendUtf8(out, kCp1252High[b - 0x80]);
        } else {
            AppendUtf8(out, b);
        }
    }
    return out;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string ToLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = AsciiLower(c);
    }
    return out;
}

std::string ToUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = AsciiUpper(c);
    }
    return out;
}

namespace {

// Runs of code points that fold by the same distance: every `stride`-th code point from `first`
// to `last` folds to itself plus `delta`.
struct FoldRun {
    char32_t first;
    char32_t last;
    int32_t delta;
    uint32_t stride;
};

constexpr FoldRun kFoldRuns[] = {
#include "base/case_folding.inc"
};

char32_t FoldCodePoint(char32_t cp) {
    if (cp < 0x80) {
        return static_cast<char32_t>(AsciiLower(static_cast<char>(cp)));
    }
    const auto* run = std::upper_bound(std::begin(kFoldRuns), std::end(kFoldRuns), cp,
                                       [](char32_t c, const FoldRun& r) { return c < r.first; });
    if (run == std::begin(kFoldRuns)) {
        return cp;
    }
    --run;
    if (cp > run->last || (cp - run->first) % run->stride != 0) {
        return cp;
    }
    return static_cast<char32_t>(static_cast<int32_t>(cp) + run->delta);
}

// A byte that is no part of valid UTF-8 stands for itself, apart from every real code point.
constexpr char32_t kRawByteBase = 0x110000;

// The folded code points of a text, each with the byte offset where it begins (and the size of
// the text at the end).
struct FoldedText {
    std::vector<char32_t> codePoints;
    std::vector<size_t> offsets;
};

FoldedText Fold(std::string_view s) {
    FoldedText folded;
    size_t i = 0;
    while (i < s.size()) {
        const size_t start = i;
        char32_t cp = DecodeUtf8(s, i);
        if (cp == kReplacement && i - start == 1) {
            cp = kRawByteBase + static_cast<unsigned char>(s[start]);
        }
        folded.codePoints.push_back(FoldCodePoint(cp));
        folded.offsets.push_back(start);
    }
    folded.offsets.push_back(s.size());
    return folded;
}

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; });
}

}  // namespace

std::string FoldCase(std::string_view s) {
    if (IsAscii(s)) {
        return ToLower(s);
    }
    const FoldedText folded = Fold(s);
    std::string out;
    out.reserve(s.size());
    for (size_t k = 0; k < folded.codePoints.size(); ++k) {
        const char32_t cp = folded.codePoints[k];
        if (cp >= kRawByteBase) {
            out += static_cast<char>(cp - kRawByteBase);
        } else {
            AppendUtf8(out, cp);
        }
    }
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (IsAscii(a) && IsAscii(b)) {
        if (a.size() != b.size()) {
            return false;
        }
        for (size_t i = 0; i < a.size(); ++i) {
            if (AsciiLower(a[i]) != AsciiLower(b[i])) {
                return false;
            }
        }
        return true;
    }
    return Fold(a).codePoints == Fold(b).codePoints;
}

bool StartsWithIgnoreCase(std::string_view s, std::string_view prefix) {
    return FindIgnoreCase(s, prefix) == 0;
}

size_t FindIgnoreCase(std::string_view haystack, std::string_view needle) {
    const FoldedText text = Fold(haystack);
    const std::vector<char32_t> wanted = Fold(needle).codePoints;
    if (wanted.size() > text.codePoints.size()) {
        return std::string_view::npos;
    }
    const auto found =
        std::search(text.codePoints.begin(), text.codePoints.end(), wanted.begin(), wanted.end());
    if (found == text.codePoints.end() && !wanted.empty()) {
        return std::string_view::npos;
    }
    return text.offsets[static_cast<size_t>(found - text.codePoints.begin())];
}

bool ContainsIgnoreCase(std::string_view haystack, std::string_view needle) {
    return FindIgnoreCase(haystack, needle) != std::string_view::npos;
}

std::string TrimLeft(std::string_view s) {
    const size_t first = s.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(s.substr(first));
}

std::string TrimRight(std::string_view s) {
    const size_t last = s.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(s.substr(0, last + 1));
}

std::string Trim(std::string_view s) {
    return TrimLeft(TrimRight(s));
}

std::vector<std::string> Split(std::string_view s, std::string_view delimiter) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = s.find(delimiter, start);
        if (at == std::string_view::npos) {
            parts.emplace_back(s.substr(start));
            return parts;
        }
        parts.emplace_back(s.substr(start, at - start));
        start = at + delimiter.size();
    }
}

std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            out += separator;
        }
        out += parts[i];
    }
    return out;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
    std::string out;
    size_t start = 0;
    for (;;) {
        const size_t at = s.find(from, start);
        if (at == std::string_view::npos) {
            out += s.substr(start);
            return out;
        }
        out += s.substr(start, at - start);
        out += to;
        start = at + from.size();
    }
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned long long LeadingHexValue(std::string_view s, size_t* digits) {
    unsigned long long value = 0;
    size_t count = 0;
    for (const char c : s) {
        if (!IsHexDigit(c)) {
            break;
        }
        const int d = (c <= '9') ? c - '0' : AsciiLower(c) - 'a' + 10;
        value = value * 16 + static_cast<unsigned>(d);
        ++count;
    }
    if (digits != nullptr) {
        *digits = count;
    }
    return value;
}

}  // namespace vexav6::text
