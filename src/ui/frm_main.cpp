#include "ui/frm_main.h"

#include <span>
#include <utility>

#include "adapters/device_manager.h"
#include "base/app_info.h"
#include "presets/ie_proxy.h"
#include "presets/settings.h"
#include "startup/application.h"
#include "startup/cli_help.h"
#include "startup/text_report.h"
#include "system/common.h"
#include "system/path.h"
#include "ui/common_dialog.h"
#include "ui/damaged_file.h"
#include "ui/file_association.h"
#include "vendors/nic_vendor.h"

namespace vexav6::ui {

using platform::MessageBoxButtons;
using platform::MessageBoxDefaultButton;
using platform::MessageBoxIcon;
using platform::MessageBoxResult;

namespace {

constexpr int32_t kRefreshIntervalMs = 5000;
constexpr const char* kCheckingForUpdates = "Checking for software updates, please wait...";
constexpr const char* kDownloadingUpdate = "Downloading update, please wait...";
constexpr const char* kDownloadingVendorList =
    "Downloading Vendors List (OUI.TXT) from the IEEE web site, please wait...";
// What the vendor list download questions say about the listing.
const std::string kListingNote =
    std::string("File: OUI.TXT (about 2 to 4 MB)\r\nAddress: ") + kOUIListingURL;

}  // namespace

AdapterRow MakeAdapterRow(const AdapterInfo& adapter, bool enabled) {
    return AdapterRow{adapter.ConnectionName(),
                      adapter.NetworkAddressChangedStatus(),
                      adapter.DisplayNetworkAddress(),
                      adapter.LinkStatus(),
                      Common::FormatBitRate(static_cast<double>(adapter.LinkSpeed())),
                      enabled};
}

frmMain::frmMain(const Platform& platform, frmMainView& view)
    : platform_(platform),
      view_(view),
      ipv4_(platform),
      ipv6_(platform),
      presets_(platform),
      refreshTimer_(platform),
      // The windows behind these items belong to parts of the window mode still to come.
      unavailable_{MainMenu::FileImportPreset, MainMenu::FileExportPreset} {
    refreshTimer_.onTimer = [this] { AdapterRefreshTimer__Timer(); };
    presets_.onPresetApplying = [this] { OnPresetApplying(); };
    presets_.onPresetApplied = [this](const std::string& name) { OnPresetApplied(name); };
    presets_.onPresetError = [this](const Error& error) { OnPresetError(error); };
    for (const MainMenuItem& item : MainMenuItems()) {
        enabled_[item.id] = Available(item.id);
        checked_[item.id] = false;
        if (!Available(item.id)) {
            view_.SetMenuEnabled(item.id, false);
        }
    }
}

frmMain::~frmMain() {
    refreshTimer_.StopTimer();
    receiver_.reset();
}

// --- Load and dispose ---

bool frmMain::Load() {
    try {
        SetCaption(app::TitleWithMajorVersion());
        includeVendorAddress_ = true;
        view_.ShowSplash();
        view_.SplashProgress(0);

        vendor_ = std::make_unique<NICVendor>(platform_);
        vendor_->onDBUpdated = [this](int32_t result) { OnDBUpdated(result); };
        vendor_->onDBUpdateError = [this](int32_t number, const std::string& description) {
            OnDBUpdateError(number, description);
        };
        vendor_->onPopulateComboProgress = [this](int16_t percent) {
            view_.SplashProgress(percent);
        };
        LoadSettingsFile();
        SubscribeUpdateChecker();
        // The traffic rows start in the unit the settings ask for.
        monitor_.SetShowSpeedInKBytes(settings_->ShowSpeedInKBytes);
        const bool vendorsLoaded = LoadVendorDatabase();
        LoadDefaultPresets();

        // The MAC change panel fills its vendor list (its progress moves the splash's bar).
        if (mac_) {
            mac_->LoadVendors(*vendor_, includeVendorAddress_);
        }
        presets_.RefreshList("");
        platform_.ui.DoEvents();

        ReloadAdapters();
        view_.SplashProgress(100);
        if (!vendorsLoaded) {
            AskVendorListDownload();
        }

        receiver_ =
            std::make_unique<HandOver::Receiver>(platform_, [this](const std::string& commandLine) {
                CommandLine::ExecuteCommandLine(platform_, commandLine, this);
            });
        view_.CloseSplash();
        view_.ShowWindow();

        if (settings_->CheckFileAssociation) {
            FileAssociation::CheckFileAssociation(platform_, false);
        }
        SyncOptionMenus();
        refreshTimer_.StartTimer(kRefreshIntervalMs);
        loaded_ = true;
        return true;
    } catch (...) {
        const Error error = CurrentExceptionAsError();
        view_.CloseSplash();
        ReportError(error);
        return false;
    }
}

std::string frmMain::ProgramFile(const char* name) const {
    return Path::CombinePath(Path::GetProgramFolder(platform_), name);
}

void frmMain::LoadSettingsFile() {
    settings_ = std::make_unique<Settings>(platform_);
    const std::string path = ProgramFile(kSettingsFileName);
    try {
        settings_->LoadSettings(path);
    } catch (const Error& error) {
        const std::string keptAs = KeepDamagedFileAside(path);
        if (!keptAs.empty()) {
            settings_->LoadSettings(path);  // no file now: the defaults, saved there at the end
        }
        ReportError(
            DamagedFileError(error, keptAs, "The program starts with its default settings."));
    }
    view_.SplashProgress(10);
}

bool frmMain::LoadVendorDatabase() {
    const std::string path = ProgramFile(kOUIDatabaseFileName);
    if (!Path::FileExists(path)) {
        return false;
    }
    try {
        vendor_->LoadDB(path);
        view_.SplashProgress(30);
        return true;
    } catch (const Error& error) {
        const std::string keptAs = KeepDamagedFileAside(path);
        ReportError(DamagedFileError(error, keptAs,
                                     "The vendor list can be downloaded again from the IEEE."));
        // Kept aside, the file is missing: the download is offered. One that could not be moved
        // stays as it is, and nothing is offered that would replace it.
        return keptAs.empty();
    }
}

void frmMain::LoadDefaultPresets() {
    const std::string path = ProgramFile(kDefaultPresetFileName);
    try {
        if (Path::FileExists(path)) {
            presets_.LoadPreset(path, false);
        } else {
            presets_.SavePresetAs(path);
        }
    } catch (const Error& error) {
        if (!Path::FileExists(path)) {
            ReportError(error);  // the new file could not be written
            return;
        }
        const std::string keptAs = KeepDamagedFileAside(path);
        if (!keptAs.empty()) {
            try {
                presets_.SavePresetAs(path);
            } catch (...) {
                // Reported below with the damaged file; the panel then has no file.
            }
        }
        ReportError(
            DamagedFileError(error, keptAs, "A new empty preset file was made in its place."));
    }
    view_.SplashProgress(40);
}

void frmMain::AskVendorListDownload() {
    const MessageBoxResult answer = platform_.ui.MessageBox(
        "The vendors list file oui.db is missing. Do you want to download it from the IEEE web "
        "site now?\r\n\r\n" +
            kListingNote,
        "Vendors List (OUI) File Missing. Download It?", MessageBoxButtons::YesNo,
        MessageBoxIcon::Question);
    if (answer == MessageBoxResult::Yes) {
        StartVendorListDownload();
    }
}

void frmMain::SubscribeUpdateChecker() {
    AutomaticUpdates* updates = settings_->AutomaticUpdates();
    if (updates == nullptr) {
        SetMenuEnabled(MainMenu::HelpCheckForUpdates, false);
        SetMenuEnabled(MainMenu::OptionsAutomaticUpdates, false);
        return;
    }
    updates->onUpdateStatus = [this](bool available, const std::string& version,
                                     const std::string& url, int32_t size, bool& download) {
        OnUpdateStatus(available, version, url, size, download);
    };
    updates->onUpdateError = [this](int32_t number, const std::string& description) {
        OnUpdateError(number, description);
    };
    updates->onUpdateExecuted = [this] { Exit(); };
}

void frmMain::SyncOptionMenus() {
    // Each item is set against its setting and then clicked, so that its handler applies the
    // setting (starts the update check, and so on).
    const std::pair<MainMenu, bool> options[] = {
        {MainMenu::OptionsAutomaticUpdates, settings_->AutomaticUpdatesEnabled()},
        {MainMenu::OptionsTrayIcon, settings_->SystemTrayIcon},
        {MainMenu::OptionsTrayAnimation, settings_->SystemTrayIconAnimation},
        {MainMenu::OptionsFileAssociationCheck, settings_->CheckFileAssociation},
        {MainMenu::OptionsSpeedInKBytes, settings_->ShowSpeedInKBytes},
    };
    for (const auto& [item, value] : options) {
        if (Available(item) && MenuEnabled(item)) {
            SetMenuChecked(item, !value);
            ToggleOption(item);
        } else {
            SetMenuChecked(item, value);
        }
    }
}

void frmMain::Dispose() {
    if (disposed_) {
        return;
    }
    disposed_ = true;
    refreshTimer_.StopTimer();
    try {
        presets_.SavePreset(false);
    } catch (...) {
    }
    try {
        if (settings_) {
            settings_->SaveSettings();
        }
    } catch (...) {
    }
    try {
        receiver_.reset();
    } catch (...) {
    }
}

// --- The adapter list ---

void frmMain::ReloadAdapters() {
    AdapterCollection fresh;
    DeviceManager::GetNetworkAdapters(platform_, fresh,
                                      [this](const Error& error) { ReportError(error); });

    std::optional<std::string> remembered;
    if (selectedRow_ >= 0) {
        remembered = rows_[static_cast<size_t>(selectedRow_)]->ConnectionName();
    }
    view_.ClearRows();
    rows_.clear();
    selectedRow_ = -1;
    details_.ClearData();
    adapters_ = std::move(fresh);

    int toSelect = -1;
    for (const std::shared_ptr<AdapterInfo>& adapter : adapters_) {
        adapter->SetNetworkTrafficMonitor(true);
        rows_.push_back(adapter);
        view_.AddRow(MakeAdapterRow(*adapter, adapter->State()));
        if (toSelect < 0 && (!remembered || adapter->ConnectionName() == *remembered)) {
            toSelect = static_cast<int>(rows_.size()) - 1;
        }
    }
    // The connection selected before is gone: the first row takes its place.
    if (toSelect < 0 && !rows_.empty()) {
        toSelect = 0;
    }
    if (toSelect >= 0) {
        SelectRowAndAdapter(toSelect);
    } else {
        SelectAdapter(nullptr, false);
    }
    SetMenuEnabled(MainMenu::Action, !rows_.empty());
}

void frmMain::SelectRowAndAdapter(int index) {
    selectedRow_ = index;
    view_.SelectRow(index);
    SelectAdapter(rows_[static_cast<size_t>(index)], false);
}

void frmMain::OnRowSelected(int index) {
    if (index < 0 || index >= static_cast<int>(rows_.size())) {
        return;
    }
    try {
        selectedRow_ = index;
        SelectAdapter(rows_[static_cast<size_t>(index)], false);
    } catch (...) {
        ReportError(CurrentExceptionAsError());
    }
}

void frmMain::SelectAdapter(const std::shared_ptr<AdapterInfo>& adapter, bool onlyIfChanged) {
    if (onlyIfChanged && adapter == current_) {
        UpdateDHCPMenus();
        return;
    }
    current_ = adapter;
    monitor_.SetAdapter(adapter);
    if (adapter) {
        details_.LoadData(*adapter, vendor_.get(), includeVendorAddress_);
    } else {
        details_.ClearData();
    }
    if (mac_) {
        mac_->SetAdapter(adapter);
    }
    ipv4_.SetAdapter(adapter);
    ipv6_.SetAdapter(adapter);
    presets_.SetAdapter(adapter, vendor_.get());
    UpdateDHCPMenus();
}

void frmMain::UpdateDHCPMenus() {
    struct Protocol {
        MainMenu menu, enabledItem, release, renew;
        bool bound, dhcp;
    };
    const bool operational = current_ && current_->OperationalStatus() == 5;
    const Protocol protocols[] = {
        {MainMenu::ActionDHCPv4, MainMenu::ActionDHCPv4Enabled, MainMenu::ActionDHCPv4Release,
         MainMenu::ActionDHCPv4Renew, current_ && current_->IPv4Binding(),
         current_ && current_->DHCPv4Enabled()},
        {MainMenu::ActionDHCPv6, MainMenu::ActionDHCPv6Enabled, MainMenu::ActionDHCPv6Release,
         MainMenu::ActionDHCPv6Renew, current_ && current_->IPv6Binding(),
         current_ && current_->DHCPv6Enabled()},
    };
    for (const Protocol& p : protocols) {
        SetMenuEnabled(p.menu, p.bound);
        if (!p.bound) {
            continue;
        }
        SetMenuChecked(p.enabledItem, p.dhcp);
        SetMenuEnabled(p.release, p.dhcp && operational);
        SetMenuEnabled(p.renew, p.dhcp && operational);
    }
}

void frmMain::ShowRowStatus(int index, const std::string& text) {
    view_.SetRowStatus(index, text);
    platform_.ui.DoEvents();
}

void frmMain::RefreshRow(int index, bool onlyIfChanged, bool showErrors) {
    const std::shared_ptr<AdapterInfo> adapter = rows_[static_cast<size_t>(index)];
    // The device state first: the refresh reads the interface only of an enabled device.
    bool enabled = false;
    try {
        enabled = adapter->State();
    } catch (...) {
        if (!DeviceManager::IsAdapterDevicePresent(platform_, adapter->DriverRegistryPath())) {
            RemoveVanishedRow(index);
            return;
        }
        throw;
    }
    adapter->Refresh(showErrors);
    view_.SetRow(index, MakeAdapterRow(*adapter, enabled));
    if (index == selectedRow_) {
        SelectAdapter(adapter, onlyIfChanged);
    }
}

void frmMain::RemoveVanishedRow(int index) {
    const std::shared_ptr<AdapterInfo> adapter = rows_[static_cast<size_t>(index)];
    adapter->SetNetworkTrafficMonitor(false);
    rows_.erase(rows_.begin() + index);
    view_.RemoveRow(index);
    if (adapters_.Contains(adapter->NetCfgInstanceId())) {
        adapters_.Remove(adapter->NetCfgInstanceId());
    }
    if (index < selectedRow_) {
        --selectedRow_;
    } else if (index == selectedRow_) {
        selectedRow_ = -1;
        if (rows_.empty()) {
            view_.SelectRow(-1);
            SelectAdapter(nullptr, false);
        } else {
            SelectRowAndAdapter(0);
        }
    }
    SetMenuEnabled(MainMenu::Action, !rows_.empty());
}

int frmMain::RowOf(const AdapterInfo* adapter) const {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].get() == adapter) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void frmMain::AdapterRefreshTimer__Timer() {
    // Never shows anything: the adapters refresh without error messages, a failure leaves the
    // row as it was until the next tick, and an adapter that is gone leaves the list.
    for (int index = static_cast<int>(rows_.size()) - 1; index >= 0; --index) {
        try {
            RefreshRow(index, true, false);
        } catch (...) {
        }
    }
}

