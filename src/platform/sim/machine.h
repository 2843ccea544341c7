#pragma once

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
class Machine {
public:
    Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    Platform GetPlatform();

    VirtualClock clock;
    SimRegistry registry;
    SimIpStack ipStack;
    SimDevices devices{registry, ipStack};
    SimSystem system{clock};
    SimHttp http;
    SimTimers timers{clock};
    RecordingUi ui;
};

}  // namespace vexav6::sim
