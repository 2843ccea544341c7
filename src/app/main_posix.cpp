// The native program: the program's core on a simulated Windows machine, its message boxes
// printed to the terminal. The machine comes from the machine file that VEXAV6_MACHINE names and
// goes back into it when the program ends, so that one run sees what the previous one did.
// Without VEXAV6_MACHINE the program runs on a fresh copy of the demo machine shipped beside it
// and keeps nothing.
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include <unistd.h>

#include "app/console_ui.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_file.h"
#include "startup/application.h"

namespace {

namespace fs = std::filesystem;

// Exit code when the machine file cannot be read or written back (the command itself answers
// 0 or 1).
constexpr int kMachineFileFailure = 2;

constexpr const char* kMachineVariable = "VEXAV6_MACHINE";
constexpr const char* kDemoMachineFile = "demo-machine.json";

// The native program has no window mode: every command line, the empty one and "-o <file>"
// included, goes to the command-line front end (which prints the help for the empty one).
class NoWindowMode : public vexav6::Application::WindowModeHost {
  public:
    bool LoadMainWindow() override { return false; }
    int RunMessageLoop() override { return vexav6::Application::exitcode::kSuccess; }
    bool HasWindowMode() const override { return false; }
};

fs::path ProgramFile(const char* argv0) {
    std::error_code ec;
    fs::path file = fs::read_symlink("/proc/self/exe", ec);
    if (ec || file.empty()) {
        file = fs::absolute(argv0, ec);
    }
    return file;
}

std::string TempFolder() {
    std::error_code ec;
    std::string temp = fs::temp_directory_path(ec).string();
    if (ec || temp.empty()) {
        temp = "/tmp";
    }
    return temp.back() == '/' ? temp : temp + "/";
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path programFile = ProgramFile(argc > 0 ? argv[0] : "vexav6");
    const char* named = std::getenv(kMachineVariable);
    const bool keepMachine = named != nullptr && *named != '\0';
    const fs::path machineFile =
        keepMachine ? fs::path(named) : programFile.parent_path() / kDemoMachineFile;
    if (!keepMachine) {
        std::cerr << "Note: " << kMachineVariable << " names no machine file: running on the demo "
                  << "machine (" << machineFile.string() << "); changes are not kept.\n";
    }

    vexav6::sim::Machine machine;
    try {
        machine.Load(machineFile);
    } catch (const std::exception& error) {
        std::cerr << "The machine file cannot be used: " << error.what() << "\n";
        return kMachineFileFailure;
    }

    // The program's files and the temp folder are real folders of this machine; the machine file
    // keeps its own (Windows) names for them.
    const std::string fileTemp = machine.system.tempPath;
    const std::string fileProgram = machine.system.programFile;
    const std::string fileFolder = machine.system.programFolder;
    machine.system.tempPath = TempFolder();
    machine.system.programFile = programFile.string();
    machine.system.programFolder = programFile.parent_path().string();
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    machine.system.commandLine = commandLine;

    vexav6::app::ConsoleUi ui(std::cout, std::cerr);
    ui.SetOutputIsTerminal(::isatty(STDOUT_FILENO) != 0);
    const vexav6::Platform platform{machine.registry,
                                    machine.devices,
                                    machine.ipStack,
                                    machine.system,
                                    machine.http,
                                    machine.timers,
                                    ui};
    NoWindowMode windowMode;
    int exitCode = vexav6::Application::Main(platform, windowMode);

    for (const auto& call : machine.system.ShellCalls()) {
        if (call.verb == "runas") {
            std::cerr << "The simulated user is no administrator: the program asked to be started "
                         "again with administrator rights and ended. Set \"administrator\": true "
                         "in the machine file.\n";
            exitCode = vexav6::Application::exitcode::kFailure;
        }
    }

    if (keepMachine) {
        machine.system.tempPath = fileTemp;
        machine.system.programFile = fileProgram;
        machine.system.programFolder = fileFolder;
        try {
            vexav6::sim::SaveMachineFile(machine, machineFile);
        } catch (const std::exception& error) {
            std::cerr << "The machine file cannot be written back: " << error.what() << "\n";
            return kMachineFileFailure;
        }
    }
    return exitCode;
}
