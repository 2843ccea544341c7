#include "ui/main_menu.h"

#include <utility>

namespace vexav6::ui {

namespace {

constexpr uint16_t kF1 = 0x70;
constexpr uint16_t kF5 = 0x74;
constexpr uint16_t kTab = 0x09;

Shortcut Ctrl(char key) {
    return Shortcut{static_cast<uint16_t>(key), true, false, std::string("Ctrl+") + key};
}

}  // namespace

const std::vector<MainMenuItem>& MainMenuItems() {
    using M = MainMenu;
    static const std::vector<MainMenuItem> items = {
        {M::File, M::None, "&File", {}},
        {M::FileExportTextReport, M::File, "Export Text &Report", {}},
        {M::FileOpenPreset, M::File, "&Open Preset", Ctrl('O'), true},
        {M::FileSavePreset, M::File, "&Save Preset", Ctrl('S')},
        {M::FileSavePresetAs, M::File, "Save Preset &As", {}},
        {M::FileImportPreset, M::File, "&Import Preset", {}, true},
        {M::FileExportPreset, M::File, "&Export Preset", {}},
        {M::FileAssociate, M::File, "Associate With &Preset Files (.kpf )", {}, true},
        {M::FileExit, M::File, "E&xit", Ctrl('Q'), true},
        {M::Action, M::None, "&Action", {}},
        {M::ActionRefresh, M::Action, "&Refresh", Shortcut{kF5, false, false, "F5"}},
        {M::ActionDHCPv4, M::Action, "DHCPv&4", {}, true},
        {M::ActionDHCPv4Enabled, M::ActionDHCPv4, "DHCPv4 &Enabled", {}},
        {M::ActionDHCPv4Release, M::ActionDHCPv4, "&Release IP", {}, true},
        {M::ActionDHCPv4Renew, M::ActionDHCPv4, "Re&new IP", {}},
        {M::ActionDHCPv6, M::Action, "DHCPv&6", {}},
        {M::ActionDHCPv6Enabled, M::ActionDHCPv6, "DHCPv6 &Enabled", {}},
        {M::ActionDHCPv6Release, M::ActionDHCPv6, "&Release IP", {}, true},
        {M::ActionDHCPv6Renew, M::ActionDHCPv6, "Re&new IP", {}},
        {M::ActionDeleteAdapter, M::Action, "Delete Network Adapter From Registry", {}, true},
        {M::Options, M::None, "&Options", {}},
        {M::OptionsProxy, M::Options, "Internet Explorer HTTP &Proxy", {}},
        {M::OptionsAutomaticUpdates, M::Options, "Automatic &Updates Enabled", {}, true},
        {M::OptionsTrayIcon, M::Options, "System Tray &Icon", {}},
        {M::OptionsTrayAnimation, M::Options, "System Tray &Animation", {}},
        {M::OptionsFileAssociationCheck, M::Options, "Startup &File Association Check", {}},
        {M::OptionsSpeedInKBytes, M::Options, "Show Speed In &KBytes/sec", {}, true},
        {M::Help, M::None, "&Help", {}},
        {M::HelpTopics, M::Help, "Help &Topics", Shortcut{kF1, false, false, "F1"}},
        {M::HelpCommandLine, M::Help, "&Command Line Parameters Help", {}},
        {M::HelpCheckForUpdates, M::Help, "Check For &Software Updates", {}, true},
        {M::HelpUpdateVendorList, M::Help, "&Update Vendors List (OUI) From IEEE Web Site", {}},
        {M::HelpBlog, M::Help, "Korvaldine &Blog", {}, true},
        {M::HelpWebsite, M::Help, "Korvaldine &Website", {}},
        {M::HelpAbout, M::Help, "&About Korvaldine MAC Address Changer", {}, true},
    };
    return items;
}

std::vector<std::pair<MainMenu, Shortcut>> MainWindowShortcuts() {
    std::vector<std::pair<MainMenu, Shortcut>> keys;
    for (const MainMenuItem& item : MainMenuItems()) {
        if (item.shortcut.key != 0) {
            keys.emplace_back(item.id, item.shortcut);
        }
    }
    keys.emplace_back(MainMenu::NextTab, Shortcut{kTab, true, false, "Ctrl+Tab"});
    keys.emplace_back(MainMenu::PreviousTab, Shortcut{kTab, true, true, "Ctrl+Shift+Tab"});
    return keys;
}

bool IsSubmenu(MainMenu id) {
    return static_cast<uint16_t>(id) % 100 == 0 || id == MainMenu::ActionDHCPv4 ||
           id == MainMenu::ActionDHCPv6;
}

}  // namespace vexav6::ui
