#pragma once

#include "platform/win32/windows_include.h"

#include <memory>
#include <string>

#include "platform/platform.h"
#include "ui/frm_proxy.h"

namespace vexav6::ui::win32 {

// The Internet Explorer proxy dialog: the enable box, the server and port boxes, OK and Cancel.
class frmProxyWindow : public frmProxyView {
  public:
    enum Control : int { kEnable = 101, kServerLabel, kServer, kPortLabel, kPort };

    explicit frmProxyWindow(const Platform& platform);
    ~frmProxyWindow() override;
    frmProxyWindow(const frmProxyWindow&) = delete;
    frmProxyWindow& operator=(const frmProxyWindow&) = delete;

    // Creates the dialog over its owner, prepared from the enable state and the stored
    // "server:port", not yet running.
    bool Create(HWND owner, HFONT font, bool enabled, const std::string& storedServer);
    void RunModal();
    HWND Handle() const { return window_; }
    HWND Control(int id) const { return ::GetDlgItem(window_, id); }
    frmProxy& Presenter() { return *dialog_; }

    void SetEnableChecked(bool checked) override;
    void SetServerPortEnabled(bool enabled) override;
    void SetServer(const std::string& server) override;
    void SetPort(const std::string& port) override;
    std::string Server() const override;
    std::string Port() const override;
    void FocusServer() override;
    void FocusPort() override;
    void Close() override;

  private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT OnMessage(HWND, UINT, WPARAM, LPARAM);
    HWND AddControl(const wchar_t* windowClass, const char* text, DWORD style, DWORD exStyle,
                    int id, int x, int y, int width, int height);
    int Scale(int value) const;

    Platform platform_;
    std::unique_ptr<frmProxy> dialog_;
    HWND owner_ = nullptr;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    int dpi_ = 96;
};

}  // namespace vexav6::ui::win32
