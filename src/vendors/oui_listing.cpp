#include "vendors/oui_listing.h"

#include <cstdint>
#include <optional>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "vendors/byte_scan.h"

namespace vexav6 {
namespace {

// Splits text into lines. A line ends at CR LF, at LF or at a lone CR, each counting as one line
// end; the last line needs no line end.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}

    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) {
            return false;
        }
        ++lineNumber_;
        const size_t end = bytescan::FindLineEnd(text_, pos_);
        line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        if (end + 1 < text_.size() && text_[end] == '\r' && text_[end + 1] == '\n') {
            ++pos_;
        }
        return true;
    }

    // 1-based number of the line last returned by Next.
    size_t LineNumber() const { return lineNumber_; }

  private:
    std::string_view text_;
    size_t pos_ = 0;
    size_t lineNumber_ = 0;
};

std::string_view StripLeadingSpaces(std::string_view line) {
    size_t first = 0;
    while (first < line.size() && line[first] == ' ') {
        ++first;
    }
    return line.substr(first);
}

// The tab-separated field at `index`, or nothing when the line has fewer fields.
std::optional<std::string_view> TabField(std::string_view line, size_t index) {
    size_t start = 0;
    for (size_t field = 0; field < index; ++field) {
        while (start < line.size() && line[start] != '\t') {
            ++start;
        }
        if (start == line.size()) {
            return std::nullopt;
        }
        ++start;
    }
    size_t end = start;
    while (end < line.size() && line[end] != '\t') {
        ++end;
    }
    return line.substr(start, end - start);
}

// The text before the first space.
std::string_view FirstWord(std::string_view field) {
    size_t end = 0;
    while (end < field.size() && field[end] != ' ') {
        ++end;
    }
    return field.substr(0, end);
}

// Whether the whole text is valid UTF-8. Only the lines holding bytes above 0x7F need a look:
// CR and LF are never part of a multi-byte sequence, so the text is valid exactly when each of
// those lines is; AnsiToUtf8 gives back a valid line unchanged and changes any other.
bool IsUtf8Text(std::string_view text) {
    size_t pos = 0;
    for (;;) {
        const size_t high = bytescan::FindHighByte(text, pos);
        if (high == text.size()) {
            return true;
        }
        size_t start = high;
        while (start > 0 && text[start - 1] != '\r' && text[start - 1] != '\n') {
            --start;
        }
        const size_t end = bytescan::FindLineEnd(text, high);
        const std::string_view line = text.substr(start, end - start);
        if (text::AnsiToUtf8(line) != line) {
            return false;
        }
        pos = end;
    }
}

[[noreturn]] void Fail(const char* source, size_t lineNumber, const std::string& what) {
    throw Error(errnum::kOwnCheck, source,
                "Invalid vendor list (OUI) file: line " + std::to_string(lineNumber) + " " + what);
}

}  // namespace

OUITable ParseOUIListing(std::string_view listing, const char* errorSource) {
    std::string converted;
    if (!IsUtf8Text(listing)) {
        converted = text::AnsiToUtf8(listing);
        listing = converted;
    }

    OUITable table;
    // An entry of the real listing takes some 160 bytes, of which some 75 are kept.
    table.Reserve(listing.size() / 160 + 16, listing.size() / 2);
    std::string address;
    LineReader lines(listing);
    std::string_view line;
    while (lines.Next(line)) {
        line = StripLeadingSpaces(line);
        if (line.empty()) {
            continue;
        }
        if (line.substr(0, 3) == "OUI") {
            // Column header: it and the two lines after it carry no entry.
            lines.Next(line);
            lines.Next(line);
            continue;
        }

        const std::optional<std::string_view> name = TabField(line, 2);
        if (!name) {
            Fail(errorSource, lines.LineNumber(),
                 "has too few fields for the first line of an entry.");
        }
        const std::string_view ouiText = FirstWord(*TabField(line, 0));

        const size_t entryLine = lines.LineNumber();
        if (!lines.Next(line)) {
            Fail(errorSource, entryLine, "starts an entry that ends before its base 16 line.");
        }
        line = StripLeadingSpaces(line);
        const std::string_view hex = FirstWord(*TabField(line, 0));
        size_t digits = 0;
        const unsigned long long number = text::LeadingHexValue(hex, &digits);
        if (digits == 0 || digits != hex.size() || digits > 6) {
            Fail(errorSource, lines.LineNumber(),
                 "does not begin with the entry's six-digit hexadecimal number.");
        }

        address.clear();
        while (lines.Next(line)) {
            line = StripLeadingSpaces(line);
            if (line.empty()) {
                break;
            }
            const std::optional<std::string_view> part = TabField(line, 4);
            if (!part) {
                Fail(errorSource, lines.LineNumber(), "has too few fields for an address line.");
            }
            if (*part == " ") {
                break;
            }
            if (!address.empty()) {
                address += ", ";
            }
            address += *part;
        }
        table.Add(static_cast<int32_t>(number), ouiText, *name, address);
    }
    if (table.Size() == 0) {
        throw Error(errnum::kOwnCheck, errorSource,
                    "Invalid vendor list (OUI) file: it holds no vendor entry.");
    }
    return table;
}

}  // namespace vexav6
