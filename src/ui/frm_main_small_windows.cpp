// The main window's side of the MAC address change panel, the tray icon, the about box and the
// proxy dialog.
#include <utility>

#include "presets/ie_proxy.h"
#include "startup/application.h"
#include "ui/frm_main.h"

namespace vexav6::ui {

ChangeMACAddress& frmMain::AttachMACPanel(ChangeMACAddressView& view,
                                          MACAddressView& macAddressView,
                                          std::function<double()> random) {
    mac_ = std::make_unique<ChangeMACAddress>(platform_, view, macAddressView, std::move(random));
    mac_->onChanging = [this] { OnMACAddressChanging(); };
    mac_->onChanged = [this](bool success, bool restore) { OnMACAddressChanged(success, restore); };
    mac_->onError = [this](const Error& error) { OnMACAddressError(error); };
    mac_->Initialize();
    return *mac_;
}

void frmMain::SwitchTrayIcon(bool on) {
    if (!on) {
        tray_.reset();  // its window goes, and the icon with it
        SetMenuEnabled(MainMenu::OptionsTrayAnimation, false);
        return;
    }
    if (!tray_ && makeTrayWindow) {
        tray_ = makeTrayWindow(*this);
        tray_->Presenter().LoadIcon(caption_);
        tray_->Presenter().Animation(MenuChecked(MainMenu::OptionsTrayAnimation));
    }
    SetMenuEnabled(MainMenu::OptionsTrayAnimation, true);
}

void frmMain::SwitchTrayAnimation(bool on) {
    if (tray_) {
        tray_->Presenter().Animation(on);
    }
}

void frmMain::ShowProxyDialog() {
    if (!showProxyDialog) {
        return;
    }
    const ProxyDialogArgs args{MenuChecked(MainMenu::OptionsProxy),
                               IEProxy::GetProxyServer(platform_)};
    if (const std::optional<ProxyDialogResult> result = showProxyDialog(args)) {
        IEProxy::SetProxySettings(platform_, result->ProxyEnable, result->ProxyServer,
                                  result->ProxyPort);
        SetMenuChecked(MainMenu::OptionsProxy, result->ProxyEnable);
    }
}

void frmMain::ShowAboutBox() {
    if (showAbout) {
        showAbout();
    }
}

bool frmMain::MainWindowEnabled() {
    return view_.IsWindowEnabled();
}

bool frmMain::MainWindowVisible() {
    return view_.IsWindowVisible();
}

void frmMain::ShowMainWindow(bool show) {
    if (show) {
        view_.ShowWindow();
    } else {
        view_.HideWindow();
    }
}

void frmMain::EndProgram() {
    view_.CloseWindow();
}

}  // namespace vexav6::ui
