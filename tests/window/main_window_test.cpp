// The main window under Wine: the real window over the simulated demo machine.
#include "platform/win32/windows_include.h"

#include <commctrl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include <cwctype>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "platform/win32/wide_text.h"
#include "presets/preset_support.h"
#include "support/dashless_dir.h"
#include "ui/win32/controls.h"
#include "window/window_bench.h"

namespace vexav6::testing {
namespace {

using platform::MessageBoxResult;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using ui::MainMenu;

class MainWindowTest : public WindowBench {
  protected:
    void SetUp() override { LoadMachine("demo.json"); }

    // Opens the window with the full vendor database beside the program.
    void OpenWithVendors() {
        CopyVendorDatabase();
        ASSERT_TRUE(Open());
        machine.ui.ClearBoxes();
    }

    // Whether the simulated device behind a connection is enabled.
    bool DeviceEnabled(const std::string& connection) {
        for (const auto& adapter : Presenter().NetworkAdapters()) {
            if (adapter->ConnectionName() == connection) {
                const auto* device = machine.devices.Find(adapter->DriverRegistryPath());
                return device != nullptr && !device->Disabled();
            }
        }
        ADD_FAILURE() << "no connection " << connection;
        return false;
    }

    // Whether the details value box shows its whole text (its font, its formatting rectangle).
    bool ShowsWholeText(ui::DetailsField field) {
        const HWND box = ::GetDlgItem(
            Window().DetailsPanel().Handle(),
            ui::win32::NetworkAdapterInfoWindow::kFirstFieldId + static_cast<int>(field));
        const std::wstring text = vexav6::win32::Widen(TextOf(box));
        const HDC dc = ::GetDC(box);
        const HGDIOBJ previous =
            ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(box, WM_GETFONT, 0, 0)));
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        ::SelectObject(dc, previous);
        ::ReleaseDC(box, dc);
        RECT format{};
        ::SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        return extent.cx <= format.right - format.left;
    }

    void SavePresets(const std::string& file, std::initializer_list<const char*> names) {
        PresetCollection presets;
        for (const char* name : names) {
            auto preset = std::make_shared<Preset>();
            preset->SetPresetName(name);
            presets.Add(preset, name);
        }
        PresetSupport::SavePresetFile(file, presets, true);
    }
};

TEST_F(MainWindowTest, FirstStartWithoutFilesAsksForVendorsAndShowsEveryTab) {
    // The splash is photographed while the load lets pending work run.
    bool splashShot = false;
    machine.ui.onDoEvents = [&] {
        if (!splashShot && Window().Splash() != nullptr) {
            splashShot = true;
            Screenshot(Window().Splash(), "splash-while-loading");
        }
    };
    machine.ui.ScriptAnswer(MessageBoxResult::No);
    ASSERT_TRUE(Open());
    machine.ui.onDoEvents = nullptr;
    EXPECT_TRUE(splashShot);

    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "Vendors List (OUI) File Missing. Download It?");
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "Default.kpf"));
    EXPECT_EQ(Caption(), "Korvaldine MAC Address Changer v6");
    EXPECT_TRUE(::IsWindowVisible(Main()));
    EXPECT_EQ(Window().Splash(), nullptr);

    // The list: one row per bound adapter with its five columns, the first selected.
    ASSERT_EQ(RowCount(), 5);
    const int ethernet = RowOf("Ethernet");
    ASSERT_GE(ethernet, 0);
    EXPECT_EQ(Cell(ethernet, 1), "No");
    EXPECT_EQ(Cell(ethernet, 2), "04-D4-C4-5A-12-7E");
    EXPECT_EQ(Cell(ethernet, 3), "Up, Operational");
    EXPECT_EQ(Cell(ethernet, 4), "1 gbps");
    EXPECT_TRUE(Checked(ethernet));
    EXPECT_FALSE(Checked(RowOf("Bluetooth Network Connection")));
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_EQ(DetailsField(ui::DetailsField::Connection), Cell(0, 0));
    // Without a vendor database every vendor is unknown.
    EXPECT_EQ(DetailsField(ui::DetailsField::OriginalMACVendor), "Unknown Vendor");

    // The menus of every window are there and enabled.
    EXPECT_TRUE(MenuEnabled(MainMenu::Action));
    EXPECT_TRUE(MenuEnabled(MainMenu::FileOpenPreset));
    EXPECT_TRUE(MenuEnabled(MainMenu::FileImportPreset));
    EXPECT_TRUE(MenuEnabled(MainMenu::HelpAbout));
    EXPECT_TRUE(MenuChecked(MainMenu::OptionsSpeedInKBytes));

    Screenshot("main-window-first-start-details-tab");
    Key(VK_TAB, true);
    EXPECT_EQ(CurrentTab(), 1);
    EXPECT_TRUE(PageVisible(1));
    EXPECT_FALSE(PageVisible(0));
    Screenshot("main-window-ip-tab-first-start");
    Key(VK_TAB, true);
    Screenshot("main-window-presets-tab-new-default-kpf");
    Key(VK_TAB, true);
    EXPECT_EQ(CurrentTab(), 0);
    Key(VK_TAB, true, true);
    EXPECT_EQ(CurrentTab(), 2);
    EXPECT_EQ(::GetFocus(), Window().Tabs());
}

