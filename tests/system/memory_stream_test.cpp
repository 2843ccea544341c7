#include "system/memory_stream.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "base/error.h"
#include "support/temp_dir.h"

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

MemoryStream StreamOf(const Bytes& bytes) {
    MemoryStream s;
    s.InitBuffer(bytes);
    return s;
}

TEST(MemoryStream, GrowsInWholeStepsAndOverwritesInTheMiddle) {
    MemoryStream s;
    s.Init(4);
    s.WriteBytes(Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(s.Capacity(), 12);  // shortfall 6: two steps of 4
    EXPECT_EQ(s.Length(), 10);
    EXPECT_EQ(s.Position(), 10);

    s.SetPosition(2);
    s.WriteBytes(Bytes{0xA, 0xB, 0xC});
    EXPECT_EQ(s.Length(), 10);
    EXPECT_EQ(s.Position(), 5);
    EXPECT_EQ(s.ToArray(), (Bytes{0, 1, 0xA, 0xB, 0xC, 5, 6, 7, 8, 9}));

    // A stream made from bytes grows by its own size.
    MemoryStream fromFile = StreamOf({1, 2, 3});
    fromFile.SetPosition(3);
    fromFile.WriteLong(7);
    EXPECT_EQ(fromFile.Capacity(), 9);
}

TEST(MemoryStream, PrimitiveEncodings) {
    MemoryStream s;
    s.Init(16);
    s.WriteBoolean(true);
    s.WriteByte(0xFE);
    s.WriteInt(-2);
    s.WriteLong(0x01020304);
    s.WriteDate(OleDate{36526.75});
    s.WriteString("abc");
    s.WriteString("");
    const Bytes expected = {1,                                                 // Boolean
                            0xFE,                                              // Byte
                            0xFE, 0xFF,                                        // Int -2
                            4,    3,    2, 1,                                  // Long
                            0,    0,    0, 0, 0xD8, 0xD5, 0xE1, 0x40,          // Date as a double
                            6,    0,    0, 0, 'a',  0,    'b',  0,    'c', 0,  // String "abc"
                            0,    0,    0, 0};                                 // String ""
    EXPECT_EQ(s.ToArray(), expected);

    s.SetPosition(0);
    EXPECT_TRUE(s.ReadBoolean());
    EXPECT_EQ(s.ReadByte(), 0xFE);
    EXPECT_EQ(s.ReadInt(), -2);
    EXPECT_EQ(s.ReadLong(), 0x01020304);
    EXPECT_EQ(s.ReadDate(), OleDate{36526.75});
    EXPECT_EQ(s.ReadString(), "abc");
    EXPECT_EQ(s.ReadString(), "");
    EXPECT_EQ(s.Position(), s.Length());
}

TEST(MemoryStream, ShortReads) {
    MemoryStream s = StreamOf({0xAA, 0x34, 0x12});
    s.SetPosition(1);
    EXPECT_EQ(s.ReadLong(), 0x1234);  // the two bytes left are the low half
    EXPECT_EQ(s.Position(), s.Length());
    EXPECT_EQ(s.ReadLong(), 0);
    EXPECT_EQ(s.ReadString(), "");

    s.SetPosition(0);
    EXPECT_EQ(s.ReadBytes3(2), (Bytes{0xAA, 0x34}));
    ExpectRefused([&] { s.ReadBytes3(2); });
    EXPECT_EQ(s.Position(), 3);  // moved over what was there

    // Length 10 with only 4 bytes of text; a damaged length asking for gigabytes fails alike.
    MemoryStream cut = StreamOf({10, 0, 0, 0, 'a', 0, 'b', 0});
    ExpectRefused([&] { cut.ReadString(); });
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
    s.ReadString2(value);  // a negative length is empty too
    EXPECT_EQ(value, "kept");
    EXPECT_EQ(s.Position(), 8);
    s.ReadString2(value);
    EXPECT_EQ(value, "new");
}

TEST(MemoryStream, PositionAndLength) {
    MemoryStream s;
    s.Init(8);
    s.WriteLong(1);
    s.SetPosition(4);
    ExpectRefused([&] { s.SetPosition(5); });
    ExpectRefused([&] { s.SetLength(9); });
    ExpectRefused([&] { s.SetLength(-1); });

    // A shorter length leaves the position where it was: nothing to read there, and a write
    // there brings the length up to it again.
    s.SetLength(2);
    EXPECT_EQ(s.Position(), 4);
    EXPECT_EQ(s.ReadInt(), 0);
    s.WriteByte(9);
    EXPECT_EQ(s.Length(), 5);
}

TEST(MemoryStream, WholeContent) {
    MemoryStream empty;
    empty.Init(4);
    Bytes target = {7};
    EXPECT_EQ(empty.CopyTo(target), 0);
    EXPECT_EQ(target, Bytes{7});
    ExpectRefused([&] { empty.ToArray(); });

    MemoryStream s = StreamOf({1, 2, 3});
    s.SetPosition(1);
    EXPECT_EQ(s.CopyTo(target), 3);
    EXPECT_EQ(target, (Bytes{1, 2, 3}));

    MemoryStream other;
    other.Init(2);
    other.WriteByte(0xEE);
    s.WriteTo2(other);
    empty.WriteTo2(other);
    EXPECT_EQ(other.ToArray(), (Bytes{0xEE, 1, 2, 3}));

    // Appending a stream to itself copies what it held before.
    s.SetPosition(3);
    s.WriteTo2(s);
    EXPECT_EQ(s.ToArray(), (Bytes{1, 2, 3, 1, 2, 3}));
}

TEST(MemoryStream, WriteTo3ReplacesTheFileWithTheContent) {
    testing::TempDir dir;
    const std::string file = dir.File("Default.kpf");
    testing::WriteFileBytes(file, "an older and longer file");
    MemoryStream s;
    s.Init(16);  // only the four bytes of content go to the file, not the whole buffer
    s.WriteBytes(Bytes{'k', 'p', 'f', 0});
    s.SetPosition(2);
    s.WriteTo3(file);
    EXPECT_EQ(testing::ReadFileBytes(file), std::string("kpf\0", 4));
    EXPECT_EQ(s.Position(), 2);

    // An empty stream writes nothing at all; a failed write raises the file error.
    MemoryStream empty;
    empty.Init(4);
    empty.WriteTo3(dir.File("empty.kpf"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "empty.kpf"));
    try {
        s.WriteTo3(dir.File("missing folder/x.kpf"));
        ADD_FAILURE() << "the write did not fail";
    } catch (const Error& e) {
        EXPECT_NE(e.Number(), 0);
    }
}

TEST(MemoryStream, RefusedCallsChangeNothing) {
    MemoryStream s = StreamOf({1, 2, 3, 4});
    s.SetPosition(2);
    std::array<uint8_t, 4> four{};
    ExpectRefused([&] { s.ReadBytes1(four, -1, 1); });
    ExpectRefused([&] { s.ReadBytes1(four, 2, 3); });
    ExpectRefused([&] { s.WriteBytes1(four, 3, 2); });
    ExpectRefused([&] { s.WriteBytes2(four, 5); });
    ExpectRefused([&] { s.InitBuffer2(four, 5); });
    EXPECT_EQ(s.Position(), 2);
    EXPECT_EQ(s.Capacity(), 4);
    EXPECT_EQ(s.ToArray(), (Bytes{1, 2, 3, 4}));

    // Nothing works without a buffer, before Init or after Dispose.
    MemoryStream fresh;
    ExpectRefused([&] { fresh.WriteByte(1); });
    s.Dispose();
    EXPECT_EQ(s.Length(), 0);
    ExpectRefused([&] { s.ReadLong(); });
}

}  // namespace
}  // namespace vexav6
