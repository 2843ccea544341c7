#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "platform/sim/machine.h"
#include "presets/preset.h"
#include "vendors/oui_table.h"

// What the fuzz targets share: how a property that does not hold is reported, how a refusal is
// told apart from a fault, and the demo machine, vendor table and scratch folder some of them
// need.
namespace vexav6::fuzz {

using Bytes = std::vector<uint8_t>;

// A property that does not hold: prints it and aborts, so that libFuzzer keeps the input as a
// finding and prints where it wrote it.
[[noreturn]] void Fail(std::string_view what);
inline void Check(bool holds, std::string_view what) {
    if (!holds) {
        Fail(what);
    }
}

// Runs `call`. Answers nothing when it completed and the error when it raised the program's own
// Error: a reader refuses bad bytes that way, with a number and a text the user can be shown.
// Anything else it raises (a standard library exception, a library's own, out of memory) is a
// fault of the reader: `what` names it in the finding.
std::optional<Error> Attempt(const std::function<void()>& call, std::string_view what);

// The bytes the program's writers make of a preset record and of a preset file.
Bytes RecordBytes(const Preset& preset);
Bytes PresetFileBytes(const std::optional<PresetCollection>& presets);

std::string_view AsText(std::span<const uint8_t> data);

// A folder of this process for targets that must go through files, removed when the process
// ends. Its path ends without a separator.
const std::string& ScratchFolder();
// Replaces a file of the scratch folder with the bytes and answers its full path.
std::string WriteScratchFile(std::string_view name, std::span<const uint8_t> bytes);

// The text of the demo machine (tests/fixtures/machines/demo.json), read once.
const std::string& DemoMachineText();
// A fresh machine loaded from the demo machine's text, its program folder the scratch folder.
std::unique_ptr<sim::Machine> LoadDemoMachine();
// The text a machine writes of itself, loaded into a fresh machine and written again, must not
// change: whatever the program did to the machine can be saved and read back. `what` names the
// step in the finding.
void CheckMachineRoundTrip(const sim::Machine& machine, std::string_view what);

// The same records in the same order.
bool SameTables(const OUITable& a, const OUITable& b);

// A small vendor database (oui.db) of a few real-looking vendors, made by the program's writer.
Bytes SmallVendorDatabase();

}  // namespace vexav6::fuzz
