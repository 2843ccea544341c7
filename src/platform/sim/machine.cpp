#include "platform/sim/machine.h"

#include "platform/sim/machine_file.h"

namespace vexav6::sim {

Machine::Machine() {
    system.onConsoleCommand = [this](const SimSystem::ConsoleCommand& command) {
        return ipStack.RunConsoleCommand(command.commandLine);
    };
    ipStack.isAdmin = [this] { return system.isAdmin; };
    devices.isAdmin = [this] { return system.isAdmin; };
    // Finished HTTP requests reach the program when its user interface services pending work, as
    // the notifications of the real request object arrive through the message loop.
    ui.onDoEvents = [this] { http.DeliverPending(); };
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
