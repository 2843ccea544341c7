#include "support/installed_program.h"

#include "presets/preset_file_association.h"

namespace vexav6::testing {

void WritePresetFileAssociation(sim::Machine& machine) {
    for (const PresetFileAssociation::KeyDefault& key :
         PresetFileAssociation::Keys(machine.system.programFile)) {
        machine.registry.PutString(platform::RootKey::ClassesRoot, key.key, "", key.value);
    }
}

}  // namespace vexav6::testing