void frmMain::OnRowCheckToggled(int index, bool checked) {
    if (index < 0 || index >= static_cast<int>(rows_.size())) {
        return;
    }
    const std::shared_ptr<AdapterInfo> adapter = rows_[static_cast<size_t>(index)];
    try {
        ShowRowStatus(index, "Wait...");
        if (!checked) {
            const MessageBoxResult answer = platform_.ui.MessageBox(
                "Are you sure you want to disable the selected network connection?\r\n\r\n"
                "Network: " +
                    adapter->ConnectionName(),
                "Disable Network Connection?", MessageBoxButtons::YesNo, MessageBoxIcon::Question);
            // The periodic refresh may have run while the question was open: the row is found
            // again, and it may be gone.
            const int row = RowOf(adapter.get());
            if (answer != MessageBoxResult::Yes) {
                if (row >= 0) {
                    view_.SetRowChecked(row, true);
                    view_.SetRowStatus(row, adapter->LinkStatus());
                }
                return;
            }
            if (row < 0) {
                return;
            }
        }
        adapter->SetState(checked);
        if (const int row = RowOf(adapter.get()); row >= 0) {
            RefreshRow(row, false, true);
        }
    } catch (...) {
        // Not reported: the row shows the adapter as it is at once, and the next periodic
        // refresh corrects it if even that fails.
        try {
            const int row = RowOf(adapter.get());
            if (row >= 0) {
                RefreshRow(row, true, false);
            }
        } catch (...) {
        }
    }
}

