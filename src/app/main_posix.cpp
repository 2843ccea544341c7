// The native program: the program's core on a simulated Windows machine, its message boxes
// printed to the terminal.
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "app/console_ui.h"
#include "base/app_info.h"
#include "platform/sim/machine.h"
#include "startup/application.h"

namespace {

namespace fs = std::filesystem;

// The native program has no main window.
class NoWindowMode : public vexav6::Application::WindowModeHost {
  public:
    explicit NoWindowMode(vexav6::platform::UiApi& ui) : ui_(ui) {}

    bool LoadMainWindow() override {
        ui_.MessageBox(
            "The window mode is not available in this build.", vexav6::app::TitleWithMajorVersion(),
            vexav6::platform::MessageBoxButtons::Ok, vexav6::platform::MessageBoxIcon::Exclamation);
        return false;
    }
    int RunMessageLoop() override { return vexav6::Application::exitcode::kSuccess; }

  private:
    vexav6::platform::UiApi& ui_;
};

fs::path ProgramFile(const char* argv0) {
    std::error_code ec;
    fs::path file = fs::read_symlink("/proc/self/exe", ec);
    if (ec || file.empty()) {
        file = fs::absolute(argv0, ec);
    }
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    vexav6::sim::Machine machine;
    const fs::path programFile = ProgramFile(argc > 0 ? argv[0] : "vexav6");
    machine.system.programFile = programFile.string();
    machine.system.programFolder = programFile.parent_path().string();
    std::error_code ec;
    std::string temp = fs::temp_directory_path(ec).string();
    if (ec || temp.empty()) {
        temp = "/tmp";
    }
    machine.system.tempPath = temp.back() == '/' ? temp : temp + "/";
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    machine.system.commandLine = commandLine;

    vexav6::app::ConsoleUi ui(std::cout, std::cerr);
    const vexav6::Platform platform{machine.registry,
                                    machine.devices,
                                    machine.ipStack,
                                    machine.system,
                                    machine.http,
                                    machine.timers,
                                    ui};
    NoWindowMode windowMode(ui);
    return vexav6::Application::Main(platform, windowMode);
}
