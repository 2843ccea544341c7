#include "presets/memory_stream.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>
#include <vector>

#include "base/error.h"

namespace vexav6 {
namespace {

using Bytes = std::vector<uint8_t>;

// Every refusal of the stream is error 1 without a text of its own.
template <class Call>
void ExpectRefused(Call call) {
    try {
        call();
        ADD_FAILURE() << "the call was not refused";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), errnum::kOwnCheck);
        EXPECT_EQ(e.Description(), "");
        EXPECT_EQ(e.Source(), kProjectName);
    }
}

struct State {
    int32_t position;
    int32_t length;
    int32_t capacity;
    Bytes content;
    bool operator==(const State&) const = default;
};

State StateOf(const MemoryStream& s) {
    Bytes content;
    s.CopyTo(content);
    return State{s.Position(), s.Length(), s.Capacity(), content};
}

MemoryStream StreamOf(const Bytes& bytes) {
    MemoryStream s;
    s.InitBuffer(bytes);
    return s;
}

TEST(MemoryStream, GrowsInWholeStepsOfTheInitialCapacity) {
    MemoryStream s;
    s.Init(4);
    EXPECT_EQ(s.Capacity(), 4);
    const Bytes ten = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    s.WriteBytes(ten);
    EXPECT_EQ(s.Capacity(), 12);
    EXPECT_EQ(s.Length(), 10);
    EXPECT_EQ(s.Position(), 10);
    s.WriteBytes(Bytes{10, 11});  // fits exactly
    EXPECT_EQ(s.Capacity(), 12);
    s.WriteByte(12);
    EXPECT_EQ(s.Capacity(), 16);
    EXPECT_EQ(s.ToArray(), (Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));

    // A stream made from bytes grows by its own size.
    MemoryStream fromFile = StreamOf({1, 2, 3});
    fromFile.SetPosition(3);
    fromFile.WriteLong(7);
    EXPECT_EQ(fromFile.Capacity(), 9);
}

