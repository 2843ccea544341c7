#include "system/common.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include "base/text.h"

namespace vexav6::Common {
namespace {

// `v` (finite, not negative) rounded to two decimal places with halves to even and written in the
// shortest form: no trailing zeros, no point for a whole number, "." as the decimal separator.
//
// The rounding works on the shortest decimal text that reads back as `v`, not on its binary value:
// 1135 bps is 1.135 kbps, which as a double is a hair below 1.135 and would round down to 1.13,
// while the quantity is an exact half and shows as 1.14.
std::string RoundedDecimalText(double v) {
    std::array<char, 64> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v,
                                         std::chars_format::scientific);
    if (ec != std::errc()) {
        return "0";
    }
    // "d.ddde+XX": the significant digits, then the decimal exponent of the first one.
    const std::string_view scientific(buffer.data(), static_cast<size_t>(end - buffer.data()));
    const size_t e = scientific.find('e');
    std::string digits;
    for (const char c : scientific.substr(0, e)) {
        if (c != '.') {
            digits += c;
        }
    }
    const int exponent = std::atoi(std::string(scientific.substr(e + 1)).c_str());

    // Split into the whole part and the fraction, with zeros added where the point lies outside
    // the significant digits.
    std::string whole;
    std::string fraction;
    const int point = exponent + 1;
    if (point <= 0) {
        whole = "0";
        fraction = std::string(static_cast<size_t>(-point), '0') + digits;
    } else if (static_cast<size_t>(point) >= digits.size()) {
        whole = digits + std::string(static_cast<size_t>(point) - digits.size(), '0');
    } else {
        whole = digits.substr(0, static_cast<size_t>(point));
        fraction = digits.substr(static_cast<size_t>(point));
    }

    std::string kept = whole + (fraction + "00").substr(0, 2);
    const std::string dropped = fraction.size() > 2 ? fraction.substr(2) : std::string();
    bool roundUp = false;
    if (!dropped.empty()) {
        const bool beyondHalf = dropped.find_first_not_of('0', 1) != std::string::npos;
        const bool lastOdd = (kept.back() - '0') % 2 == 1;
        roundUp = dropped[0] > '5' || (dropped[0] == '5' && (beyondHalf || lastOdd));
    }
    if (roundUp) {
        size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9') {
            kept[--i] = '0';
        }
        if (i == 0) {
            kept.insert(kept.begin(), '1');
        } else {
            ++kept[i - 1];
        }
    }

    std::string decimals = kept.substr(kept.size() - 2);
    std::string out = kept.substr(0, kept.size() - 2);
    while (!decimals.empty() && decimals.back() == '0') {
        decimals.pop_back();
    }
    if (!decimals.empty()) {
        out += '.';
        out += decimals;
    }
    return out;
}

// The unit is chosen first (a step up at 1000 of the current unit, at most three steps), then the
// value is rounded: 999999 bps is 999.999 kbps and shows as "1000 kbps".
std::string FormatQuantity(double v, double divisor, const std::array<const char*, 4>& units,
                           const char* zeroText) {
    if (!(v >= 1)) {  // also NaN
        return zeroText;
    }
    size_t unit = 0;
    while (unit + 1 < units.size() && v >= 1000) {
        v /= divisor;
        ++unit;
    }
    if (std::isinf(v)) {
        return std::string("Infinity") + units[unit];
    }
    return RoundedDecimalText(v) + units[unit];
}

// Length as the program's texts count it: in UTF-16 code units.
size_t TextLength(std::string_view text) {
    return text::Utf8ToUtf16(text).size();
}

