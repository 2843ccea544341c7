#include "ui/win32/dialog.h"

#include <vector>

#include "base/error.h"
#include "startup/application.h"
#include "ui/win32/controls.h"
#include "ui/win32/dpi.h"
#include "ui/win32/window.h"

namespace vexav6::ui::win32 {

namespace {

// An empty dialog template: a captioned, closable frame with no controls and no font of its own
// (the dialog sets its fonts on the controls it makes).
std::vector<WORD> EmptyTemplate(DWORD style) {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
    header->style = style;
    header->dwExtendedStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    header->cdit = 0;
    // Followed by three empty words: no menu, the standard class, no title.
    return words;
}

}  // namespace

INT_PTR Dialog::Run(HWND owner) {
    owner_ = owner;
    const std::vector<WORD> dialogTemplate =
        EmptyTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr),
                                     reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()),
                                     owner, &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void Dialog::OnCommand(int id, int /*code*/, HWND /*control*/) {
    if (id == IDOK || id == IDCANCEL) {
        End(id);
    }
}

INT_PTR Dialog::HandleMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    return FALSE;
}

void Dialog::End(INT_PTR result) {
    ::EndDialog(dialog_, result);
}

int Dialog::Px(int units) const {
    return Scale(units, fonts_ ? fonts_->Dpi() : DpiOf(dialog_));
}

void Dialog::SizeClient(int width, int height) {
    const UINT dpi = DpiOf(dialog_);
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(dialog_, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(dialog_, GWL_EXSTYLE));
    const SIZE outer =
        OuterSize(SIZE{Scale(width, dpi), Scale(height, dpi)}, style, exStyle, false, dpi);
    RECT area{};
    if (owner_ != nullptr && ::IsWindowVisible(owner_)) {
        ::GetWindowRect(owner_, &area);
    } else {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    const int x = area.left + ((area.right - area.left) - outer.cx) / 2;
    const int y = area.top + ((area.bottom - area.top) - outer.cy) / 2;
    ::SetWindowPos(dialog_, nullptr, x, y, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND Dialog::Add(const wchar_t* className, const std::string& text, DWORD style, int id,
                 DWORD exStyle) {
    return CreateControl(dialog_, className, text, style, exStyle, id, fonts_->Normal());
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            fonts_ = std::make_unique<UiFonts>(DpiOf(dialog_));
            const BOOL result = OnInitDialog();
            PostModalShown(dialog_);
            return result;
        }
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_DPICHANGED: {
            auto fonts = std::make_unique<UiFonts>(HIWORD(wParam));
            SetFontOfChildren(dialog_, fonts->Normal());
            fonts_ = std::move(fonts);
            MoveToSuggestedRect(dialog_, lParam);
            Layout();
            return TRUE;
        }
        case WM_SIZE:
            Layout();
            return TRUE;
        default:
            return HandleMessage(message, wParam, lParam);
    }
}

INT_PTR CALLBACK Dialog::DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->dialog_ = dialog;
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    }
    if (self == nullptr) {
        return FALSE;
    }
    if (message == kModalShownMessage && Window::ModalShownHook()) {
        RunModalShownHook(dialog);
        return TRUE;
    }
    INT_PTR result = FALSE;
    try {
        result = self->Dispatch(message, wParam, lParam);
    } catch (...) {
        try {
            Application::ReportError(self->platform_, CurrentExceptionAsError());
        } catch (...) {
        }
        result = TRUE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(dialog, DWLP_USER, 0);
        self->dialog_ = nullptr;
    }
    return result;
}

}  // namespace vexav6::ui::win32