TEST_F(MainWindowTest, VendorsPresetsAndTrafficOfTheSelectedAdapter) {
    SavePresets(folder.File("Default.kpf"), {"Home", "Office"});
    OpenWithVendors();
    EXPECT_TRUE(machine.ui.Boxes().empty());

    ClickRow(RowOf("Ethernet"));
    EXPECT_EQ(SelectedRow(), RowOf("Ethernet"));
    EXPECT_EQ(DetailsField(ui::DetailsField::Device), "Intel(R) Ethernet Connection (7) I219-V");
    EXPECT_THAT(DetailsField(ui::DetailsField::OriginalMACVendor), HasSubstr("ASUSTek"));
    EXPECT_EQ(DetailsField(ui::DetailsField::ActiveMAC), "04-D4-C4-5A-12-7E (Original)");
    EXPECT_EQ(DetailsField(ui::DetailsField::TCPIPv4), "Enabled");
    // The device and the address are read whole beside the MAC address change panel, not cut at
    // the box's edge (a hardware ID, a configuration ID or a vendor's address may scroll inside
    // its box on a narrow window); a wider window gives its width to the details, the change
    // panel grows no wider than its controls need.
    for (const auto field : {ui::DetailsField::Device, ui::DetailsField::ActiveMAC}) {
        EXPECT_TRUE(ShowsWholeText(field)) << DetailsField(field);
    }
    const auto widthOf = [](HWND window) {
        RECT box{};
        ::GetWindowRect(window, &box);
        return static_cast<int>(box.right - box.left);
    };
    RECT original{};
    ::GetWindowRect(Main(), &original);
    const int details = widthOf(Window().DetailsPanel().Handle());
    const int change = widthOf(Window().MACPanel().Handle());
    ::SetWindowPos(Main(), nullptr, 0, 0, original.right - original.left + 40,
                   original.bottom - original.top, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    EXPECT_GE(widthOf(Window().DetailsPanel().Handle()), details + 20);
    EXPECT_LE(widthOf(Window().MACPanel().Handle()), std::max(change, 340));  // units at 96 dpi
    ::SetWindowPos(Main(), nullptr, 0, 0, original.right - original.left,
                   original.bottom - original.top, SWP_NOMOVE | SWP_NOZORDER);
    Pump();

    // A minute of traffic fills the rows and the chart.
    Wait(60000);
    const HWND traffic = Window().TrafficPanel().List();
    EXPECT_THAT(ui::win32::listview::GetItemText(traffic, 0, 1), HasSubstr(" bytes)"));
    EXPECT_THAT(ui::win32::listview::GetItemText(traffic, 1, 1), HasSubstr("KB/s"));
    size_t samples = 0;
    for (const auto& sample : Window().TrafficPanel().Chart().Samples()) {
        samples += sample[0].has_value() ? 1 : 0;
    }
    EXPECT_GE(samples, 50u);
    Screenshot("main-window-ethernet-with-vendors-and-traffic");

    // The preset tab names the file and lists its presets.
    Command(MainMenu::NextTab);
    Command(MainMenu::NextTab);
    EXPECT_THAT(TextOf(Window().PresetsPanel().Group()),
                StartsWith("Network Connection Presets (Default.kpf) ["));
    EXPECT_EQ(ui::win32::listview::Count(Window().PresetsPanel().List()), 2);
    Screenshot("main-window-presets-tab-two-presets");

    // Smaller than its minimum the window does not get; the list and the pages follow its size.
    const auto width = [](HWND window) {
        RECT box{};
        ::GetWindowRect(window, &box);
        return static_cast<int>(box.right - box.left);
    };
    Command(MainMenu::NextTab);
    ::SetWindowPos(Main(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    const int smallest = width(Main());
    EXPECT_GE(smallest, 760);  // units at 96 dpi
    const int smallList = width(Window().AdapterList());
    Screenshot("main-window-at-its-minimum-size");
    ::SetWindowPos(Main(), nullptr, 0, 0, smallest + 200, 800, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    EXPECT_EQ(width(Window().AdapterList()), smallList + 200);
    EXPECT_EQ(width(Window().Page(0)) - width(Window().DetailsPanel().Handle()) -
                  width(Window().MACPanel().Handle()),
              3 * 8);
}

TEST_F(MainWindowTest, RefreshKeepsTheSelectionAndUntickingAsksFirst) {
    OpenWithVendors();
    const int wifi = RowOf("Wi-Fi");
    ClickRow(wifi);
    Key(VK_F5);
    EXPECT_EQ(SelectedRow(), RowOf("Wi-Fi"));
    EXPECT_EQ(DetailsField(ui::DetailsField::Connection), "Wi-Fi");

    // Space on the Ethernet row clears its box: No leaves the connection as it was.
    const int ethernet = RowOf("Ethernet");
    machine.ui.ScriptAnswer(MessageBoxResult::No);
    ToggleCheck(ethernet);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "Disable Network Connection?");
    EXPECT_TRUE(Checked(ethernet));
    EXPECT_EQ(Cell(ethernet, 3), "Up, Operational");
    EXPECT_TRUE(DeviceEnabled("Ethernet"));

    // Yes disables it; the periodic refresh keeps the row as the device is.
    ToggleCheck(ethernet);
    EXPECT_FALSE(DeviceEnabled("Ethernet"));
    Wait(5000);
    EXPECT_FALSE(Checked(ethernet));
    EXPECT_EQ(Cell(ethernet, 3), "Down, Non Operational");
    Screenshot("main-window-ethernet-disabled");
    ToggleCheck(ethernet);
    EXPECT_TRUE(DeviceEnabled("Ethernet"));
    EXPECT_EQ(machine.ui.Boxes().size(), 2u);
}

TEST_F(MainWindowTest, DhcpMenusFollowTheAdapterAndSwitchingRestartsIt) {
    OpenWithVendors();
    struct Expected {
        const char* connection;
        bool enabled, checked, release;
    };
    for (const Expected& e : {Expected{"Ethernet", true, true, true},
                              Expected{"vEthernet (Default Switch)", true, false, false},
                              Expected{"Wi-Fi", true, true, false}}) {
        ClickRow(RowOf(e.connection));
        EXPECT_EQ(MenuEnabled(MainMenu::ActionDHCPv4), e.enabled) << e.connection;
        EXPECT_EQ(MenuChecked(MainMenu::ActionDHCPv4Enabled), e.checked) << e.connection;
        EXPECT_EQ(MenuEnabled(MainMenu::ActionDHCPv4Release), e.release) << e.connection;
        EXPECT_EQ(MenuEnabled(MainMenu::ActionDHCPv4Renew), e.release) << e.connection;
    }

    // Switching DHCP off on the Ethernet restarts it: off and on again.
    ClickRow(RowOf("Ethernet"));
    const size_t changes = machine.devices.StateChanges().size();
    Command(MainMenu::ActionDHCPv4Enabled);
    EXPECT_EQ(machine.devices.StateChanges().size(), changes + 2);
    EXPECT_FALSE(MenuChecked(MainMenu::ActionDHCPv4Enabled));
    EXPECT_FALSE(MenuEnabled(MainMenu::ActionDHCPv4Release));
    EXPECT_TRUE(DeviceEnabled("Ethernet"));
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(MainWindowTest, DeleteOnlyForDisabledAdaptersAfterTwoWarnings) {
    OpenWithVendors();
    ClickRow(RowOf("Ethernet"));
    Command(MainMenu::ActionDeleteAdapter);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "Cannot Delete Network Adapter");
    EXPECT_EQ(RowCount(), 5);

    machine.ui.ClearBoxes();
    ClickRow(RowOf("Bluetooth Network Connection"));
    machine.ui.ScriptAnswer(MessageBoxResult::Ok);
    machine.ui.ScriptAnswer(MessageBoxResult::Yes);
    Command(MainMenu::ActionDeleteAdapter);
    ASSERT_EQ(machine.ui.Boxes().size(), 2u);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "WARNING! Korvaldine MAC Address Changer");
    EXPECT_EQ(machine.ui.Boxes()[1].title, "Delete Network Adapter?");
    EXPECT_EQ(RowCount(), 4);
    EXPECT_EQ(RowOf("Bluetooth Network Connection"), -1);
    EXPECT_EQ(SelectedRow(), 0);
}

TEST_F(MainWindowTest, TextReportIsWrittenWhereTheUserSaysAndOpened) {
    OpenWithVendors();
    machine.ui.ScriptFileChosen(folder.File("adapters.txt"));
    Command(MainMenu::FileExportTextReport);

    ASSERT_EQ(machine.ui.FileDialogs().size(), 1u);
    EXPECT_EQ(machine.ui.FileDialogs()[0].request.title, "Save Text Report As");
    const std::string report = ReadFileBytes(folder.Path() / "adapters.txt");
    EXPECT_THAT(report, StartsWith("Korvaldine MAC Address Changer v6."));
    EXPECT_THAT(report, HasSubstr("Interface #5\r\n"));
    EXPECT_THAT(report, HasSubstr("ASUSTek"));
    ASSERT_FALSE(machine.system.ShellCalls().empty());
    EXPECT_EQ(machine.system.ShellCalls().back().file, folder.File("adapters.txt"));
}

TEST_F(MainWindowTest, CommandLineHelpIsAResizableWindowWhoseTextFollowsItsSize) {
    std::filesystem::copy_file(std::filesystem::path(VEXAV6_PROGRAM).parent_path() / "CLIHelp.txt",
                               folder.Path() / "CLIHelp.txt");
    OpenWithVendors();
    bool shown = false;
    OnNextModal([&](HWND help) {
        shown = true;
        EXPECT_EQ(TextOf(help), "Command Line Parameters Help - Korvaldine MAC Address Changer v6");
        const HWND text = ::GetDlgItem(help, ui::win32::frmCLIHelpWindow::kTextId);
        EXPECT_THAT(TextOf(text), StartsWith("Korvaldine MAC Address Changer v6\r\n\r\n"));
        EXPECT_THAT(TextOf(text), HasSubstr("-n <name>"));
        EXPECT_FALSE(::IsWindowEnabled(Main()));
        Screenshot(help, "command-line-help-window");

        ::SetWindowPos(help, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
        RECT client{};
        RECT box{};
        ::GetClientRect(help, &client);
        ::GetWindowRect(text, &box);
        EXPECT_GT(box.right - box.left, client.right - 30);
        EXPECT_GT(box.bottom - box.top, client.bottom - 30);
        ::SendMessageW(help, WM_CLOSE, 0, 0);
    });
    Command(MainMenu::HelpCommandLine);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(::IsWindowEnabled(Main()));
}

TEST_F(MainWindowTest, HandOverShowsTheHiddenWindowAndOpensThePresetFile) {
    OpenWithVendors();
    ::ShowWindow(Main(), SW_HIDE);
    EXPECT_TRUE(machine.system.DeliverHandOver(""));
    Pump();
    EXPECT_TRUE(::IsWindowVisible(Main()));

    // The command line is cut at every dash: the file lives in a folder without one.
    DashlessTempDir presetFolder;
    SavePresets(presetFolder.File("office.kpf"), {"Office"});
    ::ShowWindow(Main(), SW_HIDE);
    EXPECT_TRUE(machine.system.DeliverHandOver("-o " + presetFolder.File("office.kpf")));
    Pump();
    EXPECT_TRUE(::IsWindowVisible(Main()));
    EXPECT_EQ(CurrentTab(), 2);
    EXPECT_TRUE(PageVisible(2));
    EXPECT_THAT(TextOf(Window().PresetsPanel().Group()), HasSubstr("(office.kpf)"));
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(MainWindowTest, MenuKeysWorkAndOptionsOutliveARestartAndAShutdown) {
    OpenWithVendors();
    // Within a menu no two items share an access key, and no caption has two.
    std::vector<std::string> menus;
    std::function<void(HMENU)> walk = [&](HMENU menu) {
        std::set<wchar_t> keys;
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            wchar_t text[256] = {};
            ::GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
            const std::wstring caption(text);
            if (menu == ::GetMenu(Main())) {
                menus.push_back(vexav6::win32::Narrow(caption));
            }
            const size_t amp = caption.find(L'&');
            if (amp != std::wstring::npos && amp + 1 < caption.size()) {
                EXPECT_TRUE(keys.insert(static_cast<wchar_t>(::towlower(caption[amp + 1]))).second)
                    << vexav6::win32::Narrow(caption);
                EXPECT_EQ(caption.find(L'&', amp + 1), std::wstring::npos);
            }
            if (const HMENU popup = ::GetSubMenu(menu, i)) {
                walk(popup);
            }
        }
    };
    walk(::GetMenu(Main()));
    EXPECT_EQ(menus, (std::vector<std::string>{"&File", "&Action", "&Options", "&Help"}));

    // The shortcuts reach their commands through the window's keys.
    Key('O', true);
    ASSERT_EQ(machine.ui.FileDialogs().size(), 1u);
    EXPECT_EQ(machine.ui.FileDialogs()[0].request.title, "Open Preset File");
    Key(VK_F1);
    ASSERT_FALSE(machine.system.ShellCalls().empty());
    EXPECT_EQ(machine.system.ShellCalls().back().file, folder.File("help.html"));

    // Speeds in bits from the next second on, and so after Ctrl+Q and a new start.
    const HWND traffic = Window().TrafficPanel().List();
    Command(MainMenu::OptionsSpeedInKBytes);
    EXPECT_FALSE(MenuChecked(MainMenu::OptionsSpeedInKBytes));
    Wait(2000);
    EXPECT_THAT(ui::win32::listview::GetItemText(traffic, 1, 1), HasSubstr("bps ("));
    // With the tray icon on, Exit hides the window and ends the program half a second later.
    const HWND first = Main();
    Key('Q', true);
    EXPECT_FALSE(::IsWindowVisible(first));
    Wait(1000);
    EXPECT_FALSE(::IsWindow(first));
    ASSERT_TRUE(Open());
    EXPECT_FALSE(MenuChecked(MainMenu::OptionsSpeedInKBytes));
    EXPECT_EQ(ui::win32::listview::GetItemText(Window().TrafficPanel().List(), 1, 1), "0 bps");
    EXPECT_TRUE(machine.ui.Boxes().empty());

    // Windows shutting down ends the program without a close: the option is saved all the same.
    Command(MainMenu::OptionsSpeedInKBytes);
    ::SendMessageW(Main(), WM_QUERYENDSESSION, 0, 0);
    ::SendMessageW(Main(), WM_ENDSESSION, TRUE, 0);
    ASSERT_TRUE(Open());
    EXPECT_TRUE(MenuChecked(MainMenu::OptionsSpeedInKBytes));
}

TEST_F(MainWindowTest, DamagedFilesAndVanishedAdaptersNeverStopTheWindow) {
    const std::string junk = "\x07not a file of this program";
    const char* const names[] = {"vexav6.set", "oui.db", "Default.kpf"};
    for (const char* name : names) {
        WriteFileBytes(folder.Path() / name, junk);
        machine.ui.ScriptAnswer(MessageBoxResult::Ok);
    }
    machine.ui.ScriptAnswer(MessageBoxResult::No);  // the vendor list download
    ASSERT_TRUE(Open());

    // Each damaged file is reported once with where it went; then the missing vendor list is
    // offered, and the window works.
    const auto& boxes = machine.ui.Boxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_THAT(boxes[0].text, HasSubstr("\"vexav6.set.damaged\""));
    EXPECT_THAT(boxes[1].text, HasSubstr("\"oui.db.damaged\""));
    EXPECT_THAT(boxes[2].text, HasSubstr("\"Default.kpf.damaged\""));
    EXPECT_EQ(boxes[3].title, "Vendors List (OUI) File Missing. Download It?");
    EXPECT_TRUE(::IsWindowVisible(Main()));
    EXPECT_EQ(RowCount(), 5);
    machine.ui.ClearBoxes();

    // An adapter that goes away leaves the list at the next tick, without a word.
    ClickRow(RowOf("Wi-Fi"));
    machine.devices.SetPresent(Presenter().CurrentAdapter()->DriverRegistryPath(), false);
    Wait(5000);
    EXPECT_EQ(RowCount(), 4);
    EXPECT_EQ(RowOf("Wi-Fi"), -1);
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_EQ(DetailsField(ui::DetailsField::Connection), Cell(0, 0));
    // A tick whose device queries all fail leaves the rows as they were, silently.
    const std::string status = Cell(0, 3);
    machine.devices.InjectFailure(sim::SimDevices::Call::GetClassDevs, 5, -1);
    Wait(5000);
    machine.devices.ClearFailures();
    EXPECT_EQ(RowCount(), 4);
    EXPECT_EQ(Cell(0, 3), status);
    EXPECT_TRUE(boxes.empty());

    // Closing writes fresh files; the damaged ones stay as they were, and the next start has
    // nothing to report but the vendor list still missing.
    ::SendMessageW(Main(), WM_CLOSE, 0, 0);
    Pump();
    for (const char* name : names) {
        EXPECT_EQ(ReadFileBytes(folder.Path() / (std::string(name) + ".damaged")), junk) << name;
    }
    machine.ui.ScriptAnswer(MessageBoxResult::No);
    ASSERT_TRUE(Open());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Vendors List (OUI) File Missing. Download It?");
}

class EmptyMachineTest : public WindowBench {};

TEST_F(EmptyMachineTest, ActionMenuIsDisabledWithoutAdapters) {
    CopyVendorDatabase();
    ASSERT_TRUE(Open());
    EXPECT_EQ(RowCount(), 0);
    EXPECT_FALSE(MenuEnabled(MainMenu::Action));
    EXPECT_EQ(DetailsField(ui::DetailsField::Connection), "<connection name>");
    Key(VK_F5);  // the menu's key does nothing while the menu is disabled
    EXPECT_TRUE(machine.ui.Boxes().empty());
    Screenshot("main-window-no-adapters");
}

}  // namespace
}  // namespace vexav6::testing
