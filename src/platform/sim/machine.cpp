#include "platform/sim/machine.h"

#include "platform/sim/machine_file.h"

namespace vexav6::sim {

Machine::Machine() {
    system.onConsoleCommand = [this](const SimSystem::ConsoleCommand& command) {
        return ipStack.RunConsoleCommand(command.commandLine);
    };
    ipStack.isAdmin = [this] { return system.isAdmin; };
    devices.isAdmin = [this] { return system.isAdmin; };
}

Platform Machine::GetPlatform() {
    return Platform{registry, devices, ipStack, system, http, timers, ui};
}

void Machine::Load(const std::filesystem::path& path) {
    LoadMachineFile(path, *this);
}

void Machine::Save(const std::filesystem::path& path) const {
    SaveMachineFile(*this, path);
}

}  // namespace vexav6::sim