void frmMain::RestartSelectedAdapter() {
    const int index = selectedRow_;
    if (index < 0) {
        return;
    }
    const std::shared_ptr<AdapterInfo> adapter = rows_[static_cast<size_t>(index)];
    ShowRowStatus(index, "Resetting...");
    if (adapter->State()) {
        adapter->SetState(false);
        platform_.ui.DoEvents();
    }
    adapter->SetState(true);
    const int row = RowOf(adapter.get());  // pending work may have moved it
    if (row >= 0) {
        RefreshRow(row, false, true);
    }
}

// --- Menus ---

bool frmMain::MenuEnabled(MainMenu item) const {
    const auto it = enabled_.find(item);
    return it != enabled_.end() && it->second;
}

bool frmMain::MenuChecked(MainMenu item) const {
    const auto it = checked_.find(item);
    return it != checked_.end() && it->second;
}

void frmMain::SetMenuEnabled(MainMenu item, bool enabled) {
    enabled = enabled && Available(item);
    enabled_[item] = enabled;
    view_.SetMenuEnabled(item, enabled);
}

void frmMain::SetMenuChecked(MainMenu item, bool checked) {
    checked_[item] = checked;
    view_.SetMenuChecked(item, checked);
}

void frmMain::OnMenuOpening(MainMenu menu) {
    try {
        if (menu == MainMenu::Action && selectedRow_ >= 0) {
            RefreshRow(selectedRow_, true, true);
        } else if (menu == MainMenu::Options) {
            SetMenuChecked(MainMenu::OptionsProxy, IEProxy::IsProxyEnabled(platform_));
        }
    } catch (...) {
        // Opening a menu never shows an error of its own.
    }
}

