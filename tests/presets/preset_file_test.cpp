#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "base/error.h"
#include "presets/byte_builder.h"
#include "presets/preset_support.h"
#include "startup/path_fault_injection.h"
#include "support/temp_dir.h"

namespace vexav6 {
namespace {

using testing::ByteBuilder;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;
using Bytes = std::vector<uint8_t>;

std::shared_ptr<Preset> Named(const std::string& name, int32_t action = 0) {
    auto p = std::make_shared<Preset>();
    p->SetPresetName(name);
    p->SetMACAddress(action);
    return p;
}

// The record of a new preset with this name and MAC action.
void PlainRecord(ByteBuilder& b, const std::string& name, uint8_t action) {
    b.Byte(1).String(name).Byte(action).String("").Byte(0).Byte(0);
    b.Int(-1).Int(-1).Int(-1).Byte(0).Byte(0).Int(-1).Int(-1).Int(-1);
    b.Byte(0).Byte(0).String("").Long(0);
}

Bytes Write(const std::optional<PresetCollection>& presets) {
    MemoryStream stream;
    stream.Init(8);
    PresetSupport::WritePresets(stream, presets);
    return stream.ToArray();
}

std::optional<PresetCollection> Read(const Bytes& bytes) {
    MemoryStream stream;
    stream.InitBuffer(bytes);
    return PresetSupport::ReadFrom(stream);
}

std::string AsText(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

void ExpectError(const std::function<void()>& call, int32_t number, const std::string& source,
                 const std::string& description = "") {
    try {
        call();
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), number) << e.Description();
        EXPECT_EQ(e.Source(), source);
        if (!description.empty()) {
            EXPECT_EQ(e.Description(), description);
        }
    }
}

TEST(PresetFile, NoCollectionIsThreeBytesAndReadsAsNothing) {
    EXPECT_EQ(Write(std::nullopt), (Bytes{1, 0, 0}));
    EXPECT_EQ(Write(PresetCollection{}), (Bytes{1, 0, 0}));
    EXPECT_FALSE(Read({1, 0, 0}));
    // A negative count holds no preset either.
    EXPECT_FALSE(Read({1, 0xFF, 0xFF}));
}

TEST(PresetFile, HoldsTheRecordsInCollectionOrder) {
    PresetCollection presets;
    presets.Add(Named("Home", 2), "Home");
    presets.Add(Named("Work", 1), "Work");
    ByteBuilder b;
    b.Byte(1).Int(2);
    PlainRecord(b, "Home", 2);
    PlainRecord(b, "Work", 1);
    EXPECT_EQ(Write(presets), b.Get());

    const auto read = Read(b.Get());
    ASSERT_TRUE(read);
    ASSERT_EQ(read->Count(), 2);
    EXPECT_EQ(read->Key(1), "Home");
    EXPECT_EQ(read->Item("work")->MACAddress(), 1);
}

TEST(PresetFile, RefusesOtherVersionsDuplicatesAndFilesCutShort) {
    ExpectError(
        [] {
            Read({2, 0, 0});
        },
        1, "PresetSupport.ReadFrom", "Invalid preset file format.");
    ExpectError([] { Read({1, 0}); }, 1, "PresetSupport.ReadFrom", "Invalid preset file format.");

    ByteBuilder twice;
    twice.Byte(1).Int(2);
    PlainRecord(twice, "Home", 0);
    PlainRecord(twice, "HOME", 0);
    ExpectError([&] { Read(twice.Get()); }, errnum::kDuplicateKey, kProjectName);

    // A count that promises more presets than there are.
    ByteBuilder missing;
    missing.Byte(1).Int(3);
    PlainRecord(missing, "Home", 0);
    ExpectError([&] { Read(missing.Get()); }, 1, "Preset.ReadFrom");

    // Every cut inside the records fails instead of giving presets made of zeros.
    const Bytes full = twice.Get();
    for (size_t length = 4; length < full.size(); ++length) {
        ExpectError([&] { Read(Bytes(full.begin(), full.begin() + length)); }, 1,
                    "Preset.ReadFrom");
    }
}

TEST(PresetFile, ReadsAndSavesWholeFiles) {
    TempDir dir;
    const std::string path = dir.File("Default.kpf");
    PresetCollection presets;
    presets.Add(Named("Home", 2), "Home");
    EXPECT_TRUE(PresetSupport::SavePresetFile(path, presets, true));
    ByteBuilder expected;
    expected.Byte(1).Int(1);
    PlainRecord(expected, "Home", 2);
    EXPECT_EQ(ReadFileBytes(path), AsText(expected.Get()));

    const auto read = PresetSupport::ReadPresetFile(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Item(1)->PresetName(), "Home");

    EXPECT_TRUE(PresetSupport::SavePresetFile(path, std::nullopt, true));
    EXPECT_EQ(ReadFileBytes(path), AsText({1, 0, 0}));
    EXPECT_FALSE(PresetSupport::ReadPresetFile(path));

    // An empty file is not a preset file; a missing one fails as the file read does.
    WriteFileBytes(path, "");
    ExpectError([&] { PresetSupport::ReadPresetFile(path); }, 1, "PresetSupport.ReadFrom",
                "Invalid preset file format.");
    ExpectError([&] { PresetSupport::ReadPresetFile(dir.File("none.kpf")); }, errnum::kFileNotFound,
                "ReadAllBytes");
}

TEST(PresetFile, AFailedSaveKeepsThePreviousFile) {
    TempDir dir;
    const std::string path = dir.File("Default.kpf");
    PresetCollection before;
    before.Add(Named("Before"), "Before");
    ASSERT_TRUE(PresetSupport::SavePresetFile(path, before, true));
    const std::string previous = ReadFileBytes(path);

    PresetCollection after;
    after.Add(Named("After with a longer name"), "After");

    // The disk fills up part-way through the write: raised, or answered false when asked to be
    // quiet; the old file stays whole and no partial file is left in the folder.
    Path::faults::FailNextWriteAfter(5, ENOSPC);
    ExpectError([&] { PresetSupport::SavePresetFile(path, after, true); }, errnum::kDiskFull,
                "WriteAllBytes");
    EXPECT_EQ(ReadFileBytes(path), previous);
    Path::faults::FailNextWriteAfter(5, EIO);
    EXPECT_FALSE(PresetSupport::SavePresetFile(path, after, false));
    EXPECT_EQ(ReadFileBytes(path), previous);

    // A preset that cannot be stored fails before the file is touched.
    after.Item(1)->SetMACAddress(300);
    ExpectError([&] { PresetSupport::SavePresetFile(path, after, true); }, errnum::kOverflow,
                "Preset.WriteTo");
    EXPECT_FALSE(PresetSupport::SavePresetFile(path, after, false));
    EXPECT_EQ(ReadFileBytes(path), previous);

    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST(PresetFile, AStreamKeepsNothingOfAFileThatCannotBeWritten) {
    PresetCollection presets;
    presets.Add(Named("Good"), "Good");
    presets.Add(Named("Bad", 256), "Bad");
    MemoryStream stream;
    stream.Init(8);
    ExpectError([&] { PresetSupport::WritePresets(stream, presets); }, errnum::kOverflow,
                "Preset.WriteTo");
    EXPECT_EQ(stream.Length(), 0);
}

}  // namespace
}  // namespace vexav6
