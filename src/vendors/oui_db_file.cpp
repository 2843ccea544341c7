#include "vendors/oui_db_file.h"

#include <bit>
#include <cstring>
#include <limits>
#include <string_view>

#include "base/error.h"
#include "base/text.h"
#include "vendors/byte_scan.h"

namespace vexav6::OUIDatabase {
namespace {

constexpr size_t kHeaderSize = 1 + 8 + 4;
constexpr size_t kSmallestRecord = 4 + 3 * 2;
constexpr size_t kLongestText = 32767;

// Writes into a buffer sized beforehand.
class Writer {
  public:
    explicit Writer(uint8_t* out) : out_(out) {}
    void Byte(uint8_t v) { *out_++ = v; }
    void Int32(int32_t v) { Little(static_cast<uint32_t>(v), 4); }
    void Double(double v) { Little(std::bit_cast<uint64_t>(v), 8); }
    void Text(std::string_view s) {
        Little(s.size(), 2);
        if (!s.empty()) {
            std::memcpy(out_, s.data(), s.size());
            out_ += s.size();
        }
    }

  private:
    void Little(uint64_t v, int size) {
        for (int i = 0; i < size; ++i) {
            *out_++ = static_cast<uint8_t>(v >> (8 * i));
        }
    }
    uint8_t* out_;
};

// Reads the file's bytes, which the table being filled holds: texts found valid stay where they
// are; the table may grow its buffer meanwhile, so positions are kept, never pointers.
class Reader {
  public:
    Reader(OUITable& table, const char* source)
        : table_(table), end_(table.Buffer().size()), source_(source) {}

    size_t Remaining() const { return end_ - pos_; }
    uint8_t Byte() { return static_cast<uint8_t>(Little(1)); }
    int32_t Int32() { return static_cast<int32_t>(static_cast<uint32_t>(Little(4))); }
    double Double() { return std::bit_cast<double>(Little(8)); }

    OUITable::Span Text() {
        const auto length = static_cast<uint32_t>(Little(2));
        Need(length);
        const OUITable::Span span{static_cast<uint32_t>(pos_), length};
        pos_ += length;
        const std::string_view raw(table_.Buffer().data() + span.offset, length);
        if (!bytescan::HasHighByte(raw)) {
            return span;
        }
        // Valid UTF-8 comes back unchanged; a text written in an ANSI code page is converted and
        // kept after the file's bytes.
        std::string converted = text::AnsiToUtf8(raw);
        return converted == raw ? span : table_.Append(converted);
    }

    [[noreturn]] void PastEnd() const {
        throw Error(errnum::kInputPastEndOfFile, source_,
                    RuntimeErrorText(errnum::kInputPastEndOfFile));
    }

  private:
    void Need(size_t size) const {
        if (size > Remaining()) {
            PastEnd();
        }
    }
    uint64_t Little(int size) {
        Need(static_cast<size_t>(size));
        const auto* bytes = reinterpret_cast<const uint8_t*>(table_.Buffer().data()) + pos_;
        uint64_t v = 0;
        for (int i = 0; i < size; ++i) {
            v |= static_cast<uint64_t>(bytes[i]) << (8 * i);
        }
        pos_ += static_cast<size_t>(size);
        return v;
    }

    OUITable& table_;
    const size_t end_;
    const char* source_;
    size_t pos_ = 0;
};

}  // namespace

std::vector<uint8_t> Encode(const OUITable& table, OleDate lastModified, const char* errorSource) {
    size_t size = kHeaderSize;
    for (size_t i = 0; i < table.Size(); ++i) {
        for (const std::string_view s :
             {table.OUIText(i), table.CompanyName(i), table.CompanyAddress(i)}) {
            if (s.size() > kLongestText) {
                throw Error::Overflow(errorSource);
            }
            size += 2 + s.size();
        }
        size += 4;
    }
    std::vector<uint8_t> bytes(size);
    Writer out(bytes.data());
    out.Byte(kVersion);
    out.Double(lastModified.value);
    out.Int32(static_cast<int32_t>(table.Size()));
    for (size_t i = 0; i < table.Size(); ++i) {
        out.Int32(table.Number(i));
        out.Text(table.OUIText(i));
        out.Text(table.CompanyName(i));
        out.Text(table.CompanyAddress(i));
    }
    return bytes;
}

OUITable Decode(std::string fileBytes, OleDate& lastModified, const char* errorSource) {
    if (fileBytes.size() > std::numeric_limits<uint32_t>::max()) {
        throw Error::Overflow(errorSource);
    }
    const bool empty = fileBytes.empty();
    OUITable table(std::move(fileBytes));
    Reader in(table, errorSource);
    // An empty file has no version: it is refused like an unknown one.
    if (empty || in.Byte() != kVersion) {
        throw Error(errnum::kOwnCheck, errorSource, "Database file version not supported.");
    }
    lastModified.value = in.Double();
    const int32_t count = in.Int32();
    if (count < 1) {
        throw Error::SubscriptOutOfRange(errorSource);
    }
    // Every record takes at least 10 bytes: a count the data cannot hold is refused before any
    // room is made for it.
    if (static_cast<size_t>(count) > in.Remaining() / kSmallestRecord) {
        in.PastEnd();
    }
    table.Reserve(static_cast<size_t>(count), 0);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t number = in.Int32();
        const OUITable::Span oui = in.Text();
        const OUITable::Span name = in.Text();
        const OUITable::Span address = in.Text();
        table.AddInPlace(number, oui, name, address);
    }
    return table;
}

}  // namespace vexav6::OUIDatabase
