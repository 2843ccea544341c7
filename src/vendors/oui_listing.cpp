#include "vendors/oui_listing.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "base/error.h"
#include "base/text.h"

namespace vexav6 {
namespace {

// Splits text into lines. A line ends at CR LF, at LF or at a lone CR, each counting as one line
// end; the last line needs no line end. The next CR and LF are searched with memchr and remembered,
// so a file of lone CRs is read in one pass like any other.
class LineReader {
  public:
    explicit LineReader(std::string_view text)
        : text_(text), nextLf_(Find('\n')), nextCr_(Find('\r')) {}

    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) {
            return false;
        }
        if (nextLf_ < pos_) {
            nextLf_ = Find('\n');
        }
        if (nextCr_ < pos_) {
            nextCr_ = Find('\r');
        }
        ++lineNumber_;
        if (nextCr_ < nextLf_) {
            line = text_.substr(pos_, nextCr_ - pos_);
            pos_ = nextCr_ + 1;
            if (pos_ == nextLf_) {
                ++pos_;
            }
        } else {
            const size_t end = std::min(nextLf_, text_.size());
            line = text_.substr(pos_, end - pos_);
            pos_ = end + 1;
        }
        return true;
    }

    // 1-based number of the line last returned by Next.
    size_t LineNumber() const { return lineNumber_; }

  private:
    size_t Find(char c) const {
        const void* at = std::memchr(text_.data() + pos_, c, text_.size() - pos_);
        return at == nullptr ? SIZE_MAX
                             : static_cast<size_t>(static_cast<const char*>(at) - text_.data());
    }

    std::string_view text_;
    size_t pos_ = 0;
    // Positions of the next LF and CR (SIZE_MAX: none left); a position before pos_ has been
    // passed and is searched again from pos_.
    size_t nextLf_;
    size_t nextCr_;
    size_t lineNumber_ = 0;
};

std::string_view StripLeadingSpaces(std::string_view line) {
    const size_t first = line.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : line.substr(first);
}

// The tab-separated field at `index`, or nothing when the line has fewer fields.
std::optional<std::string_view> TabField(std::string_view line, size_t index) {
    size_t start = 0;
    for (size_t i = 0; i < index; ++i) {
        const size_t tab = line.find('\t', start);
        if (tab == std::string_view::npos) {
            return std::nullopt;
        }
        start = tab + 1;
    }
    const size_t end = line.find('\t', start);
    return line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The text before the first space.
std::string_view FirstWord(std::string_view field) {
    return field.substr(0, field.find(' '));
}

bool HasHighByte(std::string_view text) {
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        if ((word & 0x8080808080808080ull) != 0) {
            return true;
        }
    }
    for (; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) {
            return true;
        }
    }
    return false;
}

// Whether the whole text is valid UTF-8. Only the lines holding bytes above 0x7F need a look:
// CR and LF are never part of a multi-byte sequence, so the text is valid exactly when each of
// those lines is; AnsiToUtf8 gives back a valid line unchanged and changes any other.
bool IsUtf8Text(std::string_view text) {
    LineReader lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        if (HasHighByte(line) && text::AnsiToUtf8(line) != line) {
            return false;
        }
    }
    return true;
}

[[noreturn]] void Fail(const char* source, size_t lineNumber, const std::string& what) {
    throw Error(errnum::kOwnCheck, source,
                "Invalid vendor list (OUI) file: line " + std::to_string(lineNumber) + " " + what);
}

}  // namespace

std::vector<OUIRecord> ParseOUIListing(std::string_view listing, const char* errorSource) {
    std::string converted;
    if (HasHighByte(listing) && !IsUtf8Text(listing)) {
        converted = text::AnsiToUtf8(listing);
        listing = converted;
    }

    std::vector<OUIRecord> records;
    records.reserve(listing.size() / 160 + 16);  // an entry of the real listing takes ~160 bytes
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

        OUIRecord record;
        const std::optional<std::string_view> name = TabField(line, 2);
        if (!name) {
            Fail(errorSource, lines.LineNumber(),
                 "has too few fields for the first line of an entry.");
        }
        record.CompanyName = *name;
        record.OUIText = FirstWord(*TabField(line, 0));

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
        record.OUINumber = static_cast<int32_t>(number);

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
        record.CompanyAddress = address;
        records.push_back(std::move(record));
    }
    if (records.empty()) {
        throw Error(errnum::kOwnCheck, errorSource,
                    "Invalid vendor list (OUI) file: it holds no vendor entry.");
    }
    return records;
}

}  // namespace vexav6
