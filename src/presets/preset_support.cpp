#include "presets/preset_support.h"

#include <limits>
#include <memory>
#include <vector>

#include "base/error.h"
#include "system/path.h"

namespace vexav6::PresetSupport {

namespace {

constexpr uint8_t kFileVersion = 1;
constexpr const char* kReadSource = "PresetSupport.ReadFrom";

[[noreturn]] void InvalidFormat() {
    throw Error(errnum::kOwnCheck, kReadSource, "Invalid preset file format.");
}

}  // namespace

std::optional<PresetCollection> ReadFrom(MemoryStream& stream) {
    // The version byte and the count must both be there: a file cut short inside them is no
    // preset file, not an empty one.
    if (stream.Length() - stream.Position() < 3 || stream.ReadByte() != kFileVersion) {
        InvalidFormat();
    }
    const int16_t count = stream.ReadInt();
    if (count <= 0) {
        return std::nullopt;
    }
    PresetCollection presets;
    for (int16_t i = 0; i < count; ++i) {
        auto preset = std::make_shared<Preset>();
        preset->ReadFrom(stream);
        std::string name = preset->PresetName();
        presets.Add(std::move(preset), std::move(name));
    }
    return presets;
}

std::optional<PresetCollection> ReadPresetFile(std::string_view path) {
    std::vector<uint8_t> bytes;
    try {
        Path::ReadAllBytes(path, bytes, 0, 0, true);
    } catch (const Error& e) {
        // Reading a whole file fails with "subscript out of range" only when it is empty.
        if (e.Number() == errnum::kSubscriptOutOfRange) {
            InvalidFormat();
        }
        throw;
    }
    MemoryStream stream;
    stream.InitBuffer(bytes);
    return ReadFrom(stream);
}

void WritePresets(MemoryStream& stream, const std::optional<PresetCollection>& presets) {
    constexpr const char* kSource = "PresetSupport.WritePresets";
    if (!presets) {
        stream.WriteByte(kFileVersion);
        stream.WriteInt(0);
        return;
    }
    if (presets->Count() > std::numeric_limits<int16_t>::max()) {
        throw Error::Overflow(kSource);
    }
    // The records go to a stream of their own first, so that a preset that cannot be stored
    // leaves nothing of the file in the caller's stream.
    MemoryStream records;
    records.Init(1024);
    for (const auto& preset : *presets) {
        preset->WriteTo(records);
    }
    stream.WriteByte(kFileVersion);
    stream.WriteInt(static_cast<int16_t>(presets->Count()));
    records.WriteTo2(stream);
}

bool SavePresetFile(std::string_view path, const std::optional<PresetCollection>& presets,
                    bool ThrowError, Path::Disk& disk) {
    try {
        MemoryStream stream;
        stream.Init(1024);
        WritePresets(stream, presets);
        return Path::WriteAllBytes(path, stream.ToArray(), ThrowError, disk);
    } catch (const Error&) {
        if (ThrowError) {
            throw;
        }
        return false;
    }
}

}  // namespace vexav6::PresetSupport
