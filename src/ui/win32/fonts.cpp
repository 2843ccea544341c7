#include "ui/win32/fonts.h"

#include <cwchar>

#include "ui/win32/dpi.h"

namespace vexav6::ui::win32 {

namespace {

using ParametersForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

// The message font at `dpi`: SystemParametersInfoForDpi where it exists, else the system's font
// scaled from the system DPI.
LOGFONTW MessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    const auto forDpi = user32 != nullptr
                            ? reinterpret_cast<ParametersForDpiFn>(reinterpret_cast<void*>(
                                  ::GetProcAddress(user32, "SystemParametersInfoForDpi")))
                            : nullptr;
    if (forDpi != nullptr && forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
        return metrics.lfMessageFont;
    }
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        LOGFONTW font = metrics.lfMessageFont;
        font.lfHeight =
            ::MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
        return font;
    }
    // Windows 2000 without the larger structure: MS Shell Dlg 2 at 8 pt.
    LOGFONTW font{};
    font.lfHeight = -::MulDiv(8, static_cast<int>(dpi), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(font.lfFaceName, L"MS Shell Dlg 2", LF_FACESIZE - 1);
    return font;
}

}  // namespace

UiFonts::UiFonts(UINT dpi) : dpi_(dpi) {
    LOGFONTW font = MessageFont(dpi);
    font.lfQuality = CLEARTYPE_QUALITY;
    normal_.Reset(::CreateFontIndirectW(&font));

    LOGFONTW bold = font;
    bold.lfWeight = FW_SEMIBOLD;
    bold_.Reset(::CreateFontIndirectW(&bold));

    LOGFONTW heading = font;
    heading.lfHeight = font.lfHeight * 3 / 2;
    heading.lfWeight = FW_SEMIBOLD;
    heading_.Reset(::CreateFontIndirectW(&heading));

    LOGFONTW fixed{};
    fixed.lfHeight = font.lfHeight;
    fixed.lfWeight = FW_NORMAL;
    fixed.lfCharSet = DEFAULT_CHARSET;
    fixed.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    fixed.lfQuality = CLEARTYPE_QUALITY;
    std::wcsncpy(fixed.lfFaceName, L"Consolas", LF_FACESIZE - 1);
    fixed_.Reset(::CreateFontIndirectW(&fixed));
}

void SetFontOfChildren(HWND parent, HFONT font) {
    ::EnumChildWindows(
        parent,
        [](HWND child, LPARAM value) -> BOOL {
            ::SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(value), FALSE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(font));
}

}  // namespace vexav6::ui::win32
