#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"

// Runs console commands (ipconfig) without a window and waits for them to end.
namespace vexav6::ExecPipe {

// Runs `commandLine` with its output and error output drained through a pipe, in `folder` (empty:
// the caller's own), with the given process creation flags, and returns when the process has
// ended. When `showWindow` is false the command gets no console window. A step that fails
// (creating the pipe, starting the process, asking the pipe) raises error 1 without a source,
// naming the command and the system's reason.
void RunConsoleCommand(const Platform& platform, std::string_view commandLine,
                       std::string_view folder, uint32_t flags, bool showWindow);

}  // namespace vexav6::ExecPipe
