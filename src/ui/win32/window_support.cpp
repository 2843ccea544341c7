#include "ui/win32/window_support.h"

#include "base/error.h"
#include "startup/application.h"

namespace vexav6::ui::win32 {

bool RegisterClassOnce(const wchar_t* name, WNDPROC procedure, int background,
                       const wchar_t* cursor, UINT style) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoExW(instance, name, &existing) != FALSE) {
        return true;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = cursor != nullptr ? ::LoadCursorW(nullptr, cursor) : nullptr;
    windowClass.hbrBackground =
        background >= 0 ? reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1)) : nullptr;
    windowClass.lpszClassName = name;
    return ::RegisterClassExW(&windowClass) != 0;
}

void ReportCaught(const Platform& platform) noexcept {
    try {
        Application::ReportError(platform, CurrentExceptionAsError());
    } catch (...) {
        // The report itself failed: nothing more can be shown.
    }
}

int ScaleForWindow(HWND window, int value) {
    int dpi = 96;
    if (HDC dc = ::GetDC(window)) {
        dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
        ::ReleaseDC(window, dc);
    }
    return ::MulDiv(value, dpi, 96);
}

HFONT MessageFont() {
    static const HFONT font = [] {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        return ::CreateFontIndirectW(&metrics.lfMessageFont);
    }();
    return font;
}

}  // namespace vexav6::ui::win32