void frmMain::OnMenuCommand(MainMenu item) {
    // A command whose item is disabled (a key pressed while it is) does nothing, as the item.
    const bool keyOnly = item == MainMenu::NextTab || item == MainMenu::PreviousTab;
    if (!keyOnly && !MenuEnabled(item)) {
        return;
    }
    const MainMenuItem* entry = nullptr;
    for (const MainMenuItem& candidate : MainMenuItems()) {
        if (candidate.id == item) {
            entry = &candidate;
        }
    }
    if (entry != nullptr && entry->parent != MainMenu::None && !MenuEnabled(entry->parent)) {
        return;
    }
    try {
        RunMenuCommand(item);
    } catch (...) {
        ReportError(CurrentExceptionAsError());
    }
}

void frmMain::RunMenuCommand(MainMenu item) {
    switch (item) {
        case MainMenu::FileExportTextReport:
            ExportTextReport();
            break;
        case MainMenu::FileOpenPreset:
            OpenPreset();
            break;
        case MainMenu::FileSavePreset:
            presets_.SavePreset(true);
            break;
        case MainMenu::FileSavePresetAs:
            SavePresetAs();
            break;
        case MainMenu::FileAssociate:
            FileAssociation::CheckFileAssociation(platform_, true);
            break;
        case MainMenu::FileExit:
            Exit();
            break;
        case MainMenu::ActionRefresh:
            ReloadAdapters();
            break;
        case MainMenu::ActionDHCPv4Enabled:
            ToggleDHCP(false);
            break;
        case MainMenu::ActionDHCPv6Enabled:
            ToggleDHCP(true);
            break;
        case MainMenu::ActionDHCPv4Release:
            DHCPAction(false, 0);
            break;
        case MainMenu::ActionDHCPv4Renew:
            DHCPAction(false, 1);
            break;
        case MainMenu::ActionDHCPv6Release:
            DHCPAction(true, 0);
            break;
        case MainMenu::ActionDHCPv6Renew:
            DHCPAction(true, 1);
            break;
        case MainMenu::ActionDeleteAdapter:
            DeleteSelectedAdapter();
            break;
        case MainMenu::OptionsProxy:
            ShowProxyDialog();
            break;
        case MainMenu::OptionsAutomaticUpdates:
        case MainMenu::OptionsFileAssociationCheck:
        case MainMenu::OptionsTrayIcon:
        case MainMenu::OptionsTrayAnimation:
        case MainMenu::OptionsSpeedInKBytes:
            ToggleOption(item);
            break;
        case MainMenu::HelpTopics:
            ShellOpen(ProgramFile(kHelpFileName));
            break;
        case MainMenu::HelpCommandLine:
            ShowCommandLineHelp();
            break;
        case MainMenu::HelpCheckForUpdates:
            CheckForUpdates();
            break;
        case MainMenu::HelpUpdateVendorList:
            UpdateVendorList();
            break;
        case MainMenu::HelpBlog:
            ShellOpen(kBlogAddress);
            break;
        case MainMenu::HelpWebsite:
            ShellOpen(kWebsiteAddress);
            break;
        case MainMenu::HelpAbout:
            ShowAboutBox();
            break;
        case MainMenu::NextTab:
            OnTabSelected((currentTab_ + 1) % kTabCount);
            view_.SelectTab(currentTab_);
            break;
        case MainMenu::PreviousTab:
            OnTabSelected((currentTab_ + kTabCount - 1) % kTabCount);
            view_.SelectTab(currentTab_);
            break;
        default:
            break;  // a submenu, or an item of a window still to come
    }
}

