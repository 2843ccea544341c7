#include "presets/preset_file_association.h"

#include "base/app_info.h"

namespace vexav6::PresetFileAssociation {

std::string ProgramIdentifier() {
    return app::PresetFileProgId();
}

std::vector<KeyDefault> Keys(std::string_view executablePath) {
    const std::string id = ProgramIdentifier();
    const std::string exe(executablePath);
    return {
        {app::kPresetFileExtension, id},
        {id, app::kPresetFileTypeName},
        {id + "\\DefaultIcon", exe + ",0"},
        {id + "\\shell\\open\\command", "\"" + exe + "\" -o \"%1\""},
    };
}

}  // namespace vexav6::PresetFileAssociation
