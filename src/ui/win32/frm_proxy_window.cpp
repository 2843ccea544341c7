#include "ui/win32/frm_proxy_window.h"

#include <utility>

#include "ui/win32/controls.h"
#include "ui/win32/layout.h"

namespace vexav6::ui::win32 {
namespace {

// Units (1/96 inch).
constexpr int kWidth = 340;
constexpr int kHeight = 132;
constexpr int kMargin = 12;
constexpr int kPortWidth = 84;
constexpr int kButtonWidth = 84;

}  // namespace

frmProxyWindow::frmProxyWindow(const Platform& platform, ProxyDialogArgs args)
    : Dialog(platform), args_(std::move(args)), dialog_(platform, *this) {}

std::optional<ProxyDialogResult> frmProxyWindow::Show(HWND owner) {
    Run(owner);
    return dialog_.Outcome();
}

BOOL frmProxyWindow::OnInitDialog() {
    SetText(Handle(), ProxyTexts::kCaption);
    Add(L"BUTTON", ProxyTexts::kEnable, WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, kEnable);
    Add(L"STATIC", ProxyTexts::kServer, SS_LEFT, kServerLabel);
    Add(L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, kServer, WS_EX_CLIENTEDGE);
    Add(L"STATIC", ProxyTexts::kPort, SS_LEFT, kPortLabel);
    Add(L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, kPort, WS_EX_CLIENTEDGE);
    Add(L"BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
    Add(L"BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
    SizeClient(kWidth, kHeight);
    Layout();
    dialog_.Prepare(args_.enabled, args_.storedServer);
    ::SetFocus(Control(kEnable));
    return FALSE;
}

void frmProxyWindow::Layout() {
    Box area = Box::Client(Handle()).Inset(Px(kMargin), Px(10));
    MoveBatch batch(7);
    batch.Move(Control(kEnable), area.TakeTop(Px(20), Px(10)));
    Box buttons = area.TakeBottom(Px(26));
    batch.Move(Control(IDCANCEL), buttons.TakeRight(Px(kButtonWidth), Px(8)));
    batch.Move(Control(IDOK), buttons.TakeRight(Px(kButtonWidth)));
    Box labels = area.TakeTop(Px(18));
    Box boxes = area.TakeTop(Px(23));
    batch.Move(Control(kPortLabel), labels.TakeRight(Px(kPortWidth), Px(12)));
    batch.Move(Control(kServerLabel), labels);
    batch.Move(Control(kPort), boxes.TakeRight(Px(kPortWidth), Px(12)));
    batch.Move(Control(kServer), boxes);
}

void frmProxyWindow::OnCommand(int id, int code, HWND /*control*/) {
    switch (id) {
        case kEnable:
            if (code == BN_CLICKED) {
                dialog_.chkEnable_Click(::SendMessageW(Control(kEnable), BM_GETCHECK, 0, 0) ==
                                        BST_CHECKED);
            }
            break;
        case IDOK:
            dialog_.cmdOK_Click();
            break;
        case IDCANCEL:
            dialog_.cmdCancel_Click();
            break;
        default:
            break;
    }
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
    SetText(Control(kServer), server);
}

void frmProxyWindow::SetPort(const std::string& port) {
    SetText(Control(kPort), port);
}

std::string frmProxyWindow::Server() const {
    return GetText(Control(kServer));
}

std::string frmProxyWindow::Port() const {
    return GetText(Control(kPort));
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
    End(dialog_.Result);
}

}  // namespace vexav6::ui::win32
