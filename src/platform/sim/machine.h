#pragma once

#include <filesystem>

#include "platform/platform.h"
#include "platform/sim/recording_ui.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_http.h"
#include "platform/sim/sim_ip_stack.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_timers.h"
#include "platform/sim/virtual_clock.h"

namespace vexav6::sim {

// A whole simulated Windows machine. Tests make a fresh one (or load one from a machine file), set
// it up, and hand its Platform to the code under test; two machines can live side by side.
//
// The parts are wired together: the IP stack follows the Windows version of the system, console
// commands run `ipconfig` against the IP stack, and device state changes and IP changes are refused
// when the system says the user has no administrator rights.
class Machine {
  public:
    Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    Platform GetPlatform();

    // Machine files (docs/machine-file.md). Loading expects a fresh machine and throws
    // MachineFileError with a message naming the file and the faulty entry; saving writes the whole
    // state, live IP configuration included, so that loading it again gives the same machine.
    void Load(const std::filesystem::path& path);
    void Save(const std::filesystem::path& path) const;

    VirtualClock clock;
    SimRegistry registry;
    SimSystem system{clock};
    SimIpStack ipStack{registry, clock, system.version};
    SimDevices devices{registry, ipStack};
    SimHttp http;
    SimTimers timers{clock};
    RecordingUi ui;
};

}  // namespace vexav6::sim
