#include "ui/win32/frm_splash_window.h"

#include <string>

#include "base/app_info.h"
#include "platform/win32/wide_text.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gdi.h"
#include "ui/win32/resources/resource_ids.h"

namespace vexav6::ui::win32 {

namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 150;

}  // namespace

void frmSplashWindow::Show() {
    RegisterClass(L"Vexav6.frmSplash", CS_DROPSHADOW);
    const UINT dpi = SystemDpi();
    fonts_ = std::make_unique<UiFonts>(dpi);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = Scale(kWidth, dpi);
    const int height = Scale(kHeight, dpi);
    CreateHandle(L"Vexav6.frmSplash", app::TitleWithMajorVersion(), WS_POPUP | WS_BORDER,
                 WS_EX_TOOLWINDOW, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height, nullptr);
    const Scaler px(Handle());
    if (px.Dpi() != dpi) {
        fonts_ = std::make_unique<UiFonts>(px.Dpi());
    }
    icon_ = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                            MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON,
                                            px(48), px(48), LR_DEFAULTCOLOR | LR_SHARED));
    progress_.Create(Handle(), 1);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    ::MoveWindow(progress_.Handle(), px(20), client.bottom - px(34), client.right - px(40), px(14),
                 FALSE);
    ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(Handle());
}

void frmSplashWindow::ShowProgress(int percent) {
    progress_.SetPercent(static_cast<uint8_t>(percent));
}

LRESULT frmSplashWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint{};
        const HDC dc = ::BeginPaint(Handle(), &paint);
        Paint(dc);
        ::EndPaint(Handle(), &paint);
        return 0;
    }
    if (message == WM_ERASEBKGND) {
        RECT client{};
        ::GetClientRect(Handle(), &client);
        ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_WINDOW));
        return 1;
    }
    return Default(message, wParam, lParam);
}

void frmSplashWindow::Paint(HDC dc) {
    const Scaler px(Handle());
    if (icon_ != nullptr) {
        ::DrawIconEx(dc, px(20), px(22), icon_, px(48), px(48), 0, nullptr, DI_NORMAL);
    }
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    const std::wstring title = vexav6::win32::Widen(app::kTitle);
    {
        SelectObjectScope font(dc, fonts_->Heading());
        ::TextOutW(dc, px(84), px(24), title.c_str(), static_cast<int>(title.size()));
    }
    SelectObjectScope font(dc, fonts_->Normal());
    ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
    const std::wstring version = vexav6::win32::Widen("Version " + app::FullVersion());
    ::TextOutW(dc, px(84), px(52), version.c_str(), static_cast<int>(version.size()));
    const std::wstring loading = L"Loading settings, vendors and network adapters...";
    RECT client{};
    ::GetClientRect(Handle(), &client);
    ::TextOutW(dc, px(20), client.bottom - px(56), loading.c_str(),
               static_cast<int>(loading.size()));
}

}  // namespace vexav6::ui::win32
