#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/ole_date.h"

namespace vexav6 {

// A growable byte buffer with a read/write position and typed readers and writers: the base of the
// preset and settings files. All values are little-endian without padding: Boolean and Byte one
// byte, Int two, Long four, Date and Double eight (IEEE doubles), String a Long byte count followed
// by that many bytes of UTF-16LE text.
//
// One of the initialisers must run before any read or write. Every refused call raises error 1
// without a description and leaves the stream as it was; only ReadBytes3 (and ReadString, which
// uses it) has already moved over the bytes that were there when it fails for want of more.
class MemoryStream {
  public:
    MemoryStream() = default;

    // An empty stream whose buffer starts at, and grows in whole multiples of, `initialCapacity`.
    void Init(int32_t initialCapacity);
    // A stream holding a copy of `buffer` (not empty), positioned at its start.
    void InitBuffer(std::span<const uint8_t> buffer);
    // A stream holding a copy of the first `count` bytes of `source` (1 to its size).
    void InitBuffer2(std::span<const uint8_t> source, int32_t count);
    // Releases the buffer; the stream must be initialised again before further use.
    void Dispose();

    // Raw reads from Position. Each copies what is there, up to the count asked for, and returns
    // how many bytes it copied (0 at the end of the data). The count (and offset) must name a
    // non-empty part of the given span.
    int32_t ReadBytes(std::span<uint8_t> buffer);
    int32_t ReadBytes1(std::span<uint8_t> buffer, int32_t offset, int32_t count);
    int32_t ReadBytes2(std::span<uint8_t> buffer, int32_t count);
    // Exactly `count` bytes; fails when fewer are left (after moving over those that were there).
    std::vector<uint8_t> ReadBytes3(int32_t count);

    // Raw writes at Position, growing the buffer as needed; Length becomes at least Position. The
    // count (and offset) must name a non-empty part of the given span. A stream cannot grow past
    // 2 GiB: such a write fails with error 6 (overflow).
    void WriteBytes(std::span<const uint8_t> buffer);
    void WriteBytes1(std::span<const uint8_t> buffer, int32_t offset, int32_t count);
    void WriteBytes2(std::span<const uint8_t> source, int32_t count);

    // Typed reads. With fewer bytes left than the value's width, the bytes that are there are its
    // low-order bytes (at the end of the data: 0, false, the empty text). A String whose text is
    // cut short fails.
    bool ReadBoolean();
    uint8_t ReadByte();
    int16_t ReadInt();
    int32_t ReadLong();
    OleDate ReadDate();
    double ReadDouble();
    std::string ReadString();
    // Reads a String into `value`; a stored length of 0 or less leaves `value` as it was.
    void ReadString2(std::string& value);

    void WriteBoolean(bool value);
    void WriteByte(uint8_t value);
    void WriteInt(int16_t value);
    void WriteLong(int32_t value);
    void WriteDate(OleDate value);
    void WriteDouble(double value);
    void WriteString(std::string_view value);

    // Whole-content operations; none of them moves Position.
    // Appends the content to `target` at its position (nothing when Length is 0).
    void WriteTo2(MemoryStream& target) const;
    // Replaces the file with the content, in one piece (nothing is written when Length is 0).
    void WriteTo3(std::string_view filePath) const;
    // Resizes `buffer` to the content and copies it; returns Length, or 0 (buffer untouched) when
    // the stream is empty.
    int32_t CopyTo(std::vector<uint8_t>& buffer) const;
    // The content; fails on an empty stream.
    std::vector<uint8_t> ToArray() const;

    int32_t Capacity() const { return static_cast<int32_t>(buffer_.size()); }
    int32_t Length() const { return length_; }
    // Any length from 0 to Capacity; Position is left as it is.
    void SetLength(int32_t length);
    int32_t Position() const { return position_; }
    // Any position from 0 to Length.
    void SetPosition(int32_t position);

  private:
    void RequireBuffer() const;
    // Makes room for `count` more bytes at Position.
    void Grow(int32_t count);
    // Copies up to `count` bytes from Position into `target`; the caller has checked the arguments.
    int32_t CopyOut(uint8_t* target, int32_t count);
    void CopyIn(const uint8_t* source, int32_t count);
    // Reads up to `width` bytes as the low-order bytes of a little-endian value.
    uint64_t ReadLittleEndian(int32_t width);
    void WriteLittleEndian(uint64_t value, int32_t width);

    std::vector<uint8_t> buffer_;
    int32_t position_ = 0;
    int32_t length_ = 0;
    int32_t growthStep_ = 0;
};

}  // namespace vexav6
