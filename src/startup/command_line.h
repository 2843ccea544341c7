#pragma once

#include <string>

#include "platform/platform.h"

// The command-line front end: operations on one network adapter without the main window.
namespace vexav6::CommandLine {

// Runs one command line (trimmed) and reports its outcome to the user itself. Answers the process
// exit code: 0 when it succeeded.
int ExecuteCommandLine(const Platform& platform, const std::string& commandLine);

}  // namespace vexav6::CommandLine