void frmMain::OnTabSelected(int tab) {
    if (tab >= 0 && tab < kTabCount) {
        currentTab_ = tab;
    }
}

void frmMain::ExportTextReport() {
    CommonDialog dialog(platform_.ui);
    if (!dialog.ShowSave("Save Text Report As", "Text File (*.txt)|*.txt", "", "txt",
                         platform::filedialog::kExplorer | platform::filedialog::kPathMustExist |
                             platform::filedialog::kOverwritePrompt |
                             platform::filedialog::kHideReadOnly)) {
        return;
    }
    const NICVendor* vendor = vendor_.get();
    const VendorNameLookup vendorName = [vendor](int32_t oui) {
        return vendor != nullptr ? vendor->GetVendor(oui, false, false)
                                 : std::string(kUnknownVendor);
    };
    const std::string report =
        TextReport::BuildTextReport(platform_.system.Now(), adapters_, vendorName) + "\r\n";
    Path::WriteAllBytes(dialog.FilePath(),
                        std::span(reinterpret_cast<const uint8_t*>(report.data()), report.size()),
                        true);
    platform_.system.ShellExecute("open", dialog.FilePath(), "", "", platform::ShowCommand::Normal);
}

void frmMain::OpenPreset() {
    CommonDialog dialog(platform_.ui);
    if (dialog.ShowOpen("Open Preset File", kPresetFileFilter, "", "kpf",
                        platform::filedialog::kExplorer | platform::filedialog::kFileMustExist |
                            platform::filedialog::kPathMustExist |
                            platform::filedialog::kHideReadOnly)) {
        presets_.LoadPreset(dialog.FilePath(), true);
    }
}

