#pragma once

#include <string_view>

#include "base/error.h"
#include "platform/platform.h"
#include "startup/command_line.h"

// The program's entry procedure and its error report.
namespace vexav6::Application {

// What start-up needs of the window mode, which each program provides in its own way: the
// Windows program makes its main window; the native program has none.
class WindowModeHost {
  public:
    virtual ~WindowModeHost() = default;

    // Creates and loads the main window (its load starts the hand-over receiver of this
    // instance). False when there is no window to run; the host has told the user why.
    virtual bool LoadMainWindow() = 0;
    // Runs until the main window is closed; answers the process exit code.
    virtual int RunMessageLoop() = 0;

    // False for a program built without windows: there every command line, the empty one and
    // "-o <file>" included, goes to the command-line front end.
    virtual bool HasWindowMode() const { return true; }
    // The windows the command-line front end reaches (main window, help window), or none.
    virtual CommandLine::WindowAccess* Windows() { return nullptr; }
};

// Process exit codes of Main.
namespace exitcode {
inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
}  // namespace exitcode

// Checks the Windows version, restarts elevated where needed, and runs the command line in
// command-line mode or the main window in window mode, handing a window-mode command line to a
// running instance when there is one. Errors are shown with ReportError. Answers the process exit
// code.
int Main(const Platform& platform, WindowModeHost& windowMode);

// Shows one error in the program's error box.
void ReportError(const Platform& platform, const Error& error);
// The same for the command-line mode: no box when `silent`, and the text also on the console's
// standard error where the program has one (UiApi::ShowCommandLineMessage).
void ReportCommandLineError(const Platform& platform, const Error& error, bool silent);

// Window mode runs for an empty command line and one that begins with "-o " (lower-case o and a
// blank: "-o" alone and "-O x" are command-line mode); `commandLine` is already trimmed.
bool IsWindowModeCommandLine(std::string_view commandLine);

}  // namespace vexav6::Application
