#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/win32/windows_include.h"
#include "ui/frm_proxy.h"
#include "ui/win32/dialog.h"

namespace vexav6::ui::win32 {

// The Internet Explorer proxy dialog: the enable box, the server and port boxes, OK and Cancel.
class frmProxyWindow : public Dialog, public frmProxyView {
  public:
    enum ControlId : int { kEnable = 101, kServerLabel, kServer, kPortLabel, kPort };

    frmProxyWindow(const Platform& platform, ProxyDialogArgs args);

    // Runs the dialog over its owner; what OK stored, or nothing for Cancel.
    std::optional<ProxyDialogResult> Show(HWND owner);
    frmProxy& Presenter() { return dialog_; }

    void SetEnableChecked(bool checked) override;
    void SetServerPortEnabled(bool enabled) override;
    void SetServer(const std::string& server) override;
    void SetPort(const std::string& port) override;
    std::string Server() const override;
    std::string Port() const override;
    void FocusServer() override;
    void FocusPort() override;
    void Close() override;

  protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    void Layout() override;

  private:
    ProxyDialogArgs args_;
    frmProxy dialog_;
};

}  // namespace vexav6::ui::win32