void frmMain::SavePresetAs() {
    CommonDialog dialog(platform_.ui);
    if (dialog.ShowSave("Save Preset As", kPresetFileFilter, "", "kpf",
                        platform::filedialog::kExplorer | platform::filedialog::kPathMustExist |
                            platform::filedialog::kOverwritePrompt |
                            platform::filedialog::kHideReadOnly)) {
        presets_.SavePresetAs(dialog.FilePath());
    }
}

void frmMain::ToggleDHCP(bool v6) {
    if (!current_) {
        return;
    }
    const MainMenu item = v6 ? MainMenu::ActionDHCPv6Enabled : MainMenu::ActionDHCPv4Enabled;
    const bool enable = !MenuChecked(item);
    SetMenuChecked(item, enable);
    if (v6) {
        current_->EnableDHCPv6(enable);
    } else {
        current_->EnableDHCPv4(enable);
    }
    RestartSelectedAdapter();
}

void frmMain::DHCPAction(bool v6, int32_t action) {
    if (selectedRow_ < 0) {
        return;
    }
    const std::string protocol = v6 ? "DHCPv6" : "DHCPv4";
    const std::string verb = action == 0 ? "release" : "renew";
    const std::string title = protocol + (action == 0 ? " Release IP?" : " Renew IP?");
    const std::string text = "Are you sure to " + verb + " " + protocol +
                             " allocated IP address?\r\n\r\nWARNING: The software will freeze "
                             "until the " +
                             protocol + " " + verb + " IP operation succeeds or timeouts.";
    if (platform_.ui.MessageBox(text, title, MessageBoxButtons::YesNo, MessageBoxIcon::Question) !=
        MessageBoxResult::Yes) {
        return;
    }
    const int index = selectedRow_;  // found again after the question
    if (index < 0) {
        return;
    }
    const std::shared_ptr<AdapterInfo> adapter = rows_[static_cast<size_t>(index)];
    ShowRowStatus(index, "Wait...");
    if (v6) {
        adapter->DHCPv6Action(action);
    } else {
        adapter->DHCPv4Action(action);
    }
    // The periodic refresh may have run while the row's text was drawn: the row is found again.
    const int row = RowOf(adapter.get());
    if (row >= 0) {
        RefreshRow(row, false, true);
    }
}

void frmMain::DeleteSelectedAdapter() {
    if (!current_) {
        return;
    }
    if (current_->AdminStatus() != 2) {
        platform_.ui.MessageBox(
            "You cannot delete active network adapter. The network adapter must be disabled "
            "before proceeding.",
            "Cannot Delete Network Adapter", MessageBoxButtons::Ok, MessageBoxIcon::Critical);
        return;
    }
    const MessageBoxResult warning = platform_.ui.MessageBoxWithDefault(
        "WARNING: This option would remove all information regarding the selected network "
        "adapter. This must be used only in case you have removed the Network Interface Card or "
        "Wireless Card from the computer physically and want to delete all the registry "
        "associated with it. Deleting registry information of an existing NIC would make it non "
        "functional and would require you to reinstall its drivers manually for it to work "
        "again.\r\n\r\nAre you damn sure you want to proceed?",
        std::string("WARNING! ") + app::kTitle, MessageBoxButtons::OkCancel,
        MessageBoxIcon::Exclamation, MessageBoxDefaultButton::Second);
    if (warning != MessageBoxResult::Ok) {
        return;
    }
    const MessageBoxResult confirm = platform_.ui.MessageBoxWithDefault(
        "Are you sure to delete registry information associated with '" +
            current_->DeviceDescription() + "' network adapter?",
        "Delete Network Adapter?", MessageBoxButtons::YesNoCancel, MessageBoxIcon::Question,
        MessageBoxDefaultButton::Second);
    if (confirm != MessageBoxResult::Yes) {
        return;
    }
    current_->DeleteAdapter();
    ReloadAdapters();
}

void frmMain::ToggleOption(MainMenu item) {
    const bool on = !MenuChecked(item);
    SetMenuChecked(item, on);
    switch (item) {
        case MainMenu::OptionsAutomaticUpdates:
            settings_->SetAutomaticUpdatesEnabled(on);
            break;
        case MainMenu::OptionsFileAssociationCheck:
            settings_->CheckFileAssociation = on;
            break;
        case MainMenu::OptionsTrayIcon:
            settings_->SystemTrayIcon = on;
            SwitchTrayIcon(on);
            break;
        case MainMenu::OptionsTrayAnimation:
            settings_->SystemTrayIconAnimation = on;
            SwitchTrayAnimation(on);
            break;
        case MainMenu::OptionsSpeedInKBytes:
            settings_->ShowSpeedInKBytes = on;
            monitor_.SetShowSpeedInKBytes(on);
            break;
        default:
            break;
    }
}

bool frmMain::TrayIconOn() const {
    // Without an icon in the notification area the window is never only hidden: nothing could
    // show it again.
    return tray_ && tray_->Presenter().Installed();
}

