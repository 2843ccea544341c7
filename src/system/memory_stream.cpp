#include "system/memory_stream.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "base/error.h"
#include "base/text.h"
#include "system/path.h"

namespace vexav6 {
namespace {

constexpr int64_t kMaxSize = std::numeric_limits<int32_t>::max();

// Callers that read files catch this and report their own message.
[[noreturn]] void Refuse() {
    throw Error(errnum::kOwnCheck, "", "");
}

// Offset and count must describe a non-empty part of an array of `size` bytes.
void CheckRange(size_t size, int32_t offset, int32_t count) {
    if (offset < 0 || count < 1 ||
        static_cast<int64_t>(offset) + count > static_cast<int64_t>(size)) {
        Refuse();
    }
}

std::string TextFromUtf16Le(const std::vector<uint8_t>& bytes) {
    // An odd last byte is not a whole code unit and is left out.
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return text::Utf16ToUtf8(units);
}

}  // namespace

void MemoryStream::Init(int32_t initialCapacity) {
    if (initialCapacity < 1) {
        Refuse();
    }
    buffer_.assign(static_cast<size_t>(initialCapacity), 0);
    growthStep_ = initialCapacity;
    position_ = 0;
    length_ = 0;
}

void MemoryStream::InitBuffer(std::span<const uint8_t> buffer) {
    if (buffer.empty() || static_cast<int64_t>(buffer.size()) > kMaxSize) {
        Refuse();
    }
    InitBuffer2(buffer, static_cast<int32_t>(buffer.size()));
}

void MemoryStream::InitBuffer2(std::span<const uint8_t> source, int32_t count) {
    if (count < 1 || static_cast<size_t>(count) > source.size()) {
        Refuse();
    }
    buffer_.assign(source.begin(), source.begin() + count);
    growthStep_ = count;
    position_ = 0;
    length_ = count;
}

void MemoryStream::Dispose() {
    std::vector<uint8_t>().swap(buffer_);
    growthStep_ = 0;
    position_ = 0;
    length_ = 0;
}

int32_t MemoryStream::ReadBytes(std::span<uint8_t> buffer) {
    if (static_cast<int64_t>(buffer.size()) > kMaxSize) {
        Refuse();
    }
    return ReadBytes2(buffer, static_cast<int32_t>(buffer.size()));
}

int32_t MemoryStream::ReadBytes1(std::span<uint8_t> buffer, int32_t offset, int32_t count) {
    RequireBuffer();
    CheckRange(buffer.size(), offset, count);
    return CopyOut(buffer.data() + offset, count);
}

int32_t MemoryStream::ReadBytes2(std::span<uint8_t> buffer, int32_t count) {
    return ReadBytes1(buffer, 0, count);
}

std::vector<uint8_t> MemoryStream::ReadBytes3(int32_t count) {
    RequireBuffer();
    if (count < 1) {
        Refuse();
    }
    // Checked before anything is allocated, so a damaged length in a file cannot ask for gigabytes.
    const int32_t left = std::max(length_ - position_, 0);
    if (left < count) {
        position_ += left;
        Refuse();
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    CopyOut(bytes.data(), count);
    return bytes;
}

void MemoryStream::WriteBytes(std::span<const uint8_t> buffer) {
    if (static_cast<int64_t>(buffer.size()) > kMaxSize) {
        Refuse();
    }
    WriteBytes2(buffer, static_cast<int32_t>(buffer.size()));
}

void MemoryStream::WriteBytes1(std::span<const uint8_t> buffer, int32_t offset, int32_t count) {
    RequireBuffer();
    CheckRange(buffer.size(), offset, count);
    CopyIn(buffer.data() + offset, count);
}

void MemoryStream::WriteBytes2(std::span<const uint8_t> source, int32_t count) {
    WriteBytes1(source, 0, count);
}

bool MemoryStream::ReadBoolean() {
    return ReadLittleEndian(1) != 0;
}

uint8_t MemoryStream::ReadByte() {
    return static_cast<uint8_t>(ReadLittleEndian(1));
}

int16_t MemoryStream::ReadInt() {
    return static_cast<int16_t>(static_cast<uint16_t>(ReadLittleEndian(2)));
}

int32_t MemoryStream::ReadLong() {
    return static_cast<int32_t>(static_cast<uint32_t>(ReadLittleEndian(4)));
}

OleDate MemoryStream::ReadDate() {
    return OleDate{ReadDouble()};
}

double MemoryStream::ReadDouble() {
    return std::bit_cast<double>(ReadLittleEndian(8));
}

std::string MemoryStream::ReadString() {
    std::string value;
    ReadString2(value);
    return value;
}

void MemoryStream::ReadString2(std::string& value) {
    const int32_t byteCount = ReadLong();
    if (byteCount <= 0) {
        return;
    }
    value = TextFromUtf16Le(ReadBytes3(byteCount));
}

void MemoryStream::WriteBoolean(bool value) {
    WriteLittleEndian(value ? 1 : 0, 1);
}

void MemoryStream::WriteByte(uint8_t value) {
    WriteLittleEndian(value, 1);
}

void MemoryStream::WriteInt(int16_t value) {
    WriteLittleEndian(static_cast<uint16_t>(value), 2);
}

void MemoryStream::WriteLong(int32_t value) {
    WriteLittleEndian(static_cast<uint32_t>(value), 4);
}

void MemoryStream::WriteDate(OleDate value) {
    WriteDouble(value.value);
}

void MemoryStream::WriteDouble(double value) {
    WriteLittleEndian(std::bit_cast<uint64_t>(value), 8);
}

void MemoryStream::WriteString(std::string_view value) {
    RequireBuffer();
    const std::u16string units = text::Utf8ToUtf16(value);
    const int64_t byteCount = static_cast<int64_t>(units.size()) * 2;
    if (byteCount + 4 > kMaxSize) {
        throw Error::Overflow();
    }
    // Length and text go in as one write, so a refused write leaves no stray length behind.
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(byteCount) + 4);
    const auto n = static_cast<uint32_t>(byteCount);
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<uint8_t>(n >> (8 * i)));
    }
    for (const char16_t unit : units) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    CopyIn(bytes.data(), static_cast<int32_t>(bytes.size()));
}

