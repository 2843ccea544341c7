// The main window's tray window, about box and proxy dialog, as its presenter asks for them.
#include "ui/win32/frm_about_window.h"
#include "ui/win32/frm_main_window.h"
#include "ui/win32/frm_proxy_window.h"
#include "ui/win32/frm_tray_window.h"

namespace vexav6::ui::win32 {

void frmMainWindow::ConnectSmallWindows() {
    presenter_->makeTrayWindow = [this](TrayOwner& owner) -> std::unique_ptr<ui::TrayWindow> {
        auto tray = std::make_unique<frmTrayWindow>(GetPlatform(), owner);
        tray->Create();
        return tray;
    };
    presenter_->showAbout = [this] {
        frmAboutWindow about(GetPlatform());
        about.ShowModal(Handle());
    };
    presenter_->showProxyDialog = [this](const ProxyDialogArgs& args) {
        frmProxyWindow dialog(GetPlatform(), args);
        return dialog.Show(Handle());
    };
}

frmTrayWindow* frmMainWindow::Tray() {
    return presenter_ ? dynamic_cast<frmTrayWindow*>(presenter_->Tray()) : nullptr;
}

}  // namespace vexav6::ui::win32