void frmMain::ShowCommandLineHelp() {
    std::string text;
    try {
        text = CLIHelp::HelpText(platform_);
    } catch (...) {
        ReportError(CurrentExceptionAsError());
        text = app::TitleWithMajorVersion() + "\r\n\r\n";  // the window still opens
    }
    view_.ShowHelpWindow(CLIHelp::Caption(), text, true);
}

void frmMain::ShellOpen(const std::string& target) {
    // A page or file that does not open reports nothing: the shell has shown what it could.
    platform_.system.ShellExecute("open", target, "", "", platform::ShowCommand::Normal);
}

void frmMain::Exit() {
    if (TrayIconOn()) {
        // The tray's exit sequence saves the state and ends the program.
        view_.HideWindow();
        tray_->Presenter().ExitApp();
        return;
    }
    Dispose();
    view_.CloseWindow();
}

bool frmMain::OnCloseRequested() {
    if (TrayIconOn()) {
        view_.HideWindow();
        return false;
    }
    Dispose();
    return true;
}

// --- Updates and the vendor list ---

void frmMain::CheckForUpdates() {
    AutomaticUpdates* updates = settings_ ? settings_->AutomaticUpdates() : nullptr;
    if (updates == nullptr) {
        return;
    }
    ShowWaitingCaption(kCheckingForUpdates);
    SetMenuEnabled(MainMenu::HelpCheckForUpdates, false);
    try {
        updates->ManuallyUpdate();
    } catch (...) {
        RestoreCaption();
        SetMenuEnabled(MainMenu::HelpCheckForUpdates, true);
        throw;
    }
}

void frmMain::OnUpdateStatus(bool available, const std::string& version, const std::string& url,
                             int32_t size, bool& downloadAndInstall) {
    if (available) {
        const std::string text =
            "New update for " + std::string(app::kTitle) +
            " is available for download.\r\n\r\nCurrent Version: " + app::FullVersion() +
            "\r\nNew Version: " + version + "\r\nDownload URL: " + url +
            "\r\nDownload Size: " + Common::FormatByteSize(size) +
            "\r\n\r\nDo you wish to download and install the update now?";
        if (platform_.ui.MessageBox(text, "New Update Available - Automatic Updates",
                                    MessageBoxButtons::YesNo,
                                    MessageBoxIcon::Question) == MessageBoxResult::Yes) {
            downloadAndInstall = true;
            ShowWaitingCaption(kDownloadingUpdate);
            SetMenuEnabled(MainMenu::HelpCheckForUpdates, false);
            return;
        }
    } else {
        platform_.ui.MessageBox(
            "No new update is currently available for " + std::string(app::kTitle) + ".",
            "No Update Available - Automatic Updates", MessageBoxButtons::Ok,
            MessageBoxIcon::Information);
    }
    RestoreCaption();
    SetMenuEnabled(MainMenu::HelpCheckForUpdates, true);
}

void frmMain::OnUpdateError(int32_t number, const std::string& description) {
    platform_.ui.MessageBox("An error occured while checking for updates.\r\n\r\nError: (" +
                                std::to_string(number) + ") " + description,
                            "Error - Automatic Updates", MessageBoxButtons::Ok,
                            MessageBoxIcon::Exclamation);
    RestoreCaption();
    SetMenuEnabled(MainMenu::HelpCheckForUpdates, true);
}

void frmMain::UpdateVendorList() {
    const MessageBoxResult answer = platform_.ui.MessageBox(
        kListingNote + "\r\n\r\nDo you want to proceed with download & update?",
        "Download Vendors List (OUI.TXT) From IEEE Web Site?", MessageBoxButtons::YesNo,
        MessageBoxIcon::Question);
    if (answer == MessageBoxResult::Yes) {
        StartVendorListDownload();
    }
}

void frmMain::StartVendorListDownload() {
    ShowWaitingCaption(kDownloadingVendorList);
    SetMenuEnabled(MainMenu::HelpUpdateVendorList, false);
    try {
        vendor_->OnlineUpdateDBAsync(ProgramFile(kOUIDatabaseFileName), kOUIListingURL);
    } catch (...) {
        RestoreCaption();
        SetMenuEnabled(MainMenu::HelpUpdateVendorList, true);
        ReportError(CurrentExceptionAsError());
    }
}

