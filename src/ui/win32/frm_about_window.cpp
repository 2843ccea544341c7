#include "ui/win32/frm_about_window.h"

#include <string>

#include "platform/win32/wide_text.h"
#include "ui/frm_about.h"
#include "ui/maker_links.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gdi.h"
#include "ui/win32/resources/resource_ids.h"

namespace vexav6::ui::win32 {
namespace {

constexpr const wchar_t* kClass = L"Vexav6.frmAbout";
// Units (1/96 inch).
constexpr int kWidth = 420;
constexpr int kHeight = 180;
constexpr int kMargin = 20;
constexpr int kIcon = 48;

}  // namespace

void frmAboutWindow::Create(HWND owner) {
    RegisterClass(kClass, CS_DROPSHADOW);
    const UINT dpi = owner != nullptr ? DpiOf(owner) : SystemDpi();
    fonts_ = std::make_unique<UiFonts>(dpi);
    const int width = Scale(kWidth, dpi);
    const int height = Scale(kHeight, dpi);
    RECT area{};
    if (owner != nullptr && ::IsWindowVisible(owner)) {
        ::GetWindowRect(owner, &area);
    } else {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    CreateHandle(kClass, frmAbout::Caption(), WS_POPUP | WS_BORDER, WS_EX_DLGMODALFRAME,
                 area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, width, height, owner);
}

void frmAboutWindow::ShowModal(HWND owner) {
    Create(owner);
    RunModal(owner);
}

void frmAboutWindow::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const Scaler px(fonts_->Dpi());
    if (const auto icon = static_cast<HICON>(
            ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APPLICATION_ICON),
                         IMAGE_ICON, px(kIcon), px(kIcon), LR_DEFAULTCOLOR | LR_SHARED))) {
        ::DrawIconEx(dc, px(kMargin), px(kMargin), icon, px(kIcon), px(kIcon), 0, nullptr,
                     DI_NORMAL);
    }
    ::SetBkMode(dc, TRANSPARENT);
    RECT text{px(2 * kMargin + kIcon), px(kMargin), client.right - px(kMargin),
              client.bottom - px(kMargin)};
    const auto draw = [&](HFONT font, const std::string& line, COLORREF colour) {
        const std::wstring wide = vexav6::win32::Widen(line);
        const SelectObjectScope selected(dc, font);
        ::SetTextColor(dc, colour);
        RECT measured = text;
        ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &measured,
                    DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
        ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &text,
                    DT_WORDBREAK | DT_NOPREFIX);
        text.top += measured.bottom - measured.top + px(6);
    };
    draw(fonts_->Heading(), frmAbout::ProductName(), ::GetSysColor(COLOR_WINDOWTEXT));
    draw(fonts_->Normal(), frmAbout::VersionText(), ::GetSysColor(COLOR_WINDOWTEXT));
    draw(fonts_->Normal(), links::kWebsite, ::GetSysColor(COLOR_GRAYTEXT));
    draw(fonts_->Normal(), "Click, or press Enter, Escape or Space, to close.",
         ::GetSysColor(COLOR_GRAYTEXT));
}

LRESULT frmAboutWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            const HDC dc = ::BeginPaint(Handle(), &paint);
            if (fonts_) {
                Paint(dc);
            }
            ::EndPaint(Handle(), &paint);
            return 0;
        }
        case WM_ERASEBKGND: {
            RECT client{};
            ::GetClientRect(Handle(), &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_WINDOW));
            return 1;
        }
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
            if (frmAbout::ClosesOnKey(static_cast<int>(wParam))) {
                ::DestroyWindow(Handle());
            }
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            ::DestroyWindow(Handle());
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}

}  // namespace vexav6::ui::win32
