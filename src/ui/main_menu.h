#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexav6::ui {

// The items of the main window's menu bar. The values are the command identifiers of the Win32
// menu; a top-level menu's value is a multiple of 100 and its items follow it.
enum class MainMenu : uint16_t {
    None = 0,
    File = 100,
    FileExportTextReport,
    FileOpenPreset,
    FileSavePreset,
    FileSavePresetAs,
    FileImportPreset,
    FileExportPreset,
    FileAssociate,
    FileExit,
    Action = 200,
    ActionRefresh,
    ActionDHCPv4,
    ActionDHCPv4Enabled,
    ActionDHCPv4Release,
    ActionDHCPv4Renew,
    ActionDHCPv6,
    ActionDHCPv6Enabled,
    ActionDHCPv6Release,
    ActionDHCPv6Renew,
    ActionDeleteAdapter,
    Options = 300,
    OptionsProxy,
    OptionsAutomaticUpdates,
    OptionsTrayIcon,
    OptionsTrayAnimation,
    OptionsFileAssociationCheck,
    OptionsSpeedInKBytes,
    Help = 400,
    HelpTopics,
    HelpCommandLine,
    HelpCheckForUpdates,
    HelpUpdateVendorList,
    HelpBlog,
    HelpWebsite,
    HelpAbout,
    // Keyboard commands without a menu item: Ctrl+Tab and Ctrl+Shift+Tab.
    NextTab = 900,
    PreviousTab,
};

// A key that runs a command: a virtual-key code ('O', 0x74 for F5) with its modifiers.
struct Shortcut {
    uint16_t key = 0;
    bool ctrl = false;
    bool shift = false;
    // As the menu shows it: "Ctrl+O", "F5"; empty for none.
    std::string text;
};

// One entry of the menu bar: a top-level menu (parent None), a submenu, or a command. "&" marks
// the access key.
struct MainMenuItem {
    MainMenu id;
    MainMenu parent;
    std::string caption;
    Shortcut shortcut;
    // A separator line stands above the item.
    bool separatorBefore = false;
};

// Every entry in menu order, parents before their items.
const std::vector<MainMenuItem>& MainMenuItems();
// Every key of the main window: the menu shortcuts, then Ctrl+Tab and Ctrl+Shift+Tab.
std::vector<std::pair<MainMenu, Shortcut>> MainWindowShortcuts();
// Whether the entry opens a submenu (a top-level menu, "DHCPv&4", "DHCPv&6").
bool IsSubmenu(MainMenu id);

}  // namespace vexav6::ui