// The first character of `pad` (a whole UTF-8 sequence), repeated.
std::string Repeat(std::string_view pad, size_t count) {
    if (pad.empty()) {
        throw Error::InvalidProcedureCall();
    }
    size_t width = 1;
    const auto lead = static_cast<unsigned char>(pad[0]);
    if (lead >= 0xF0) {
        width = 4;
    } else if (lead >= 0xE0) {
        width = 3;
    } else if (lead >= 0xC0) {
        width = 2;
    }
    const std::string_view character = pad.substr(0, width);
    std::string out;
    out.reserve(character.size() * count);
    for (size_t i = 0; i < count; ++i) {
        out += character;
    }
    return out;
}

size_t PadCount(std::string_view text, int16_t width) {
    const size_t length = TextLength(text);
    if (width < 0 || length > static_cast<size_t>(width)) {
        throw Error::InvalidProcedureCall();
    }
    return static_cast<size_t>(width) - length;
}

// A whole number field of an HTTP date: blanks around it and a sign are allowed, anything else
// (including an empty field) is a type mismatch.
int ReadDateField(std::string_view field) {
    size_t at = 0;
    while (at < field.size() && field[at] == ' ') {
        ++at;
    }
    bool negative = false;
    if (at < field.size() && (field[at] == '+' || field[at] == '-')) {
        negative = field[at] == '-';
        ++at;
    }
    int value = 0;
    size_t digits = 0;
    while (at < field.size() && field[at] >= '0' && field[at] <= '9') {
        value = value * 10 + (field[at] - '0');
        ++digits;
        ++at;
    }
    while (at < field.size() && field[at] == ' ') {
        ++at;
    }
    if (digits == 0 || at != field.size()) {
        throw Error::TypeMismatch();
    }
    return negative ? -value : value;
}

}  // namespace

std::string FormatBitRate(double bitsPerSecond) {
    return FormatQuantity(bitsPerSecond, 1000, {" bps", " kbps", " mbps", " gbps"}, "0 bps");
}

std::string FormatByteRate(double bytesPerSecond) {
    return FormatQuantity(bytesPerSecond, 1024, {" B/s", " KB/s", " MB/s", " GB/s"}, "0 B/s");
}

std::string FormatByteSize(double bytes) {
    return FormatQuantity(bytes, 1024, {" byte", " KB", " MB", " GB"}, "0 byte");
}

std::string PadLeft(std::string_view text, int16_t width, std::string_view pad) {
    std::string out = Repeat(pad, PadCount(text, width));
    out += text;
    return out;
}

std::string PadRight(std::string_view text, int16_t width, std::string_view pad) {
    std::string out(text);
    out += Repeat(pad, PadCount(text, width));
    return out;
}

std::string NextToken(std::string& text, std::string_view delimiter) {
    // An empty delimiter would be "found" at the start and silently eat the first character.
    if (delimiter.empty()) {
        throw Error::InvalidProcedureCall();
    }
    const size_t at = text.find(delimiter);
    if (at == std::string::npos) {
        std::string token = std::move(text);
        text.clear();
        return token;
    }
    std::string token = text.substr(0, at);
    text.erase(0, at + 1);
    return token;
}

OleDate ParseHttpDate(std::string_view text) {
    // "Tue, 15 Nov 1994 08:12:31 GMT": every field sits at a fixed position.
    if (text.size() < 25) {
        throw Error::TypeMismatch();
    }
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    const int day = ReadDateField(text.substr(5, 2));
    const std::string monthText = text::ToLower(text.substr(8, 3));
    int month = 1;
    for (size_t i = 0; i < kMonths.size(); ++i) {
        if (kMonths[i] == monthText) {
            month = static_cast<int>(i) + 1;
            break;
        }
    }
    const int year = ReadDateField(text.substr(12, 4));
    const int hour = ReadDateField(text.substr(17, 2));
    const int minute = ReadDateField(text.substr(20, 2));
    const int second = ReadDateField(text.substr(23, 2));
    return DateFromCivil(year, month, day, hour, minute, second);
}

std::string StringFromAnsiPointer(const char* text) {
    if (text == nullptr) {
        return std::string();
    }
    return text::AnsiToUtf8(text);
}

}  // namespace vexav6::Common
