#include "ui/frm_proxy.h"

#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "startup/application.h"

namespace vexav6::ui {
namespace {

constexpr const char* kSource = "frmProxy.cmdOK";
constexpr int32_t kHighestPort = 65535;

// The port as a number, or -1 when the text is not a whole number from 1 to 65535.
int32_t ParsePort(std::string_view text) {
    const std::string trimmed = text::Trim(text);
    if (trimmed.empty() || trimmed.size() > 5) {
        return -1;
    }
    int32_t port = 0;
    for (const char c : trimmed) {
        if (c < '0' || c > '9') {
            return -1;
        }
        port = port * 10 + (c - '0');
    }
    return port >= 1 && port <= kHighestPort ? port : -1;
}

}  // namespace

void frmProxy::Prepare(bool enabled, std::string_view storedServer) {
    std::string server;
    std::string port = ProxyTexts::kInitialPort;
    const std::vector<std::string> parts = text::Split(storedServer, ":");
    if (parts.size() == 2) {
        server = parts[0];
        port = parts[1];
    }
    view_.SetServer(server);
    view_.SetPort(port);
    view_.SetEnableChecked(enabled);
    chkEnable_Click(enabled);
}

void frmProxy::chkEnable_Click(bool checked) {
    enabled_ = checked;
    view_.SetServerPortEnabled(checked);
}

void frmProxy::cmdOK_Click() {
    const std::string server = text::Trim(view_.Server());
    const int32_t port = ParsePort(view_.Port());
    if (enabled_) {
        if (server.empty()) {
            Application::ReportError(platform_,
                                     Error(errnum::kOwnCheck, kSource,
                                           "Enter the name or address of the proxy server."));
            view_.FocusServer();
            return;
        }
        if (port < 0) {
            Application::ReportError(platform_,
                                     Error(errnum::kTypeMismatch, kSource,
                                           "The proxy port '" + text::Trim(view_.Port()) +
                                               "' is not a number from 1 to 65535."));
            view_.FocusPort();
            return;
        }
    }
    // A switched-off proxy keeps only its switch: its port is not looked at.
    ProxyEnable = enabled_;
    ProxyServer = server;
    ProxyPort = port < 0 ? 0 : port;
    Result = kResultOK;
    view_.Close();
}

std::optional<ProxyDialogResult> frmProxy::Outcome() const {
    if (Result != kResultOK) {
        return std::nullopt;
    }
    return ProxyDialogResult{ProxyEnable, ProxyServer, ProxyPort};
}

void frmProxy::cmdCancel_Click() {
    Result = kResultCancel;
    view_.Close();
}

}  // namespace vexav6::ui
