// The Windows program: the program's core on the real machine, with its windows.
#include "platform/win32/windows_include.h"

#include <objbase.h>

#include "platform/win32/win32_machine.h"
#include "startup/application.h"
#include "ui/win32/dpi.h"
#include "ui/win32/window_mode.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before any window: the windows lay themselves out for the DPI of their monitor.
    vexav6::ui::win32::EnableDpiAwareness();
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
        vexav6::ui::win32::WindowMode windowMode(platform);
        exitCode = vexav6::Application::Main(platform, windowMode);
    }
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return exitCode;
}
