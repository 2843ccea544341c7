#include "vendors/oui_db_file.h"

#include <bit>
#include <cstring>
#include <string>
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
    void Int16(uint16_t v) { Little(v, 2); }
    void Int32(int32_t v) { Little(static_cast<uint32_t>(v), 4); }
    void Double(double v) { Little(std::bit_cast<uint64_t>(v), 8); }
    void Bytes(std::string_view s) {
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

class Reader {
  public:
    Reader(std::span<const uint8_t> bytes, const char* source) : bytes_(bytes), source_(source) {}

    size_t Remaining() const { return bytes_.size() - pos_; }
    uint8_t Byte() { return static_cast<uint8_t>(Little(1)); }
    int32_t Int32() { return static_cast<int32_t>(static_cast<uint32_t>(Little(4))); }
    double Double() { return std::bit_cast<double>(Little(8)); }
    void Text(std::string& out) {
        Need(2);
        const size_t length = bytes_[pos_] | (size_t{bytes_[pos_ + 1]} << 8);
        pos_ += 2;
        Need(length);
        const std::string_view raw(reinterpret_cast<const char*>(bytes_.data() + pos_), length);
        pos_ += length;
        if (bytescan::HasHighByte(raw)) {
            out = text::AnsiToUtf8(raw);
        } else {
            out.assign(raw);
        }
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
        uint64_t v = 0;
        for (int i = 0; i < size; ++i) {
            v |= static_cast<uint64_t>(bytes_[pos_ + static_cast<size_t>(i)]) << (8 * i);
        }
        pos_ += static_cast<size_t>(size);
        return v;
    }

    std::span<const uint8_t> bytes_;
    const char* source_;
    size_t pos_ = 0;
};

}  // namespace

std::vector<uint8_t> Encode(const std::vector<OUIRecord>& records, OleDate lastModified,
                            const char* errorSource) {
    size_t size = kHeaderSize;
    for (const OUIRecord& r : records) {
        for (const std::string* s : {&r.OUIText, &r.CompanyName, &r.CompanyAddress}) {
            if (s->size() > kLongestText) {
                throw Error::Overflow(errorSource);
            }
            size += 2 + s->size();
        }
        size += 4;
    }
    std::vector<uint8_t> bytes(size);
    Writer out(bytes.data());
    out.Byte(kVersion);
    out.Double(lastModified.value);
    out.Int32(static_cast<int32_t>(records.size()));
    for (const OUIRecord& r : records) {
        out.Int32(r.OUINumber);
        for (const std::string* s : {&r.OUIText, &r.CompanyName, &r.CompanyAddress}) {
            out.Int16(static_cast<uint16_t>(s->size()));
            out.Bytes(*s);
        }
    }
    return bytes;
}

std::vector<OUIRecord> Decode(std::span<const uint8_t> bytes, OleDate& lastModified,
                              const char* errorSource) {
    Reader in(bytes, errorSource);
    // An empty file has no version: it is refused like an unknown one.
    if (bytes.empty() || in.Byte() != kVersion) {
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
    std::vector<OUIRecord> records;
    records.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        OUIRecord& r = records.emplace_back();
        r.OUINumber = in.Int32();
        in.Text(r.OUIText);
        in.Text(r.CompanyName);
        in.Text(r.CompanyAddress);
    }
    return records;
}

}  // namespace vexav6::OUIDatabase
