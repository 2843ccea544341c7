#include "platform/sim/machine.h"

namespace vexav6::sim {

Machine::Machine() = default;

Platform Machine::GetPlatform() {
    return Platform{registry, devices, ipStack, system, http, timers, ui};
}

}  // namespace vexav6::sim
