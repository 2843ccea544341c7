#include "system/exec_pipe.h"

#include <string>

#include "base/error.h"
#include "system/registry.h"

namespace vexav6::ExecPipe {

void RunConsoleCommand(const Platform& platform, std::string_view commandLine,
                       std::string_view folder, uint32_t flags, bool showWindow) {
    const platform::Status result =
        platform.system.RunConsoleCommand(commandLine, folder, flags, showWindow);
    if (result != platform::status::kSuccess) {
        throw Error(errnum::kOwnCheck, "",
                    "The command \"" + std::string(commandLine) + "\" could not be run: " +
                        Registry::GetSystemErrorMessage(platform, result) + " (" +
                        std::to_string(result) + ")");
    }
}

}  // namespace vexav6::ExecPipe
