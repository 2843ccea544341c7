// The window mode of the program on a simulated machine, for the start-up benchmark: the same
// main window and load as vexav6.exe, with the machine read from the file VEXAV6_MACHINE names
// and the program's files (oui.db, Default.kpf, vexav6.set) in VEXAV6_PROGRAM_FOLDER.
#include "platform/win32/windows_include.h"

#include <cstdlib>
#include <exception>
#include <string>

#include "platform/sim/machine.h"
#include "startup/application.h"
#include "ui/win32/dpi.h"
#include "ui/win32/window_mode.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    vexav6::ui::win32::EnableDpiAwareness();
    const char* machineFile = std::getenv("VEXAV6_MACHINE");
    const char* folder = std::getenv("VEXAV6_PROGRAM_FOLDER");
    if (machineFile == nullptr || folder == nullptr) {
        return 2;
    }
    vexav6::sim::Machine machine;
    try {
        machine.Load(machineFile);
    } catch (const std::exception&) {
        return 2;
    }
    machine.system.programFolder = folder;
    machine.system.programFile = std::string(folder) + "\\vexav6.exe";
    machine.system.commandLine.clear();
    const vexav6::Platform platform = machine.GetPlatform();
    vexav6::ui::win32::WindowMode windowMode(platform);
    if (!windowMode.LoadMainWindow()) {
        return 1;
    }
    return windowMode.RunMessageLoop();
}
