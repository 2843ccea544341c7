// Preset files (.kpf) and the preset records in them.
//
// - A file the reader accepts is written back by the program's writer, and that file reads again
//   to the same presets; a record likewise.
// - A refusal is the program's own error: 1 for a damaged file or record, 457 for two presets or
//   two list entries under one name. A refused record leaves the preset it was read into as it
//   was.
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_support.h"
#include "presets/preset_support.h"
#include "system/memory_stream.h"

namespace {

using namespace vexav6;
using namespace vexav6::fuzz;

std::optional<PresetCollection> ReadFile(std::span<const uint8_t> bytes,
                                         std::optional<Error>& refused) {
    std::optional<PresetCollection> presets;
    refused = Attempt(
        [&] {
            MemoryStream stream;
            stream.InitBuffer(bytes);
            presets = PresetSupport::ReadFrom(stream);
        },
        "reading a preset file");
    return presets;
}

void CheckFile(std::span<const uint8_t> data) {
    std::optional<Error> refused;
    const std::optional<PresetCollection> presets = ReadFile(data, refused);
    if (refused) {
        Check(refused->Number() == errnum::kOwnCheck || refused->Number() == errnum::kDuplicateKey,
              "a preset file was refused with error " + std::to_string(refused->Number()) + ": " +
                  refused->Description());
        return;
    }
    Bytes written;
    const auto notWritten = Attempt([&] { written = PresetFileBytes(presets); }, "writing presets");
    Check(!notWritten, "the presets of an accepted file cannot be written: " +
                           (notWritten ? notWritten->Description() : ""));
    const std::optional<PresetCollection> again = ReadFile(written, refused);
    Check(!refused, "the file written from an accepted file is refused: " +
                        (refused ? refused->Description() : ""));
    Check(PresetFileBytes(again) == written, "an accepted preset file does not read back the same");
}

// The preset a record is read into: one with settings of its own, so that a refused record that
// changed part of it shows.
Preset Resident() {
    Preset preset;
    preset.SetPresetName("Resident");
    preset.SetMACAddress(MacAction::Custom);
    preset.SetCustomMACAddress("02:11:22:33:44:55");
    preset.SetIPv4Selected(true);
    NameServerList servers;
    PresetLists::AddNameServer(servers, "192.0.2.53");
    preset.SetIPv4NameServers(servers);
    preset.SetIEProxySelected(true);
    preset.SetIEProxyPort(8080);
    return preset;
}

void CheckRecord(std::span<const uint8_t> data) {
    Preset preset = Resident();
    const Bytes before = RecordBytes(preset);
    MemoryStream stream;
    stream.InitBuffer(data);
    const auto refused = Attempt([&] { preset.ReadFrom(stream); }, "reading a preset record");
    if (refused) {
        Check(refused->Number() == errnum::kOwnCheck || refused->Number() == errnum::kDuplicateKey,
              "a preset record was refused with error " + std::to_string(refused->Number()) + ": " +
                  refused->Description());
        Check(RecordBytes(preset) == before,
              "a refused record changed the preset it was read into");
        return;
    }
    Bytes written;
    const auto notWritten = Attempt([&] { written = RecordBytes(preset); }, "writing a preset");
    Check(!notWritten,
          "an accepted record cannot be written: " + (notWritten ? notWritten->Description() : ""));
    Preset again = Resident();
    MemoryStream writtenStream;
    writtenStream.InitBuffer(written);
    const auto refusedAgain =
        Attempt([&] { again.ReadFrom(writtenStream); }, "reading a written preset record");
    Check(!refusedAgain, "the record written from an accepted record is refused: " +
                             (refusedAgain ? refusedAgain->Description() : ""));
    Check(writtenStream.Position() == writtenStream.Length(),
          "a written record is not read to its end");
    Check(RecordBytes(again) == written, "an accepted preset record does not read back the same");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;  // an empty file is refused before any reader sees it
    }
    const std::span<const uint8_t> bytes(data, size);
    CheckFile(bytes);
    CheckRecord(bytes);
    return 0;
}
