#include "platform/sim/machine.h"

namespace vexav6::sim {

// Finished HTTP requests reach the program when its user interface services pending work, as the
// notifications of the real request object arrive through the message loop.
Machine::Machine() {
    ui.onDoEvents = [this] { http.DeliverPending(); };
}

Platform Machine::GetPlatform() {
    return Platform{registry, devices, ipStack, system, http, timers, ui};
}

}  // namespace vexav6::sim
