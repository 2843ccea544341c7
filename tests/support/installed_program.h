#pragma once

#include "platform/sim/machine.h"

namespace vexav6::testing {

// Writes the preset file association of the machine's program file, as the installer leaves it,
// so that a window test starts like an installed program: its start-up check asks nothing.
void WritePresetFileAssociation(sim::Machine& machine);

}  // namespace vexav6::testing
