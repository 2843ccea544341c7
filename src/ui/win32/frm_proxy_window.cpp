#include "ui/win32/frm_proxy_window.h"

#include "platform/win32/wide_text.h"
#include "ui/win32/modal_loop.h"
#include "ui/win32/window_support.h"

namespace vexav6::ui::win32 {
namespace {

constexpr const wchar_t* kClass = L"Vexav6.frmProxy";

std::string TextOf(HWND control) {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return vexav6::win32::Narrow(text);
}

}  // namespace

frmProxyWindow::frmProxyWindow(const Platform& platform) : platform_(platform) {}

frmProxyWindow::~frmProxyWindow() {
    if (window_ != nullptr && ::IsWindow(window_)) {
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }
}

int frmProxyWindow::Scale(int value) const {
    return ::MulDiv(value, dpi_, 96);
}

HWND frmProxyWindow::AddControl(const wchar_t* windowClass, const char* text, DWORD style,
                                DWORD exStyle, int id, int x, int y, int width, int height) {
    const HWND control = ::CreateWindowExW(
        exStyle, windowClass, vexav6::win32::Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style,
        Scale(x), Scale(y), Scale(width), Scale(height), window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
}

bool frmProxyWindow::Create(HWND owner, HFONT font, bool enabled, const std::string& storedServer) {
    if (!RegisterClassOnce(kClass, &WindowProc)) {
        return false;
    }
    owner_ = owner;
    font_ = font;
    if (HDC dc = ::GetDC(owner)) {
        dpi_ = ::GetDeviceCaps(dc, LOGPIXELSY);
        ::ReleaseDC(owner, dc);
    }
    RECT frame{0, 0, Scale(340), Scale(132)};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    ::AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    RECT area{};
    if (owner != nullptr) {
        ::GetWindowRect(owner, &area);
    } else {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    window_ = ::CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClass,
                                vexav6::win32::Widen(ProxyTexts::kCaption).c_str(), style,
                                area.left + (area.right - area.left - width) / 2,
                                area.top + (area.bottom - area.top - height) / 2, width, height,
                                owner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) {
        return false;
    }
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    AddControl(L"BUTTON", ProxyTexts::kEnable, WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 0, kEnable,
               12, 10, 316, 20);
    AddControl(L"STATIC", ProxyTexts::kServer, SS_LEFT, 0, kServerLabel, 12, 40, 200, 16);
    AddControl(L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kServer, 12, 58, 220,
               23);
    AddControl(L"STATIC", ProxyTexts::kPort, SS_LEFT, 0, kPortLabel, 244, 40, 84, 16);
    AddControl(L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kPort, 244, 58, 84, 23);
    AddControl(L"BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, IDOK, 152, 96, 84, 26);
    AddControl(L"BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, IDCANCEL, 244, 96, 84, 26);
    dialog_ = std::make_unique<frmProxy>(platform_, *this);
    dialog_->Prepare(enabled, storedServer);
    ::ShowWindow(window_, SW_SHOW);
    ::SetFocus(Control(kEnable));
    return true;
}

void frmProxyWindow::RunModal() {
    RunModalLoop(window_, owner_);
}

void frmProxyWindow::SetEnableChecked(bool checked) {
    ::SendMessageW(Control(kEnable), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
void frmProxyWindow::SetServerPortEnabled(bool enabled) {
    for (const int id : {kServerLabel, kServer, kPortLabel, kPort}) {
        ::EnableWindow(Control(id), enabled ? TRUE : FALSE);
    }
}
void frmProxyWindow::SetServer(const std::string& server) {
    ::SetWindowTextW(Control(kServer), vexav6::win32::Widen(server).c_str());
}
void frmProxyWindow::SetPort(const std::string& port) {
    ::SetWindowTextW(Control(kPort), vexav6::win32::Widen(port).c_str());
}
std::string frmProxyWindow::Server() const {
    return TextOf(Control(kServer));
}
std::string frmProxyWindow::Port() const {
    return TextOf(Control(kPort));
}
void frmProxyWindow::FocusServer() {
    ::SetFocus(Control(kServer));
    ::SendMessageW(Control(kServer), EM_SETSEL, 0, -1);
}
void frmProxyWindow::FocusPort() {
    ::SetFocus(Control(kPort));
    ::SendMessageW(Control(kPort), EM_SETSEL, 0, -1);
}
void frmProxyWindow::Close() {
    ::DestroyWindow(window_);
}

LRESULT CALLBACK frmProxyWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) noexcept {
    auto* self = SelfOf<frmProxyWindow>(window);
    if (self == nullptr || !self->dialog_) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->OnMessage(window, message, wParam, lParam);
    } catch (...) {
        ReportCaught(self->platform_);
    }
    return 0;
}

LRESULT frmProxyWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kEnable:
                    dialog_->chkEnable_Click(::SendMessageW(Control(kEnable), BM_GETCHECK, 0, 0) ==
                                             BST_CHECKED);
                    return 0;
                case IDOK:
                    dialog_->cmdOK_Click();
                    return 0;
                case IDCANCEL:
                    dialog_->cmdCancel_Click();
                    return 0;
                default:
                    break;
            }
            break;
        case WM_CLOSE:
            dialog_->cmdCancel_Click();
            return 0;
        case WM_NCDESTROY:
            window_ = nullptr;
            break;
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace vexav6::ui::win32
