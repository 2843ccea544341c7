#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "adapters/adapter_info.h"
#include "base/error.h"
#include "base/keyed_collection.h"
#include "platform/platform.h"
#include "startup/command_line.h"
#include "startup/hand_over.h"
#include "system/timer.h"
#include "ui/change_mac_address.h"
#include "ui/frm_proxy.h"
#include "ui/frm_tray.h"
#include "ui/ipv4_panel.h"
#include "ui/ipv6_panel.h"
#include "ui/main_menu.h"
#include "ui/maker_links.h"
#include "ui/network_adapter_info.h"
#include "ui/network_monitor_panel.h"
#include "ui/preset_panel.h"

namespace vexav6 {
class NICVendor;
class Settings;
}  // namespace vexav6

namespace vexav6::ui {

using AdapterCollection = KeyedCollection<std::shared_ptr<AdapterInfo>>;

// The tabs of the main window.
inline constexpr int kTabCount = 3;
inline constexpr int kDetailsTab = 0;  // details panel and MAC change panel
inline constexpr int kIPTab = 1;       // IPv4 and IPv6 panels
inline constexpr int kPresetTab = 2;   // preset panel

// The adapter list's columns: "Network Connections", "Changed", "MAC Address", "Link Status"
// (also the row's status column), "Speed"; and the row's check box (device enabled).
struct AdapterRow {
    std::string connectionName;
    std::string changed;
    std::string macAddress;
    std::string linkStatus;
    std::string speed;
    bool checked = false;
    bool operator==(const AdapterRow&) const = default;
};

// The row of an adapter as it is now; `enabled` is the device state.
AdapterRow MakeAdapterRow(const AdapterInfo& adapter, bool enabled);

// What the main window shows, as its presenter tells it.
class frmMainView {
  public:
    virtual ~frmMainView() = default;

    virtual void SetCaption(const std::string& caption) = 0;

    // The adapter list: rows by 0-based index, in presenter order.
    virtual void ClearRows() = 0;
    virtual void AddRow(const AdapterRow& row) = 0;
    virtual void SetRow(int index, const AdapterRow& row) = 0;
    virtual void RemoveRow(int index) = 0;
    // The "Link Status" column alone, for a progress text ("Wait..."); drawn at once.
    virtual void SetRowStatus(int index, const std::string& text) = 0;
    virtual void SetRowChecked(int index, bool checked) = 0;
    // Selects the row and scrolls it into view; -1 selects none.
    virtual void SelectRow(int index) = 0;

    virtual void SetMenuEnabled(MainMenu item, bool enabled) = 0;
    virtual void SetMenuChecked(MainMenu item, bool checked) = 0;
    // Shows the tab's page and gives the tab strip the focus.
    virtual void SelectTab(int tab) = 0;

    // Shows the window (restored, in front), hides it, or unloads it for good (which ends the
    // window mode).
    virtual void ShowWindow() = 0;
    virtual void HideWindow() = 0;
    virtual bool IsWindowVisible() const = 0;
    // False while a modal dialog is open over the window.
    virtual bool IsWindowEnabled() const { return true; }
    virtual void CloseWindow() = 0;

    // The splash window while the main window loads.
    virtual void ShowSplash() = 0;
    virtual void SplashProgress(int percent) = 0;
    virtual void CloseSplash() = 0;

