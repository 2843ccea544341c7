#include "startup/application.h"

#include <optional>
#include <string>

#include "base/app_info.h"
#include "base/text.h"
#include "startup/command_line.h"
#include "startup/hand_over.h"
#include "system/path.h"
#include "system/win_ver.h"

namespace vexav6::Application {

using platform::MessageBoxButtons;
using platform::MessageBoxIcon;

int Main(const Platform& platform, WindowModeHost& windowMode) {
    try {
        if (!WinVer::IsWindows2000OrLater(platform)) {
            // Only the version number decides; the text names the service pack all the same.
            platform.ui.MessageBox(
                "Operating system version not supported. Minimum supported operating system is "
                "Windows 2000 SP4.",
                "OS Not Supported - " + app::TitleWithMajorVersion(), MessageBoxButtons::Ok,
                MessageBoxIcon::Exclamation);
            return exitcode::kFailure;
        }

        const std::string rawCommandLine = platform.system.GetCommandLineTail();
        const std::string cmd = text::Trim(rawCommandLine);
        const bool commandLineMode = !IsWindowModeCommandLine(cmd) || !windowMode.HasWindowMode();
        if (WinVer::IsVistaOrLater(platform) && !platform.system.IsUserAnAdmin()) {
            // Changing adapters needs administrator rights: start again elevated with the command
            // line exactly as it came. A command line waits for the elevated copy and ends with
            // its exit status, so that a script learns what happened; a window-mode start ends
            // at once.
            const std::string program = Path::GetApplicationFile(platform);
            if (commandLineMode) {
                const std::optional<uint32_t> status = platform.system.ShellExecuteAndWait(
                    "runas", program, rawCommandLine, platform::ShowCommand::Normal);
                return status ? static_cast<int>(*status) : exitcode::kFailure;
            }
            const bool started = platform.system.ShellExecute("runas", program, rawCommandLine, "",
                                                              platform::ShowCommand::Normal);
            return started ? exitcode::kSuccess : exitcode::kFailure;
        }

        if (commandLineMode) {
            return CommandLine::ExecuteCommandLine(platform, cmd, windowMode.Windows());
        }

        if (platform.system.IsAnotherInstanceRunning() && HandOver::SendMessage(platform, cmd)) {
            return exitcode::kSuccess;
        }
        if (!windowMode.LoadMainWindow()) {
            return exitcode::kFailure;
        }
        if (!cmd.empty()) {
            // "-o <preset file>": opens the file in the main window that now exists.
            CommandLine::ExecuteCommandLine(platform, cmd, windowMode.Windows());
        }
        return windowMode.RunMessageLoop();
    } catch (...) {
        ReportError(platform, CurrentExceptionAsError());
        return exitcode::kFailure;
    }
}

namespace {

std::string ErrorReportText(const Error& error) {
    return "An exception occured as described below:\r\n\r\nSource: " + error.Source() +
           "\r\nError: (" + std::to_string(error.Number()) + ") " + error.Description();
}

std::string ErrorTitle() {
    return "Error - " + app::TitleWithMajorVersion();
}

}  // namespace

void ReportError(const Platform& platform, const Error& error) {
    platform.ui.MessageBox(ErrorReportText(error), ErrorTitle(), MessageBoxButtons::Ok,
                           MessageBoxIcon::Critical);
}

void ReportCommandLineError(const Platform& platform, const Error& error, bool silent) {
    platform.ui.ShowCommandLineMessage(ErrorReportText(error), ErrorTitle(),
                                       MessageBoxIcon::Critical, silent);
}

bool IsWindowModeCommandLine(std::string_view commandLine) {
    return commandLine.empty() || commandLine.starts_with("-o ");
}

}  // namespace vexav6::Application
