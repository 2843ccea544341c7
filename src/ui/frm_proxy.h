#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vexav6::ui {

// What the proxy dialog tells its window.
class frmProxyView {
  public:
    virtual ~frmProxyView() = default;

    virtual void SetEnableChecked(bool checked) = 0;
    // Enables or disables the server and port boxes together.
    virtual void SetServerPortEnabled(bool enabled) = 0;
    virtual void SetServer(const std::string& server) = 0;
    virtual void SetPort(const std::string& port) = 0;
    virtual std::string Server() const = 0;
    virtual std::string Port() const = 0;
    virtual void FocusServer() = 0;
    virtual void FocusPort() = 0;
    virtual void Close() = 0;
};

namespace ProxyTexts {
inline constexpr const char* kCaption = "Internet Explorer HTTP Proxy";
inline constexpr const char* kEnable = "Enable HTTP Proxy";
inline constexpr const char* kServer = "Proxy &server:";
inline constexpr const char* kPort = "&Port:";
inline constexpr const char* kInitialPort = "8080";
}  // namespace ProxyTexts

// What the main window prepares the dialog with: the enable box as its menu item's check mark,
// and the stored "server:port".
struct ProxyDialogArgs {
    bool enabled = false;
    std::string storedServer;
};
// What an OK stores.
struct ProxyDialogResult {
    bool ProxyEnable = false;
    std::string ProxyServer;
    int32_t ProxyPort = 0;
};

// The Internet Explorer proxy dialog: an enable box, the server and the port. The owner prepares
// it, shows it modally and, when it ends with result 1, stores ProxyEnable, ProxyServer and
// ProxyPort.
class frmProxy {
  public:
    static constexpr int32_t kResultOK = 1;
    static constexpr int32_t kResultCancel = 2;

    frmProxy(const Platform& platform, frmProxyView& view) : platform_(platform), view_(view) {}

    // The enable box as given, the port "8080"; a stored setting "server:port" fills the two
    // boxes (only when it splits into exactly two parts at ":").
    void Prepare(bool enabled, std::string_view storedServer);

    void chkEnable_Click(bool checked);
    // Stores the three values and closes with result 1. A port that is not a number from 1 to
    // 65535, or an empty server, while the proxy is enabled is shown with the error report and
    // the dialog stays open.
    void cmdOK_Click();
    void cmdCancel_Click();
    // The values stored by OK; nothing after Cancel.
    std::optional<ProxyDialogResult> Outcome() const;

    bool ProxyEnable = false;
    std::string ProxyServer;
    int32_t ProxyPort = 0;
    int32_t Result = kResultCancel;

  private:
    Platform platform_;
    frmProxyView& view_;
    bool enabled_ = false;
};

}  // namespace vexav6::ui
