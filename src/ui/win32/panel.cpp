#include "ui/win32/panel.h"

#include "ui/win32/controls.h"

namespace vexav6::ui::win32 {

namespace {

// Whether the controls are drawn with visual styles (uxtheme's IsAppThemed).
bool Themed() {
    using IsThemedFn = BOOL(WINAPI*)();
    static const auto isThemed = []() -> IsThemedFn {
        const HMODULE uxtheme = ::LoadLibraryW(L"uxtheme.dll");
        return uxtheme != nullptr ? reinterpret_cast<IsThemedFn>(reinterpret_cast<void*>(
                                        ::GetProcAddress(uxtheme, "IsAppThemed")))
                                  : nullptr;
    }();
    return isThemed != nullptr && isThemed();
}

}  // namespace

COLORREF PanelBackgroundColour() {
    // Under visual styles the tab body is drawn in the window colour; the classic look has the
    // dialog colour everywhere.
    return ::GetSysColor(Themed() ? COLOR_WINDOW : COLOR_BTNFACE);
}

HBRUSH PanelBackgroundBrush() {
    return ::GetSysColorBrush(Themed() ? COLOR_WINDOW : COLOR_BTNFACE);
}

void Panel::Create(HWND parent, const UiFonts& fonts) {
    fonts_ = &fonts;
    RegisterClass(ClassName());
    // Not WS_CLIPCHILDREN: a group box covers the panel, and the panel must paint under it.
    CreateHandle(ClassName(), "", WS_CHILD | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, 0, 0, 0, 0,
                 parent);
    CreateControls();
}

void Panel::ApplyFonts(const UiFonts& fonts) {
    fonts_ = &fonts;
    SetFontOfChildren(Handle(), fonts.Normal());
    Relayout();
}

void Panel::Relayout() {
    if (Handle() != nullptr && fonts_ != nullptr) {
        LayoutControls(Box::Client(Handle()), Scaler(fonts_->Dpi()));
    }
}

HWND Panel::Add(const wchar_t* className, const std::string& text, DWORD style, int id,
                DWORD exStyle) {
    return CreateControl(Handle(), className, text, style, exStyle, id, fonts_->Normal());
}

LRESULT Panel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Relayout();
            return 0;
        case WM_ERASEBKGND: {
            RECT client{};
            ::GetClientRect(Handle(), &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, PanelBackgroundBrush());
            return 1;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            const auto dc = reinterpret_cast<HDC>(wParam);
            ::SetBkColor(dc, PanelBackgroundColour());
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(PanelBackgroundBrush());
        }
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        default:
            return Default(message, wParam, lParam);
    }
}

}  // namespace vexav6::ui::win32