    // The command-line help window; a modal one returns when it is closed.
    virtual void ShowHelpWindow(const std::string& caption, const std::string& text,
                                bool modal) = 0;
};

// Addresses of the maker's pages behind the Help menu (the tray menu opens the same).
inline constexpr const char* kBlogAddress = links::kBlog;
inline constexpr const char* kWebsiteAddress = links::kWebsite;
// The user guide beside the program.
inline constexpr const char* kHelpFileName = links::kHelpFile;
inline constexpr const char* kDefaultPresetFileName = "Default.kpf";
inline constexpr const char* kPresetFileFilter = "Korvaldine Preset File (*.kpf)|*.kpf";

// The main window: the adapter list with its selection, the menus with their rules, the load
// sequence, and the panels of the tabs. It owns the adapters, the settings, the vendor database
// and the hand-over receiver of this instance, and it is what the command-line front end reaches
// of the window mode.
class frmMain : public CommandLine::WindowAccess, public TrayOwner {
  public:
    frmMain(const Platform& platform, frmMainView& view);
    ~frmMain() override;
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // The load: splash, settings, vendor database (offering its download when it is missing),
    // Default.kpf, the adapter list, the hand-over receiver, then the window shows itself. A file
    // that cannot be read is kept aside under a new name, reported once, and the load goes on
    // without it. False when the load failed (the error was shown): the window must be closed.
    bool Load();
    // Saves the presets and the settings and stops receiving hand-overs; errors are ignored.
    void Dispose() override;

    // The user's actions, forwarded by the window.
    void OnRowSelected(int index);
    void OnRowCheckToggled(int index, bool checked);
    void OnMenuCommand(MainMenu item);
    // A top-level menu is about to open.
    void OnMenuOpening(MainMenu menu);
    void OnTabSelected(int tab);
    // The close box: true when the window may be unloaded, false when it was only hidden.
    bool OnCloseRequested();

    // Starts a check for a newer version, for the user (Help menu, tray menu).
    void CheckForUpdates() override;

    // Handlers of the MAC change panel's and the preset panel's events.
    void OnMACAddressChanging();
    void OnMACAddressChanged(bool success, bool restore);
    void OnMACAddressError(const Error& error);
    void OnPresetApplying();
    void OnPresetApplied(const std::string& presetName);
    void OnPresetError(const Error& error);

    // --- CommandLine::WindowAccess: what a hand-over or "-o" reaches ---
    bool HasMainWindow() override { return true; }
    void ShowMainWindow() override;
    void OpenPresetFile(const std::string& path) override;
    void ShowHelp(const std::string& caption, const std::string& text) override;

    // --- State, read by the window and by tests ---
    const AdapterCollection& NetworkAdapters() const { return adapters_; }
    const std::shared_ptr<AdapterInfo>& CurrentAdapter() const { return current_; }
    int SelectedRow() const { return selectedRow_; }
    int CurrentTab() const { return currentTab_; }
    const std::string& Caption() const { return caption_; }
    bool MenuEnabled(MainMenu item) const;
    bool MenuChecked(MainMenu item) const;
    NetworkAdapterInfo& Details() { return details_; }
    NetworkMonitorPanel& Monitor() { return monitor_; }
    PresetPanel& Presets() { return presets_; }
    IPv4Panel& IPv4() { return ipv4_; }
    IPv6Panel& IPv6() { return ipv6_; }
    const NICVendor* Vendors() const { return vendor_.get(); }
    const Settings* GetSettings() const { return settings_.get(); }

    // The periodic refresh (every 5000 ms while the window lives).
    void AdapterRefreshTimer__Timer();

    // --- The MAC change panel, the tray, the about box and the proxy dialog ---
    // Makes the MAC change panel's presenter over the views of its window (before Load) and
    // subscribes to its events. `random` as for ChangeMACAddress.
    ChangeMACAddress& AttachMACPanel(ChangeMACAddressView& view, MACAddressView& macAddressView,
                                     std::function<double()> random = {});
    ChangeMACAddress* MACPanel() { return mac_.get(); }
    // The tray window while "System Tray Icon" is on.
    TrayWindow* Tray() { return tray_.get(); }
    // How the windows of these are made, given by the window that owns the presenter (a native
    // test gives fakes): the tray window for its owner; the about box, shown modally; the proxy
    // dialog, shown modally, answering what OK stored or nothing for Cancel.
    std::function<std::unique_ptr<TrayWindow>(TrayOwner& owner)> makeTrayWindow;
    std::function<void()> showAbout;
    std::function<std::optional<ProxyDialogResult>(const ProxyDialogArgs& args)> showProxyDialog;

