#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "presets/preset_support.h"
#include "presets/preset_test_support.h"
#include "support/failing_disk.h"
#include "support/temp_dir.h"

namespace vexav6::testing {
namespace {

using Bytes = std::vector<uint8_t>;

std::shared_ptr<Preset> Named(const std::string& name, int32_t action = 0) {
    auto p = std::make_shared<Preset>();
    p->SetPresetName(name);
    p->SetMACAddress(static_cast<MacAction>(action));
    return p;
}

// The record of a new preset with this name and MAC action.
ByteBuilder& PlainRecord(ByteBuilder& b, const std::string& name, uint8_t action) {
    b.Byte(1).String(name).Byte(action).String("").Byte(0).Byte(0);
    b.Int(-1).Int(-1).Int(-1).Byte(0).Byte(0).Int(-1).Int(-1).Int(-1);
    return b.Byte(0).Byte(0).String("").Long(0);
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

TEST(PresetFile, HoldsTheRecordsInOrderAndNoCollectionAsThreeBytes) {
    EXPECT_EQ(Write(std::nullopt), (Bytes{1, 0, 0}));
    EXPECT_EQ(Write(PresetCollection{}), (Bytes{1, 0, 0}));
    EXPECT_FALSE(Read({1, 0, 0}));
    EXPECT_FALSE(Read({1, 0xFF, 0xFF}));  // a negative count holds nothing either

    PresetCollection presets;
    presets.Add(Named("Home", 2), "Home");
    presets.Add(Named("Work", 1), "Work");
    ByteBuilder b;
    PlainRecord(PlainRecord(b.Byte(1).Int(2), "Home", 2), "Work", 1);
    EXPECT_EQ(Write(presets), b.Get());
    const auto read = Read(b.Get());
    ASSERT_TRUE(read);
    ASSERT_EQ(read->Count(), 2);
    EXPECT_EQ(read->Key(1), "Home");
    EXPECT_EQ(read->Item("work")->MACAddress(), MacAction::Random);
}

TEST(PresetFile, RefusesOtherVersionsDuplicatesAndFilesCutShort) {
    ExpectError(
        [] {
            Read({2, 0, 0});
        },
        1, "PresetSupport.ReadFrom", "Invalid preset file format.");
    ExpectError([] { Read({1, 0}); }, 1, "PresetSupport.ReadFrom", "Invalid preset file format.");

    ByteBuilder twice;
    PlainRecord(PlainRecord(twice.Byte(1).Int(2), "Home", 0), "HOME", 0);
    ExpectError([&] { Read(twice.Get()); }, errnum::kDuplicateKey, kProjectName);

    // A count that promises more presets than there are, and every cut inside a record.
    ByteBuilder missing;
    PlainRecord(missing.Byte(1).Int(3), "Home", 0);
    ExpectError([&] { Read(missing.Get()); }, 1, "Preset.ReadFrom");
    const Bytes full = twice.Get();
    for (size_t length = 4; length < full.size(); ++length) {
        ExpectError([&] { Read(Bytes(full.begin(), full.begin() + length)); }, 1,
                    "Preset.ReadFrom");
    }
}

TEST(PresetFile, SavesAndReadsWholeFiles) {
    TempDir dir;
    const std::string path = dir.File("Default.kpf");
    PresetCollection presets;
    presets.Add(Named("Home", 2), "Home");
    EXPECT_TRUE(PresetSupport::SavePresetFile(path, presets, true));
    ByteBuilder expected;
    PlainRecord(expected.Byte(1).Int(1), "Home", 2);
    EXPECT_EQ(ReadFileBytes(path), std::string(expected.Get().begin(), expected.Get().end()));
    EXPECT_EQ(PresetSupport::ReadPresetFile(path)->Item(1)->PresetName(), "Home");

    EXPECT_TRUE(PresetSupport::SavePresetFile(path, std::nullopt, true));
    EXPECT_EQ(ReadFileBytes(path), std::string("\x01\x00\x00", 3));
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
    after.Add(Named("After, with a longer name"), "After");
    // The disk fills up part-way: raised, or answered false when asked to be quiet.
    FailingDisk full(5, ENOSPC);
    ExpectError([&] { PresetSupport::SavePresetFile(path, after, true, full); }, errnum::kDiskFull,
                "WriteAllBytes");
    FailingDisk pulled(5, EIO);
    EXPECT_FALSE(PresetSupport::SavePresetFile(path, after, false, pulled));
    // A preset that cannot be stored fails before the file is touched.
    after.Item(1)->SetMACAddress(static_cast<MacAction>(300));
    ExpectError([&] { PresetSupport::SavePresetFile(path, after, true); }, errnum::kOverflow,
                "Preset.WriteTo");
    EXPECT_FALSE(PresetSupport::SavePresetFile(path, after, false));

    EXPECT_EQ(ReadFileBytes(path), previous);
    const auto files = std::distance(std::filesystem::directory_iterator(dir.Path()),
                                     std::filesystem::directory_iterator());
    EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace vexav6::testing
