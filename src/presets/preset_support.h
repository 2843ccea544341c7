#pragma once

#include <optional>
#include <string_view>

#include "presets/preset.h"
#include "system/memory_stream.h"
#include "system/path.h"

// Preset files (".kpf"): a version byte (1), a 16-bit preset count, then one preset record per
// preset in collection order; nothing else.
namespace vexav6::PresetSupport {

// The presets of a file held in the stream from its position, or nothing when it holds none. A
// file of another version fails with error 1 "Invalid preset file format."; any failure (a record
// that does not read, two presets or two list entries with the same key) returns nothing of the
// file.
std::optional<PresetCollection> ReadFrom(MemoryStream& stream);
// Reads the whole file and its presets as ReadFrom does; an empty file is not a preset file.
std::optional<PresetCollection> ReadPresetFile(std::string_view path);
// Writes the file format into the stream at its position; no collection writes a count of 0. A
// collection that cannot be stored (more than 32,767 presets, or a preset WriteTo refuses) fails
// with error 6 before anything is written.
void WritePresets(MemoryStream& stream, const std::optional<PresetCollection>& presets);
// Builds the file and replaces `path` with it in one piece: a failed write leaves the previous
// file as it was and no partial file behind. With `ThrowError` every failure is raised; without,
// the result says whether the file was saved.
bool SavePresetFile(std::string_view path, const std::optional<PresetCollection>& presets,
                    bool ThrowError, Path::Disk& disk = Path::SystemDisk());

}  // namespace vexav6::PresetSupport
