// The yardstick of the start-up benchmark: a program that opens one window and nothing else.
// Built a second time with VEXAV6_MINIMAL_WITH_PROGRAM_DLLS, it also loads the system libraries
// the program loads (with the program's manifest: common controls 6), so that the benchmark can
// tell what loading them costs from what the program itself does.
#include "platform/win32/windows_include.h"

#ifdef VEXAV6_MINIMAL_WITH_PROGRAM_DLLS
// clang-format off
#include <commctrl.h>
#include <commdlg.h>
#include <iphlpapi.h>
#include <objbase.h>
#include <setupapi.h>
#include <shellapi.h>
#include <softpub.h>
#include <wincrypt.h>
#include <winhttp.h>
#include <wintrust.h>
// clang-format on
#endif

namespace {

#ifdef VEXAV6_MINIMAL_WITH_PROGRAM_DLLS
// One function of each library the program imports, so that the loader loads them all.
void* volatile imported[] = {
    reinterpret_cast<void*>(&::GetOpenFileNameW),
    reinterpret_cast<void*>(&::ShellExecuteW),
    reinterpret_cast<void*>(&::CoInitializeEx),
    reinterpret_cast<void*>(&::SetupDiGetClassDevsW),
    reinterpret_cast<void*>(&::WinHttpOpen),
    reinterpret_cast<void*>(&::WinVerifyTrust),
    reinterpret_cast<void*>(&::GetNumberOfInterfaces),
    reinterpret_cast<void*>(&::RegOpenKeyExW),
    reinterpret_cast<void*>(&::CreateFontW),
};
#endif

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
#ifdef VEXAV6_MINIMAL_WITH_PROGRAM_DLLS
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
#endif
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = L"MinimalWindow";
    ::RegisterClassW(&windowClass);
    const HWND window = ::CreateWindowExW(0, L"MinimalWindow", L"Minimal window",
                                          WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 980,
                                          700, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
