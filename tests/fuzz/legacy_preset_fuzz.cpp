// Legacy preset files (.cpf), which the program reads and converts but never writes.
//
// - A file the reader accepts converts to presets that the program's own preset file keeps
//   exactly: written and read again, they are the same presets.
// - What the conversion makes is a preset the program can apply: no IPv6 settings, a MAC address
//   action of 0 to 3, a custom address of 17 characters.
// - A refusal is the program's own error: 9 for an unknown format version, 1 for a damaged file or
//   a bad MAC address, 457 for two presets or two list entries under one name.
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/text.h"
#include "fuzz_support.h"
#include "presets/obsolete_preset_formats.h"
#include "presets/preset_support.h"
#include "system/memory_stream.h"

namespace {

using namespace vexav6;
using namespace vexav6::fuzz;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PresetCollection presets;
    const auto refused =
        Attempt([&] { presets = ObsoletePresetFormats::ReadLegacyPresets(std::span(data, size)); },
                "reading a legacy preset file");
    if (refused) {
        const int32_t number = refused->Number();
        Check(number == errnum::kOwnCheck || number == errnum::kSubscriptOutOfRange ||
                  number == errnum::kDuplicateKey,
              "a legacy preset file was refused with error " + std::to_string(number) + ": " +
                  refused->Description());
        return 0;
    }

    for (const std::shared_ptr<Preset>& preset : presets) {
        Check(!preset->PresetName().empty(), "a legacy record without a name was converted");
        Check(!preset->IPv6Selected(), "a converted legacy preset has IPv6 settings");
        Check(preset->MACAddress() >= MacAction::Leave && preset->MACAddress() <= MacAction::Custom,
              "a converted legacy preset has MAC address action " +
                  std::to_string(static_cast<int32_t>(preset->MACAddress())));
        Check(preset->MACAddress() != MacAction::Custom ||
                  text::Utf8ToUtf16(preset->CustomMACAddress()).size() == 17,
              "a converted custom MAC address is not 17 characters long");
    }

    const std::optional<PresetCollection> converted(presets);
    Bytes written;
    const auto notWritten =
        Attempt([&] { written = PresetFileBytes(converted); }, "writing converted presets");
    Check(!notWritten, "converted legacy presets cannot be saved: " +
                           (notWritten ? notWritten->Description() : ""));
    std::optional<PresetCollection> again;
    const auto refusedAgain = Attempt(
        [&] {
            MemoryStream stream;
            stream.InitBuffer(written);
            again = PresetSupport::ReadFrom(stream);
        },
        "reading saved legacy presets");
    Check(!refusedAgain, "converted legacy presets, once saved, are refused: " +
                             (refusedAgain ? refusedAgain->Description() : ""));
    Check((again ? again->Count() : 0) == presets.Count(),
          "converted legacy presets, once saved, read back as another number of presets");
    Check(PresetFileBytes(again) == written, "converted legacy presets do not read back the same");
    return 0;
}
