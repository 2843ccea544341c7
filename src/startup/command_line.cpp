#include "startup/command_line.h"

#include "base/error.h"
#include "startup/application.h"

namespace vexav6::CommandLine {

int ExecuteCommandLine(const Platform& platform, const std::string& /*commandLine*/) {
    // The front end is not in this version yet: say so rather than do nothing.
    Application::ReportError(
        platform, Error(errnum::kOwnCheck, "", "Command-line mode is not available yet."));
    return Application::exitcode::kFailure;
}

}  // namespace vexav6::CommandLine