void MemoryStream::WriteTo2(MemoryStream& target) const {
    if (length_ <= 0) {
        return;
    }
    if (&target == this) {
        // Growing the buffer would move the bytes being copied: copy them out first.
        const std::vector<uint8_t> content = ToArray();
        target.WriteBytes(content);
        return;
    }
    target.WriteBytes2(std::span<const uint8_t>(buffer_.data(), static_cast<size_t>(length_)),
                       length_);
}

void MemoryStream::WriteTo3(std::string_view filePath) const {
    if (length_ <= 0) {
        return;
    }
    Path::WriteAllBytes(
        filePath, std::span<const uint8_t>(buffer_.data(), static_cast<size_t>(length_)), true);
}

int32_t MemoryStream::CopyTo(std::vector<uint8_t>& buffer) const {
    if (length_ < 1) {
        return 0;
    }
    buffer.assign(buffer_.begin(), buffer_.begin() + length_);
    return length_;
}

std::vector<uint8_t> MemoryStream::ToArray() const {
    if (length_ < 1) {
        Refuse();
    }
    return std::vector<uint8_t>(buffer_.begin(), buffer_.begin() + length_);
}

void MemoryStream::SetLength(int32_t length) {
    // A negative length would leave no valid position at all (0 would be above it).
    if (length < 0 || length > Capacity()) {
        Refuse();
    }
    length_ = length;
}

void MemoryStream::SetPosition(int32_t position) {
    if (position < 0 || position > length_) {
        Refuse();
    }
    position_ = position;
}

void MemoryStream::RequireBuffer() const {
    if (buffer_.empty()) {
        Refuse();
    }
}

void MemoryStream::Grow(int32_t count) {
    const int64_t capacity = Capacity();
    const int64_t shortfall = static_cast<int64_t>(position_) + count - capacity;
    if (shortfall <= 0) {
        return;
    }
    const int64_t steps = (shortfall + growthStep_ - 1) / growthStep_;
    const int64_t newCapacity = capacity + steps * growthStep_;
    if (newCapacity > kMaxSize) {
        throw Error::Overflow();
    }
    buffer_.resize(static_cast<size_t>(newCapacity), 0);
}

int32_t MemoryStream::CopyOut(uint8_t* target, int32_t count) {
    const int32_t left = length_ - position_;
    if (left <= 0) {
        return 0;
    }
    const int32_t n = std::min(count, left);
    std::memcpy(target, buffer_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

void MemoryStream::CopyIn(const uint8_t* source, int32_t count) {
    Grow(count);
    std::memcpy(buffer_.data() + position_, source, static_cast<size_t>(count));
    position_ += count;
    length_ = std::max(length_, position_);
}

uint64_t MemoryStream::ReadLittleEndian(int32_t width) {
    RequireBuffer();
    uint8_t bytes[8] = {};
    CopyOut(bytes, width);
    uint64_t value = 0;
    for (int32_t i = width - 1; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

void MemoryStream::WriteLittleEndian(uint64_t value, int32_t width) {
    RequireBuffer();
    uint8_t bytes[8] = {};
    for (int32_t i = 0; i < width; ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
    CopyIn(bytes, width);
}

}  // namespace vexav6
