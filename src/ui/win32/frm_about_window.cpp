#include "ui/win32/frm_about_window.h"

#include <string>

#include "platform/win32/wide_text.h"
#include "ui/frm_about.h"
#include "ui/maker_links.h"
#include "ui/win32/modal_loop.h"
#include "ui/win32/window_support.h"

namespace vexav6::ui::win32 {
namespace {

constexpr const wchar_t* kClass = L"Vexav6.frmAbout";

HFONT MessageFont(int scalePercent, bool bold) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = font.lfHeight * scalePercent / 100;
    if (bold) {
        font.lfWeight = FW_BOLD;
    }
    return ::CreateFontIndirectW(&font);
}

}  // namespace

bool frmAboutWindow::Create(HWND owner) {
    if (!RegisterClassOnce(kClass, &WindowProc, COLOR_WINDOW, IDC_ARROW, CS_DROPSHADOW)) {
        return false;
    }
    owner_ = owner;
    titleFont_ = MessageFont(160, true);
    textFont_ = MessageFont(100, false);
    int dpi = 96;
    if (HDC dc = ::GetDC(owner)) {
        dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
        ::ReleaseDC(owner, dc);
    }
    const int width = ::MulDiv(420, dpi, 96);
    const int height = ::MulDiv(180, dpi, 96);
    RECT area{};
    if (owner != nullptr) {
        ::GetWindowRect(owner, &area);
    } else {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    window_ = ::CreateWindowExW(WS_EX_DLGMODALFRAME, kClass,
                                vexav6::win32::Widen(frmAbout::Caption()).c_str(),
                                WS_POPUP | WS_BORDER, x, y, width, height, owner, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) {
        return false;
    }
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::ShowWindow(window_, SW_SHOW);
    ::SetFocus(window_);
    return true;
}

void frmAboutWindow::RunModal() {
    RunModalLoop(window_, owner_);
    for (HFONT* font : {&titleFont_, &textFont_}) {
        if (*font != nullptr) {
            ::DeleteObject(*font);
            *font = nullptr;
        }
    }
}

void frmAboutWindow::ShowModal(HWND owner) {
    if (Create(owner)) {
        RunModal();
    }
}

void frmAboutWindow::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(window_, &client);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    const int margin = ::MulDiv(20, dpi, 96);
    const int icon = ::GetSystemMetrics(SM_CXICON);
    ::DrawIconEx(dc, margin, margin, ::LoadIconW(nullptr, IDI_INFORMATION), icon, icon, 0, nullptr,
                 DI_NORMAL);
    ::SetBkMode(dc, TRANSPARENT);
    RECT text{margin * 2 + icon, margin, client.right - margin, client.bottom - margin};
    const auto draw = [&](HFONT font, const std::string& line, COLORREF colour) {
        const std::wstring wide = vexav6::win32::Widen(line);
        const HGDIOBJ old = ::SelectObject(dc, font);
        ::SetTextColor(dc, colour);
        RECT measured = text;
        ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &measured,
                    DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
        ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &text,
                    DT_WORDBREAK | DT_NOPREFIX);
        text.top += measured.bottom - measured.top + ::MulDiv(6, dpi, 96);
        ::SelectObject(dc, old);
    };
    draw(titleFont_, frmAbout::ProductName(), ::GetSysColor(COLOR_WINDOWTEXT));
    draw(textFont_, frmAbout::VersionText(), ::GetSysColor(COLOR_WINDOWTEXT));
    draw(textFont_, links::kWebsite, ::GetSysColor(COLOR_GRAYTEXT));
    draw(textFont_, "Click, or press Enter, Escape or Space, to close.",
         ::GetSysColor(COLOR_GRAYTEXT));
}

LRESULT CALLBACK frmAboutWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) noexcept {
    auto* self = SelfOf<frmAboutWindow>(window);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            HDC dc = ::BeginPaint(window, &paint);
            if (self != nullptr) {
                self->Paint(dc);
            }
            ::EndPaint(window, &paint);
            return 0;
        }
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
            if (frmAbout::ClosesOnKey(static_cast<int>(wParam))) {
                ::DestroyWindow(window);
            }
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            ::DestroyWindow(window);
            return 0;
        case WM_NCDESTROY:
            if (self != nullptr) {
                self->window_ = nullptr;
            }
            break;
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace vexav6::ui::win32
