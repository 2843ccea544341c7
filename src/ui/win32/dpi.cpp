#include "ui/win32/dpi.h"

namespace vexav6::ui::win32 {

namespace {

// A function of user32 that older systems lack, or null.
template <class Function>
Function User32Function(const char* name) {
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return user32 != nullptr
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)))
               : nullptr;
}

using SetContextFn = BOOL(WINAPI*)(HANDLE);
using SetAwareFn = BOOL(WINAPI*)();
using DpiForWindowFn = UINT(WINAPI*)(HWND);
using MetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 and _PER_MONITOR_AWARE.
const HANDLE kPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kPerMonitor = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));

}  // namespace

void EnableDpiAwareness() {
    if (const auto setContext = User32Function<SetContextFn>("SetProcessDpiAwarenessContext")) {
        if (setContext(kPerMonitorV2) || setContext(kPerMonitor)) {
            return;
        }
        // Already set by the manifest (access denied): nothing more to do.
        if (::GetLastError() == ERROR_ACCESS_DENIED) {
            return;
        }
    }
    if (const auto setAware = User32Function<SetAwareFn>("SetProcessDPIAware")) {
        setAware();
    }
}

UINT SystemDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) {
        ::ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT DpiOf(HWND window) {
    static const auto dpiForWindow = User32Function<DpiForWindowFn>("GetDpiForWindow");
    if (dpiForWindow != nullptr && window != nullptr) {
        const UINT dpi = dpiForWindow(window);
        if (dpi != 0) {
            return dpi;
        }
    }
    return SystemDpi();
}

int SystemMetric(int index, UINT dpi) {
    static const auto metricsForDpi = User32Function<MetricsForDpiFn>("GetSystemMetricsForDpi");
    if (metricsForDpi != nullptr) {
        return metricsForDpi(index, dpi);
    }
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi),
                    static_cast<int>(SystemDpi()));
}

SIZE OuterSize(SIZE client, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi) {
    static const auto adjustForDpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, client.cx, client.cy};
    if (adjustForDpi != nullptr) {
        adjustForDpi(&rect, style, hasMenu ? TRUE : FALSE, exStyle, dpi);
    } else {
        ::AdjustWindowRectEx(&rect, style, hasMenu ? TRUE : FALSE, exStyle);
    }
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void MoveToSuggestedRect(HWND window, LPARAM suggested) {
    const auto* rect = reinterpret_cast<const RECT*>(suggested);
    ::SetWindowPos(window, nullptr, rect->left, rect->top, rect->right - rect->left,
                   rect->bottom - rect->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetMinimumSize(HWND window, LPARAM minMaxInfo, int width, int height) {
    const Scaler px(window);
    reinterpret_cast<MINMAXINFO*>(minMaxInfo)->ptMinTrackSize = POINT{px(width), px(height)};
}

}  // namespace vexav6::ui::win32
