#include "ui/win32/frm_cli_help_window.h"

#include "ui/win32/controls.h"
#include "ui/win32/dpi.h"
#include "ui/win32/layout.h"

namespace vexav6::ui::win32 {

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 560;
constexpr int kMinWidth = 360;
constexpr int kMinHeight = 240;

}  // namespace

void frmCLIHelpWindow::Create(HWND owner, const std::string& caption, const std::string& text) {
    RegisterClass(L"Vexav6.frmCLIHelp");
    const UINT dpi = owner != nullptr ? DpiOf(owner) : SystemDpi();
    fonts_ = std::make_unique<UiFonts>(dpi);
    CreateHandle(L"Vexav6.frmCLIHelp", caption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0,
                 CW_USEDEFAULT, CW_USEDEFAULT, Scale(kWidth, dpi), Scale(kHeight, dpi), owner);
    text_ = CreateControl(Handle(), L"EDIT", text,
                          ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                          WS_EX_CLIENTEDGE, kTextId, fonts_->Fixed());
    Layout();
}

void frmCLIHelpWindow::Layout() {
    if (text_ != nullptr) {
        const Scaler px(Handle());
        MoveBatch batch(1);
        batch.Move(text_, Box::Client(Handle()).Inset(px(6)));
    }
}

LRESULT frmCLIHelpWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Layout();
            return 0;
        case WM_GETMINMAXINFO:
            SetMinimumSize(Handle(), lParam, kMinWidth, kMinHeight);
            return 0;
        case WM_DPICHANGED: {
            auto fonts = std::make_unique<UiFonts>(HIWORD(wParam));
            ::SendMessageW(text_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts->Fixed()), TRUE);
            fonts_ = std::move(fonts);
            MoveToSuggestedRect(Handle(), lParam);
            return 0;
        }
        case WM_SETFOCUS:
            ::SetFocus(text_);
            return 0;
        case WM_COMMAND:
            // Escape (through the dialog keys of the loop) closes the window.
            if (LOWORD(wParam) == IDCANCEL) {
                ::PostMessageW(Handle(), WM_CLOSE, 0, 0);
            }
            return 0;
        case WM_CTLCOLORSTATIC:
            // Read-only, but a text to read: the window colour, not the dialog colour.
            ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
        default:
            return Default(message, wParam, lParam);
    }
}

}  // namespace vexav6::ui::win32