TEST(MemoryStream, WritingInTheMiddleOverwrites) {
    MemoryStream s = StreamOf({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    s.SetPosition(2);
    s.WriteBytes(Bytes{0xA, 0xB, 0xC});
    EXPECT_EQ(s.Length(), 10);
    EXPECT_EQ(s.Position(), 5);
    EXPECT_EQ(s.ToArray(), (Bytes{0, 1, 0xA, 0xB, 0xC, 5, 6, 7, 8, 9}));
    s.SetPosition(8);
    s.WriteBytes(Bytes{0xD, 0xE, 0xF});
    EXPECT_EQ(s.Length(), 11);

    const std::array<uint8_t, 5> source = {9, 8, 7, 6, 5};
    s.SetPosition(0);
    s.WriteBytes1(source, 1, 2);
    s.WriteBytes2(source, 1);
    EXPECT_EQ(s.ToArray()[0], 8);
    EXPECT_EQ(s.ToArray()[1], 7);
    EXPECT_EQ(s.ToArray()[2], 9);
}

TEST(MemoryStream, PrimitiveEncodingsAreLittleEndian) {
    MemoryStream s;
    s.Init(16);
    s.WriteBoolean(true);
    s.WriteBoolean(false);
    s.WriteByte(0xFE);
    s.WriteInt(-2);
    s.WriteLong(0x01020304);
    s.WriteDouble(1.5);
    s.WriteDate(OleDate{36526.75});
    s.WriteString("abc");
    s.WriteString("");
    const Bytes expected = {1, 0, 0xFE, 0xFE, 0xFF, 4,   3, 2,   1,    0,    0,    0,    0,
                            0, 0, 0xF8, 0x3F, 0,    0,   0, 0,   0xD8, 0xD5, 0xE1, 0x40, 6,
                            0, 0, 0,    'a',  0,    'b', 0, 'c', 0,    0,    0,    0,    0};
    EXPECT_EQ(s.ToArray(), expected);

    s.SetPosition(0);
    EXPECT_TRUE(s.ReadBoolean());
    EXPECT_FALSE(s.ReadBoolean());
    EXPECT_EQ(s.ReadByte(), 0xFE);
    EXPECT_EQ(s.ReadInt(), -2);
    EXPECT_EQ(s.ReadLong(), 0x01020304);
    EXPECT_EQ(s.ReadDouble(), 1.5);
    EXPECT_EQ(s.ReadDate(), OleDate{36526.75});
    EXPECT_EQ(s.ReadString(), "abc");
    EXPECT_EQ(s.ReadString(), "");
    EXPECT_EQ(s.Position(), s.Length());

    // Any byte other than 0 reads as true.
    EXPECT_TRUE(StreamOf({7}).ReadBoolean());
}

TEST(MemoryStream, TextIsStoredAsUtf16) {
    MemoryStream s;
    s.Init(8);
    const std::string text = "Caf\xC3\xA9 \xF0\x9F\x93\xB6";  // an accent and a surrogate pair
    s.WriteString(text);
    const Bytes bytes = s.ToArray();
    ASSERT_EQ(bytes.size(), 4u + 14u);
    EXPECT_EQ(bytes[0], 14);
    EXPECT_EQ(bytes[10], 0xE9);
    EXPECT_EQ(bytes[11], 0x00);
    EXPECT_EQ(bytes[14], 0x3D);  // high surrogate D83D
    EXPECT_EQ(bytes[15], 0xD8);
    s.SetPosition(0);
    EXPECT_EQ(s.ReadString(), text);
}

TEST(MemoryStream, ShortTypedReadsTakeWhatIsThere) {
    MemoryStream s = StreamOf({0xAA, 0x34, 0x12});
    s.SetPosition(1);
    EXPECT_EQ(s.ReadLong(), 0x1234);
    EXPECT_EQ(s.Position(), s.Length());
    EXPECT_EQ(s.ReadLong(), 0);
    EXPECT_EQ(s.ReadInt(), 0);
    EXPECT_EQ(s.ReadByte(), 0);
    EXPECT_FALSE(s.ReadBoolean());
    EXPECT_EQ(s.ReadDouble(), 0.0);
    EXPECT_EQ(s.ReadString(), "");
    EXPECT_EQ(s.Position(), 3);

    MemoryStream two = StreamOf({0x01, 0x80});
    EXPECT_EQ(two.ReadDouble(), std::bit_cast<double>(uint64_t{0x8001}));
}

TEST(MemoryStream, StringCutShortFails) {
    // Length 10, only 4 bytes of text.
    MemoryStream s = StreamOf({10, 0, 0, 0, 'a', 0, 'b', 0});
    ExpectRefused([&] { s.ReadString(); });
    // The read has moved over what was there.
    EXPECT_EQ(s.Position(), 8);

    // A damaged length asking for gigabytes fails without trying to hold them.
    MemoryStream huge = StreamOf({0xFF, 0xFF, 0xFF, 0x7F, 'a', 0});
    ExpectRefused([&] { huge.ReadString(); });
}

TEST(MemoryStream, ReadString2KeepsTheTargetForAnEmptyText) {
    MemoryStream s;
    s.Init(8);
    s.WriteString("");
    s.WriteLong(-4);
    s.WriteString("new");
    s.SetPosition(0);
    std::string value = "kept";
    s.ReadString2(value);
    EXPECT_EQ(value, "kept");
    EXPECT_EQ(s.Position(), 4);
    s.ReadString2(value);  // negative length: also empty, only the length is read
    EXPECT_EQ(value, "kept");
    EXPECT_EQ(s.Position(), 8);
    s.ReadString2(value);
    EXPECT_EQ(value, "new");
    s.ReadString2(value);  // at the end
    EXPECT_EQ(value, "new");
}

TEST(MemoryStream, RawReads) {
    MemoryStream s = StreamOf({1, 2, 3, 4, 5});
    std::array<uint8_t, 3> three{};
    EXPECT_EQ(s.ReadBytes(three), 3);
    EXPECT_EQ(three, (std::array<uint8_t, 3>{1, 2, 3}));
    EXPECT_EQ(s.ReadBytes(three), 2);  // short
    EXPECT_EQ(three, (std::array<uint8_t, 3>{4, 5, 3}));
    EXPECT_EQ(s.ReadBytes(three), 0);

    s.SetPosition(1);
    std::array<uint8_t, 6> six{};
    EXPECT_EQ(s.ReadBytes1(six, 4, 2), 2);
    EXPECT_EQ(six, (std::array<uint8_t, 6>{0, 0, 0, 0, 2, 3}));
    EXPECT_EQ(s.ReadBytes2(six, 1), 1);
    EXPECT_EQ(six[0], 4);

    s.SetPosition(1);
    EXPECT_EQ(s.ReadBytes3(3), (Bytes{2, 3, 4}));
    ExpectRefused([&] { s.ReadBytes3(2); });
    EXPECT_EQ(s.Position(), 5);
}

TEST(MemoryStream, PositionAndLengthBounds) {
    MemoryStream s;
    s.Init(8);
    s.WriteLong(1);
    s.SetPosition(4);
    ExpectRefused([&] { s.SetPosition(5); });
    ExpectRefused([&] { s.SetPosition(-1); });
    s.SetPosition(0);
    s.SetLength(8);
    EXPECT_EQ(s.Length(), 8);
    ExpectRefused([&] { s.SetLength(9); });
    ExpectRefused([&] { s.SetLength(-1); });

    // A shorter length leaves the position where it was; reading there finds nothing.
    s.SetPosition(6);
    s.SetLength(2);
    EXPECT_EQ(s.Position(), 6);
    EXPECT_EQ(s.ReadInt(), 0);
    std::array<uint8_t, 2> two{};
    EXPECT_EQ(s.ReadBytes(two), 0);
    s.WriteByte(9);  // writing there makes the length reach it again
    EXPECT_EQ(s.Length(), 7);
}

TEST(MemoryStream, WholeContent) {
    MemoryStream empty;
    empty.Init(4);
    Bytes target = {7, 7};
    EXPECT_EQ(empty.CopyTo(target), 0);
    EXPECT_EQ(target, (Bytes{7, 7}));
    ExpectRefused([&] { empty.ToArray(); });

    MemoryStream s = StreamOf({1, 2, 3});
    s.SetPosition(1);
    EXPECT_EQ(s.CopyTo(target), 3);
    EXPECT_EQ(target, (Bytes{1, 2, 3}));
    EXPECT_EQ(s.Position(), 1);

    MemoryStream other;
    other.Init(2);
    other.WriteByte(0xEE);
    s.WriteTo2(other);
    empty.WriteTo2(other);
    EXPECT_EQ(other.ToArray(), (Bytes{0xEE, 1, 2, 3}));
    EXPECT_EQ(s.Position(), 1);
    EXPECT_EQ(other.Position(), 4);

    // Appending a stream to itself copies what it held before.
    s.SetPosition(3);
    s.WriteTo2(s);
    EXPECT_EQ(s.ToArray(), (Bytes{1, 2, 3, 1, 2, 3}));
}

TEST(MemoryStream, RefusedCallsChangeNothing) {
    MemoryStream s = StreamOf({1, 2, 3, 4});
    s.SetPosition(2);
    const State before = StateOf(s);
    std::array<uint8_t, 4> four{};
    const Bytes none;
    ExpectRefused([&] { s.ReadBytes1(four, -1, 1); });
    ExpectRefused([&] { s.ReadBytes1(four, 0, 0); });
    ExpectRefused([&] { s.ReadBytes1(four, 2, 3); });
    ExpectRefused([&] { s.ReadBytes2(four, 0); });
    ExpectRefused([&] { s.ReadBytes2(four, 5); });
    ExpectRefused([&] { s.ReadBytes(std::span<uint8_t>()); });
    ExpectRefused([&] { s.ReadBytes3(0); });
    ExpectRefused([&] { s.WriteBytes(none); });
    ExpectRefused([&] { s.WriteBytes1(four, 3, 2); });
    ExpectRefused([&] { s.WriteBytes2(four, 0); });
    ExpectRefused([&] { s.WriteBytes2(four, 5); });
    ExpectRefused([&] { s.SetPosition(5); });
    ExpectRefused([&] { s.SetLength(5); });
    ExpectRefused([&] { s.Init(0); });
    ExpectRefused([&] { s.InitBuffer(none); });
    ExpectRefused([&] { s.InitBuffer2(four, 5); });
    EXPECT_EQ(StateOf(s), before);
}

TEST(MemoryStream, NothingWorksBeforeInitOrAfterDispose) {
    MemoryStream s;
    EXPECT_EQ(s.Capacity(), 0);
    ExpectRefused([&] { s.WriteByte(1); });
    ExpectRefused([&] { s.ReadByte(); });
    ExpectRefused([&] { s.WriteString("x"); });

    const std::array<uint8_t, 4> four = {1, 2, 3, 4};
    s.InitBuffer2(four, 2);
    EXPECT_EQ(s.ToArray(), (Bytes{1, 2}));
    s.Dispose();
    EXPECT_EQ(s.Capacity(), 0);
    EXPECT_EQ(s.Length(), 0);
    EXPECT_EQ(s.Position(), 0);
    ExpectRefused([&] { s.ReadLong(); });
    ExpectRefused([&] { s.WriteLong(1); });
    s.Init(1);
    s.WriteLong(5);
    EXPECT_EQ(s.Capacity(), 4);
}

}  // namespace
}  // namespace vexav6
