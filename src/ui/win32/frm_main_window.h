#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ui/frm_main.h"
#include "ui/win32/change_mac_address_window.h"
#include "ui/win32/fonts.h"
#include "ui/win32/frm_cli_help_window.h"
#include "ui/win32/frm_splash_window.h"
#include "ui/win32/gdi.h"
#include "ui/win32/ip_panel_window.h"
#include "ui/win32/network_adapter_info_window.h"
#include "ui/win32/network_monitor_panel_window.h"
#include "ui/win32/panel.h"
#include "ui/win32/preset_panel_window.h"
#include "ui/win32/window.h"

namespace vexav6::ui::win32 {

// A page of the main window's tab control: it hosts the panels of its tab and lays them out
// through the function its owner gives it.
class TabPage : public Panel {
  public:
    using Panel::Panel;

    std::function<void(Box client, const Scaler& px)> layout;

  protected:
    const wchar_t* ClassName() const override { return L"Vexav6.TabPage"; }
    void CreateControls() override {}
    void LayoutControls(Box client, const Scaler& px) override {
        if (layout) {
            layout(client, px);
        }
    }
};

// The main window: the adapter list, the tab control with its pages and panels, the traffic
// panel, the menu bar and its keys. It draws what its presenter (frmMain) says and hands the
// user's actions to it.
class frmMainWindow : public Window, public frmMainView {
  public:
    static constexpr const wchar_t* kClassName = L"Vexav6.frmMain";
    static constexpr int kListId = 1000;
    static constexpr int kTabId = 1001;
    // The adapter list's columns, as the presenter's rows have them.
    static constexpr int kColumnCount = 5;

    explicit frmMainWindow(const Platform& platform);
    ~frmMainWindow() override;

    // Makes the window (hidden) with its controls and panels, and its presenter.
    void Create();
    // The presenter's load; false when it failed (the error was shown and the window is gone).
    bool Load();
    frmMain& Presenter() { return *presenter_; }

    // The keys of the menus and the dialog keys (Tab between controls) for a message of the
    // loop; true when it was handled.
    bool PreTranslateMessage(MSG& message);
    // Runs after the window is gone (the window mode ends its loop here).
    std::function<void()> onClosed;

    // --- What the test bench reads ---
    HWND AdapterList() const { return list_; }
    HWND Tabs() const { return tab_; }
    HWND Page(int tab) const { return pages_[static_cast<size_t>(tab)]->Handle(); }
    NetworkAdapterInfoWindow& DetailsPanel() { return details_; }
    ChangeMACAddressWindow& MACPanel() { return macPanel_; }
    // The tray window while "System Tray Icon" is on.
    class frmTrayWindow* Tray();
    NetworkMonitorPanelWindow& TrafficPanel() { return traffic_; }
    PresetPanelWindow& PresetsPanel() { return presets_; }
    IPv4PanelWindow& IPv4Panel() { return ipv4_; }
    IPv6PanelWindow& IPv6Panel() { return ipv6_; }
    HWND Splash() const { return splash_ ? splash_->Handle() : nullptr; }
    struct MenuLocation {
        HMENU menu = nullptr;
        UINT position = 0;
    };
    MenuLocation Locate(MainMenu item) const;
    // The help windows opened without a modal loop, still open.
    std::vector<HWND> HelpWindows() const;

    // --- frmMainView ---
    void SetCaption(const std::string& caption) override;
    void ClearRows() override;
    void AddRow(const AdapterRow& row) override;
    void SetRow(int index, const AdapterRow& row) override;
    void RemoveRow(int index) override;
    void SetRowStatus(int index, const std::string& text) override;
    void SetRowChecked(int index, bool checked) override;
    void SelectRow(int index) override;
    void SetMenuEnabled(MainMenu item, bool enabled) override;
    void SetMenuChecked(MainMenu item, bool checked) override;
    void SelectTab(int tab) override;
    void ShowWindow() override;
    void HideWindow() override;
    bool IsWindowVisible() const override;
    bool IsWindowEnabled() const override;
    void CloseWindow() override;
    void ShowSplash() override;
    void SplashProgress(int percent) override;
    void CloseSplash() override;
    void ShowHelpWindow(const std::string& caption, const std::string& text, bool modal) override;

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // Posted by a click on a row's check box: handled after the list's notification returns,
    // since it may ask a question.
    static constexpr UINT kRowCheckMessage = WM_APP + 1;

    void CreateControls();
    void BuildMenu();
    void Layout();
    void LayoutDetailsTab(Box client, const Scaler& px);
    void LayoutIPTab(Box client, const Scaler& px);
    // How the presenter makes the tray window, the about box and the proxy dialog
    // (frm_main_window_small.cpp).
    void ConnectSmallWindows();
    void SizeColumns();
    void ShowPage(int tab);
    void ApplyDpi(UINT dpi);
    LRESULT OnNotify(const NMHDR& header);
    void WriteRow(int index, const AdapterRow& row);

    std::unique_ptr<UiFonts> fonts_;
    std::unique_ptr<frmMain> presenter_;
    HWND list_ = nullptr;
    HWND tab_ = nullptr;
    std::array<std::unique_ptr<TabPage>, kTabCount> pages_;
    NetworkAdapterInfoWindow details_;
    ChangeMACAddressWindow macPanel_;
    NetworkMonitorPanelWindow traffic_;
    IPv4PanelWindow ipv4_;
    IPv6PanelWindow ipv6_;
    PresetPanelWindow presets_;
    std::unique_ptr<frmSplashWindow> splash_;
    std::vector<std::unique_ptr<frmCLIHelpWindow>> helpWindows_;
    ScopedAccelerators accelerators_;
    std::map<MainMenu, MenuLocation> menuItems_;
    std::map<HMENU, MainMenu> popups_;
    // Counts the presenter's own changes of the list, whose notifications are not the user's.
    int updating_ = 0;
};

}  // namespace vexav6::ui::win32
