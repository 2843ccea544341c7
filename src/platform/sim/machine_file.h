#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vexav6::sim {

class Machine;

// A machine file that cannot be read or used. The message names the file, the entry (as a path
// like devices[2].interface.index or registry["HKEY_LOCAL_MACHINE\..."]) and what is wrong.
class MachineFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads a whole simulated machine (docs/machine-file.md) into a fresh machine. Everything is
// checked before anything is applied, so a bad file leaves the machine as it was.
void LoadMachineFile(const std::filesystem::path& path, Machine& machine);
// The same from text; `sourceName` names it in error messages.
void LoadMachineText(std::string_view text, std::string_view sourceName, Machine& machine);

// Writes the machine's whole state, so that loading the file gives the same machine. The file is
// replaced in one piece: a failed write leaves the old file untouched.
void SaveMachineFile(const Machine& machine, const std::filesystem::path& path);
std::string MachineText(const Machine& machine);

}  // namespace vexav6::sim
