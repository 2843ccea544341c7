#include "startup/application.h"

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
        if (WinVer::IsVistaOrLater(platform) && !platform.system.IsUserAnAdmin()) {
            // Changing adapters needs administrator rights: start again elevated with the command
            // line exactly as it came, and end this process whatever the user answers.
            const bool started =
                platform.system.ShellExecute("runas", Path::GetApplicationFile(platform),
                                             rawCommandLine, "", platform::ShowCommand::Normal);
            return started ? exitcode::kSuccess : exitcode::kFailure;
        }

        const std::string cmd = text::Trim(rawCommandLine);
        if (!IsWindowModeCommandLine(cmd) || !windowMode.HasWindowMode()) {
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

void ReportError(const Platform& platform, const Error& error) {
    const std::string text =
        "An exception occured as described below:\r\n\r\nSource: " + error.Source() +
        "\r\nError: (" + std::to_string(error.Number()) + ") " + error.Description();
    platform.ui.MessageBox(text, "Error - " + app::TitleWithMajorVersion(), MessageBoxButtons::Ok,
                           MessageBoxIcon::Critical);
}

bool IsWindowModeCommandLine(std::string_view commandLine) {
    return commandLine.empty() || commandLine.starts_with("-o ");
}

}  // namespace vexav6::Application