  private:
    // Load steps.
    void LoadSettingsFile();
    bool LoadVendorDatabase();
    void LoadDefaultPresets();
    void AskVendorListDownload();
    void SubscribeUpdateChecker();
    void SyncOptionMenus();

    // The adapter list.
    void ReloadAdapters();
    void SelectRowAndAdapter(int index);
    void SelectAdapter(const std::shared_ptr<AdapterInfo>& adapter, bool onlyIfChanged);
    void UpdateDHCPMenus();
    void RefreshRow(int index, bool onlyIfChanged, bool showErrors);
    void ShowRowStatus(int index, const std::string& text);
    void RemoveVanishedRow(int index);
    int RowOf(const AdapterInfo* adapter) const;
    void RestartSelectedAdapter();

    // Menu commands.
    void RunMenuCommand(MainMenu item);
    void ExportTextReport();
    void OpenPreset();
    void SavePresetAs();
    void ToggleDHCP(bool v6);
    void DHCPAction(bool v6, int32_t action);
    void DeleteSelectedAdapter();
    void ToggleOption(MainMenu item);
    void ShowCommandLineHelp();
    void UpdateVendorList();
    void StartVendorListDownload();
    void Exit();
    void ShellOpen(const std::string& target);

    // Events of the vendor database and the update checker.
    void OnDBUpdated(int32_t result);
    void OnDBUpdateError(int32_t number, const std::string& description);
    void OnUpdateStatus(bool available, const std::string& version, const std::string& url,
                        int32_t size, bool& downloadAndInstall);
    void OnUpdateError(int32_t number, const std::string& description);

    void SetCaption(const std::string& caption);
    void ShowWaitingCaption(const std::string& caption);
    void RestoreCaption();
    void SetMenuEnabled(MainMenu item, bool enabled);
    void SetMenuChecked(MainMenu item, bool checked);
    bool Available(MainMenu item) const { return unavailable_.count(item) == 0; }
    bool TrayIconOn() const;
    std::string ProgramFile(const char* name) const;
    void ReportError(const Error& error) const;

    // The MAC change panel, the tray, the association, the about box and the proxy dialog
    // (frm_main_small_windows.cpp).
    void SwitchTrayIcon(bool on);
    void SwitchTrayAnimation(bool on);
    void ShowProxyDialog();
    void ShowAboutBox();
    // --- TrayOwner ---
    bool MainWindowEnabled() override;
    bool MainWindowVisible() override;
    void ShowMainWindow(bool show) override;
    void ShowAbout() override { ShowAboutBox(); }
    void EndProgram() override;

    Platform platform_;
    frmMainView& view_;
    std::string caption_;
    std::optional<std::string> savedCaption_;
    bool includeVendorAddress_ = false;
    AdapterCollection adapters_;
    // The adapters of the list's rows, in row order.
    std::vector<std::shared_ptr<AdapterInfo>> rows_;
    int selectedRow_ = -1;
    std::shared_ptr<AdapterInfo> current_;
    int currentTab_ = kDetailsTab;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<NICVendor> vendor_;
    NetworkAdapterInfo details_;
    NetworkMonitorPanel monitor_;
    IPv4Panel ipv4_;
    IPv6Panel ipv6_;
    PresetPanel presets_;
    std::unique_ptr<ChangeMACAddress> mac_;
    std::unique_ptr<TrayWindow> tray_;
    std::unique_ptr<HandOver::Receiver> receiver_;
    Timer refreshTimer_;
    std::map<MainMenu, bool> enabled_;
    std::map<MainMenu, bool> checked_;
    // Items whose windows are not part of the program yet: present and disabled.
    std::set<MainMenu> unavailable_;
    bool loaded_ = false;
    bool disposed_ = false;
};

}  // namespace vexav6::ui