void frmMain::OnDBUpdated(int32_t result) {
    if (result == 0) {
        if (mac_) {
            mac_->LoadVendors(*vendor_, includeVendorAddress_);
        }
        if (current_) {
            details_.LoadData(*current_, vendor_.get(), includeVendorAddress_);
        }
        platform_.ui.MessageBox("Vendor List (OUI) data was downloaded and updated successfully.",
                                "Vendor List (OUI) Data Updated Successfully",
                                MessageBoxButtons::Ok, MessageBoxIcon::Information);
    } else {
        platform_.ui.MessageBox(
            "You already have latest Vendor List (OUI) data. No update was necessary.",
            "No Vendor List (OUI) Update Necessary", MessageBoxButtons::Ok,
            MessageBoxIcon::Information);
    }
    RestoreCaption();
    SetMenuEnabled(MainMenu::HelpUpdateVendorList, true);
}

void frmMain::OnDBUpdateError(int32_t number, const std::string& description) {
    platform_.ui.MessageBox(
        "An Error occured while downloading Vendor List (OUI) data.\r\n\r\n"
        "Error: (" +
            std::to_string(number) + ") " + description,
        "Error - Downloading Vendor List (OUI)", MessageBoxButtons::Ok,
        MessageBoxIcon::Exclamation);
    RestoreCaption();
    SetMenuEnabled(MainMenu::HelpUpdateVendorList, true);
}

// --- Panel events ---

void frmMain::OnMACAddressChanging() {
    if (selectedRow_ >= 0) {
        ShowRowStatus(selectedRow_, "Changing MAC Address...");
    }
}

void frmMain::OnMACAddressChanged(bool success, bool restore) {
    const int index = selectedRow_;
    if (index < 0) {
        return;
    }
    struct Outcome {
        const char *status, *title, *text;
        MessageBoxIcon icon;
    };
    static const Outcome outcomes[2][2] = {
        {{"Change Failed", "MAC Address Change Failed",
          "Failed to change MAC Address. For wireless network connections, set the first octet "
          "of MAC address as '02' and try again.",
          MessageBoxIcon::Exclamation},
         {"MAC Address Changed", "MAC Address Changed Successfully",
          "MAC Address was changed successfully.", MessageBoxIcon::Information}},
        {{"Restore Failed", "MAC Address Restore Failed", "Failed to restore original MAC Address.",
          MessageBoxIcon::Exclamation},
         {"MAC Address Restored", "MAC Address Restored Successfully",
          "MAC Address was restored to original successfully.", MessageBoxIcon::Information}},
    };
    const Outcome& outcome = outcomes[restore ? 1 : 0][success ? 1 : 0];
    const std::shared_ptr<AdapterInfo> adapter = rows_[static_cast<size_t>(index)];
    RefreshRow(index, false, true);
    const int row = RowOf(adapter.get());
    if (row < 0) {
        return;
    }
    view_.SetRowStatus(row, outcome.status);
    platform_.ui.MessageBox(outcome.text, outcome.title, MessageBoxButtons::Ok, outcome.icon);
    view_.SetRowStatus(row, adapter->LinkStatus());
}

void frmMain::OnMACAddressError(const Error& error) {
    ReportError(error);
    if (selectedRow_ >= 0) {
        try {
            RefreshRow(selectedRow_, false, true);
        } catch (...) {
        }
    }
}

void frmMain::OnPresetApplying() {
    if (selectedRow_ >= 0) {
        ShowRowStatus(selectedRow_, "Applying Preset...");
    }
}

void frmMain::OnPresetApplied(const std::string& presetName) {
    if (selectedRow_ >= 0) {
        RefreshRow(selectedRow_, false, true);
    }
    platform_.ui.MessageBox("Preset '" + presetName + "' was applied successfully.",
                            "Preset Applied", MessageBoxButtons::Ok, MessageBoxIcon::Information);
}

void frmMain::OnPresetError(const Error& error) {
    if (selectedRow_ >= 0) {
        try {
            RefreshRow(selectedRow_, false, true);
        } catch (...) {
        }
    }
    ReportError(error);
}

// --- What the command line reaches ---

void frmMain::ShowMainWindow() {
    view_.ShowWindow();
}

void frmMain::OpenPresetFile(const std::string& path) {
    presets_.LoadPreset(path, true);
    OnTabSelected(kPresetTab);
    view_.SelectTab(kPresetTab);
    view_.ShowWindow();
}

void frmMain::ShowHelp(const std::string& caption, const std::string& text) {
    view_.ShowHelpWindow(caption, text, false);
}

// --- Caption and errors ---

void frmMain::SetCaption(const std::string& caption) {
    caption_ = caption;
    view_.SetCaption(caption);
    if (tray_) {
        tray_->Presenter().SetTip(caption);
    }
}

void frmMain::ShowWaitingCaption(const std::string& caption) {
    if (!savedCaption_) {
        savedCaption_ = caption_;
    }
    SetCaption(caption);
}

void frmMain::RestoreCaption() {
    if (savedCaption_) {
        SetCaption(*savedCaption_);
        savedCaption_.reset();
    }
}

void frmMain::ReportError(const Error& error) const {
    Application::ReportError(platform_, error);
}

}  // namespace vexav6::ui
