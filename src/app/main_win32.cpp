// The Windows program: the program's core on the real machine.
#include "platform/win32/windows_include.h"

#include <objbase.h>

#include <string>

#include "base/app_info.h"
#include "platform/win32/win32_machine.h"
#include "startup/application.h"

namespace {

// What the command line reaches of the windows while there are none: the help shows in a message
// box until the help window exists.
class NoWindows : public vexav6::CommandLine::WindowAccess {
  public:
    explicit NoWindows(vexav6::platform::UiApi& ui) : ui_(ui) {}

    bool HasMainWindow() override { return false; }
    void ShowMainWindow() override {}
    void OpenPresetFile(const std::string& /*path*/) override {}
    void ShowHelp(const std::string& caption, const std::string& text) override {
        ui_.MessageBox(text, caption, vexav6::platform::MessageBoxButtons::Ok,
                       vexav6::platform::MessageBoxIcon::Information);
    }

  private:
    vexav6::platform::UiApi& ui_;
};

// The main window is not part of this build yet: window mode says so and ends.
class NoWindowMode : public vexav6::Application::WindowModeHost {
  public:
    explicit NoWindowMode(vexav6::platform::UiApi& ui) : ui_(ui), windows_(ui) {}

    bool LoadMainWindow() override {
        ui_.MessageBox(
            "The window mode is not available in this build. Run the program with "
            "command-line options (-help lists them).",
            vexav6::app::TitleWithMajorVersion(), vexav6::platform::MessageBoxButtons::Ok,
            vexav6::platform::MessageBoxIcon::Exclamation);
        return false;
    }
    int RunMessageLoop() override { return vexav6::Application::exitcode::kSuccess; }
    vexav6::CommandLine::WindowAccess* Windows() override { return &windows_; }

  private:
    vexav6::platform::UiApi& ui_;
    NoWindows windows_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // ShellExecute may need COM (shell extensions, the elevation prompt).
    const HRESULT com =
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    int exitCode = vexav6::Application::exitcode::kFailure;
    {
        vexav6::win32::Win32Machine machine;
        const vexav6::Platform platform = machine.GetPlatform();
        machine.timers.SetErrorHandler([&platform](const vexav6::Error& error) {
            vexav6::Application::ReportError(platform, error);
        });
        NoWindowMode windowMode(machine.ui);
        exitCode = vexav6::Application::Main(platform, windowMode);
    }
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return exitCode;
}
