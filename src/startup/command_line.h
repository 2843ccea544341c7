#pragma once

#include <string>

#include "platform/platform.h"

// The command-line front end: operations on one network adapter without the main window, and
// the adapter list and text report for scripts. The options and their forms are described for
// users in CLIHelp.txt and docs/command-line.md.
namespace vexav6::CommandLine {

// The windows the front end reaches, provided by the program's user interface. Without them (the
// native program, a test) the help goes to the console and what needs the main window is refused.
class WindowAccess {
  public:
    virtual ~WindowAccess() = default;

    // Whether this instance has its main window (window mode, once it is loaded).
    virtual bool HasMainWindow() = 0;
    // Shows the main window and brings it to the front.
    virtual void ShowMainWindow() = 0;
    // Loads the preset file into the preset panel (its name refreshed), switches to the preset
    // tab and shows the main window.
    virtual void OpenPresetFile(const std::string& path) = 0;
    // The help window: shows the text under the caption. In command-line mode it returns when the
    // window is closed.
    virtual void ShowHelp(const std::string& caption, const std::string& text) = 0;
};

// The failure text of an "o" option (or an empty command line asking for the main window) where
// there is no main window to open it in.
inline constexpr const char* kNoMainWindowText =
    "Preset files can be opened only in the window mode: start the program with -o and the "
    "preset file alone.";

// The answer to a command on a machine without network connections: -list and -report note it
// (and succeed), -n fails with it.
inline constexpr const char* kNoConnectionsText = "No network connections were found.";

// The success message where there is nothing more to say (a report written to its file).
inline constexpr const char* kSuccessText = "Command was executed successfully.";

// Runs one command line and reports its outcome to the user itself: the success message, or the
// error report (UiApi::ShowCommandLineMessage: silent mode shows no box, and an error still goes to
// the console where there is one). Answers the exit code: 0 when the command
// succeeded, 1 when it failed (also in silent mode).
int ExecuteCommandLine(const Platform& platform, const std::string& commandLine,
                       WindowAccess* windows = nullptr);

}  // namespace vexav6::CommandLine
