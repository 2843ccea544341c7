#include "ui/frm_main.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/app_info.h"
#include "ipconfig/ipv4_address.h"
#include "ipconfig/ipv4_addresses.h"
#include "platform/sim/machine.h"
#include "presets/ie_proxy.h"
#include "presets/preset_support.h"
#include "presets/settings.h"
#include "support/dashless_dir.h"
#include "support/installed_program.h"
#include "support/temp_dir.h"
#include "ui/fake_mac_address_view.h"
#include "ui/fake_tray.h"
#include "vendors/nic_vendor.h"
#include "vendors/vendor_test_support.h"

namespace vexav6::ui {
namespace {

using platform::MessageBoxButtons;
using platform::MessageBoxDefaultButton;
using platform::MessageBoxIcon;
using platform::MessageBoxResult;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// Records what the presenter shows, as the window would.
class FakeMainView : public frmMainView {
  public:
    void SetCaption(const std::string& text) override { caption = text; }
    void ClearRows() override { rows.clear(); }
    void AddRow(const AdapterRow& row) override { rows.push_back(row); }
    void SetRow(int index, const AdapterRow& row) override { rows.at(index) = row; }
    void RemoveRow(int index) override { rows.erase(rows.begin() + index); }
    void SetRowStatus(int index, const std::string& text) override {
        rows.at(index).linkStatus = text;
        statusTexts.push_back(text);
    }
    void SetRowChecked(int index, bool value) override { rows.at(index).checked = value; }
    void SelectRow(int index) override { selected = index; }
    void SetMenuEnabled(MainMenu item, bool value) override { enabled[item] = value; }
    void SetMenuChecked(MainMenu item, bool value) override { checked[item] = value; }
    void SelectTab(int value) override { tab = value; }
    void ShowWindow() override {
        visible = true;
        ++shows;
    }
    void HideWindow() override { visible = false; }
    bool IsWindowVisible() const override { return visible; }
    bool IsWindowEnabled() const override { return windowEnabled; }
    void CloseWindow() override { closed = true; }
    void ShowSplash() override { splash = true; }
    void SplashProgress(int percent) override { progress.push_back(percent); }
    void CloseSplash() override { splash = false; }
    void ShowHelpWindow(const std::string& caption_, const std::string& text, bool) override {
        helpCaption = caption_;
        helpText = text;
    }

    int Row(const std::string& name) const {
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].connectionName == name) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    std::string caption;
    std::vector<AdapterRow> rows;
    std::vector<std::string> statusTexts;
    int selected = -2;
    std::map<MainMenu, bool> enabled;
    std::map<MainMenu, bool> checked;
    int tab = 0;
    bool visible = false;
    bool windowEnabled = true;
    int shows = 0;
    bool closed = false;
    bool splash = false;
    std::vector<int> progress;
    std::string helpCaption;
    std::string helpText;
};

// A response of the simulated server.
sim::SimHttpResponse Response(int32_t status, std::string statusText, sim::HttpHeaders headers = {},
                              std::string body = "") {
    sim::SimHttpResponse response;
    response.status = status;
    response.statusText = std::move(statusText);
    response.headers = std::move(headers);
    response.body = std::move(body);
    return response;
}

// The demo machine with the program in a folder of its own.
class frmMainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        machine.Load(std::string(VEXAV6_FIXTURES_DIR) + "/machines/demo.json");
        machine.system.programFolder = folder.Str();
        machine.system.programFile = folder.File("vexav6.exe");
        testing::WritePresetFileAssociation(machine);
    }

    void WriteVendorDatabase() {
        testing::WriteFileBytes(folder.File("listing.txt"), testing::MakeListing(20));
        NICVendor vendor(platform);
        vendor.ParseOUI(folder.File("listing.txt"));
        vendor.SaveDB(folder.File("oui.db"));
    }

    // Loads the window; the vendor download question (when asked) is answered No.
    void Load() {
        if (!std::filesystem::exists(folder.File("oui.db"))) {
            machine.ui.ScriptAnswer(MessageBoxResult::No);
        }
        ASSERT_TRUE(main.Load());
        machine.ui.ClearBoxes();
    }

    std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        for (const auto& box : machine.ui.Boxes()) {
            titles.push_back(box.title);
        }
        return titles;
    }

    void Select(const std::string& name) {
        const int row = view.Row(name);
        ASSERT_GE(row, 0) << name;
        main.OnRowSelected(row);
    }

    bool DeviceEnabled(const std::string& name) {
        return !machine.devices.Devices().at(DeviceIndex(name)).Disabled();
    }

    size_t DeviceIndex(const std::string& name) {
        for (const auto& adapter : main.NetworkAdapters()) {
            if (adapter->ConnectionName() == name) {
                for (size_t i = 0; i < machine.devices.Devices().size(); ++i) {
                    if (machine.devices.Devices()[i].driverKey == adapter->DriverRegistryPath()) {
                        return i;
                    }
                }
            }
        }
        ADD_FAILURE() << "no device for " << name;
        return 0;
    }

    sim::Machine machine;
    Platform platform = machine.GetPlatform();
    testing::TempDir folder;
    FakeMainView view;
    frmMain main{platform, view};
};

TEST_F(frmMainTest, FirstLoadAsksForTheVendorListAndMakesTheDefaultPresetFile) {
    machine.ui.ScriptAnswer(MessageBoxResult::No);
    ASSERT_TRUE(main.Load());

    EXPECT_THAT(Titles(), ElementsAre("Vendors List (OUI) File Missing. Download It?"));
    EXPECT_THAT(machine.ui.Boxes()[0].text, HasSubstr("oui.db"));
    EXPECT_TRUE(machine.http.Requests().empty());  // No downloads nothing
    EXPECT_EQ(view.caption, "Korvaldine MAC Address Changer v6");
    EXPECT_FALSE(view.splash);
    EXPECT_TRUE(view.visible);
    EXPECT_TRUE(machine.system.ReceiverRunning());

    // Default.kpf now exists as an empty preset file, and is the panel's file.
    EXPECT_EQ(main.Presets().PresetFile(), folder.File("Default.kpf"));
    EXPECT_EQ(main.Presets().Presets().Count(), 0);
    EXPECT_TRUE(std::filesystem::exists(folder.File("Default.kpf")));

    // Every adapter TCP/IP is bound to has a row; the first one is selected and shown.
    ASSERT_EQ(view.rows.size(), main.NetworkAdapters().Count());
    EXPECT_GE(view.rows.size(), 4u);
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(main.Details().Text(DetailsField::Connection), view.rows[0].connectionName);
    EXPECT_TRUE(view.enabled[MainMenu::Action]);
    // Windows of later parts keep their items disabled.
    EXPECT_FALSE(view.enabled[MainMenu::FileImportPreset]);

    // A disabled device has its box cleared.
    EXPECT_FALSE(view.rows[view.Row("Bluetooth Network Connection")].checked);
    EXPECT_TRUE(view.rows[view.Row("Wi-Fi")].checked);
}

TEST_F(frmMainTest, YesToTheMissingVendorListStartsItsDownload) {
    machine.ui.ScriptAnswer(MessageBoxResult::Yes);
    ASSERT_TRUE(main.Load());

    ASSERT_EQ(machine.http.Requests().size(), 1u);
    EXPECT_EQ(machine.http.Requests()[0].url, kOUIListingURL);
    EXPECT_THAT(view.caption, HasSubstr("please wait"));
    EXPECT_FALSE(view.enabled[MainMenu::HelpUpdateVendorList]);
}

TEST_F(frmMainTest, DamagedFilesAreKeptAsideReportedOnceAndNotOverwritten) {
    const std::string junk = "\x07this is not a file of the program";
    testing::WriteFileBytes(folder.File("vexav6.set"), junk);
    testing::WriteFileBytes(folder.File("Default.kpf"), junk);
    testing::WriteFileBytes(folder.File("oui.db"), junk);
    machine.ui.ScriptAnswer(MessageBoxResult::Ok);
    machine.ui.ScriptAnswer(MessageBoxResult::Ok);
    machine.ui.ScriptAnswer(MessageBoxResult::Ok);
    machine.ui.ScriptAnswer(MessageBoxResult::No);  // the vendor list download

    ASSERT_TRUE(main.Load());

    // One error box per damaged file, each naming where the file went, then the download offer.
    const auto& boxes = machine.ui.Boxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_THAT(boxes[0].text, HasSubstr("\"vexav6.set.damaged\""));
    EXPECT_THAT(boxes[1].text, HasSubstr("\"oui.db.damaged\""));
    EXPECT_THAT(boxes[2].text, HasSubstr("\"Default.kpf.damaged\""));
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(boxes[i].icon, MessageBoxIcon::Critical);
    }
    EXPECT_EQ(boxes[3].title, "Vendors List (OUI) File Missing. Download It?");
    EXPECT_TRUE(view.visible);
    EXPECT_FALSE(view.rows.empty());

    main.Dispose();
    for (const char* name : {"vexav6.set", "Default.kpf", "oui.db"}) {
        EXPECT_EQ(testing::ReadFileBytes(folder.File(std::string(name) + ".damaged")), junk)
            << name;
    }
    // The program carries on with fresh files beside the kept ones.
    Settings reread(platform);
    EXPECT_NO_THROW(reread.LoadSettings(folder.File("vexav6.set")));
    EXPECT_TRUE(PresetSupport::ReadPresetFile(folder.File("Default.kpf")) == std::nullopt);
}

TEST_F(frmMainTest, SelectionSurvivesAReloadAndFallsBackToTheFirstRowWhenItsAdapterIsGone) {
    Load();
    Select("Wi-Fi");
    EXPECT_EQ(main.CurrentAdapter()->ConnectionName(), "Wi-Fi");

    main.OnMenuCommand(MainMenu::ActionRefresh);
    EXPECT_EQ(view.selected, view.Row("Wi-Fi"));
    EXPECT_EQ(main.CurrentAdapter()->ConnectionName(), "Wi-Fi");
    EXPECT_EQ(main.Details().Text(DetailsField::Connection), "Wi-Fi");

    machine.devices.SetPresent(main.CurrentAdapter()->DriverRegistryPath(), false);
    main.OnMenuCommand(MainMenu::ActionRefresh);
    EXPECT_EQ(view.Row("Wi-Fi"), -1);
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(main.CurrentAdapter()->ConnectionName(), view.rows[0].connectionName);
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(frmMainTest, PeriodicRefreshDropsAVanishedAdapterAndNeverShowsAnError) {
    Load();
    Select("vEthernet (Default Switch)");
    const size_t before = view.rows.size();
    machine.devices.SetPresent(main.CurrentAdapter()->DriverRegistryPath(), false);

    machine.timers.AdvanceTime(5000);

    EXPECT_EQ(view.rows.size(), before - 1);
    EXPECT_EQ(view.Row("vEthernet (Default Switch)"), -1);
    EXPECT_EQ(main.NetworkAdapters().Count(), static_cast<int32_t>(before - 1));
    EXPECT_EQ(view.selected, 0);

    // The device installer failing for a whole tick leaves every row as it was, silently.
    const std::vector<AdapterRow> rows = view.rows;
    machine.devices.InjectFailure(sim::SimDevices::Call::GetClassDevs, 5, -1);
    machine.timers.AdvanceTime(5000);
    EXPECT_EQ(view.rows, rows);
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(frmMainTest, UntickingARowAsksAndNoKeepsTheConnectionEnabled) {
    Load();
    const int row = view.Row("Ethernet");
    machine.ui.ScriptAnswer(MessageBoxResult::No);
    view.rows[row].checked = false;  // what the click did to the box
    main.OnRowCheckToggled(row, false);

    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "Disable Network Connection?");
    EXPECT_EQ(machine.ui.Boxes()[0].text,
              "Are you sure you want to disable the selected network connection?\r\n\r\n"
              "Network: Ethernet");
    EXPECT_TRUE(view.rows[row].checked);
    EXPECT_EQ(view.rows[row].linkStatus, main.NetworkAdapters().Item(row + 1)->LinkStatus());
    EXPECT_TRUE(DeviceEnabled("Ethernet"));
    EXPECT_EQ(view.statusTexts.front(), "Wait...");

    main.OnRowCheckToggled(row, false);  // Yes this time
    EXPECT_FALSE(DeviceEnabled("Ethernet"));
    EXPECT_FALSE(view.rows[row].checked);
    main.OnRowCheckToggled(row, true);  // enabling asks nothing
    EXPECT_TRUE(DeviceEnabled("Ethernet"));
    EXPECT_EQ(machine.ui.Boxes().size(), 2u);
}

TEST_F(frmMainTest, DHCPMenusFollowTheSelectedAdapter) {
    Load();
    const auto state = [&] {
        return std::vector<bool>{
            view.enabled[MainMenu::ActionDHCPv4], view.checked[MainMenu::ActionDHCPv4Enabled],
            view.enabled[MainMenu::ActionDHCPv4Release], view.enabled[MainMenu::ActionDHCPv4Renew]};
    };
    Select("Ethernet");  // DHCP, operational
    EXPECT_THAT(state(), ElementsAre(true, true, true, true));
    Select("vEthernet (Default Switch)");  // static address
    EXPECT_THAT(state(), ElementsAre(true, false, false, false));
    Select("Wi-Fi");  // DHCP, no network in range
    EXPECT_THAT(state(), ElementsAre(true, true, false, false));

    // Releasing asks first, shows progress in the row and refreshes it.
    Select("Ethernet");
    machine.ui.ScriptAnswer(MessageBoxResult::Yes);
    main.OnMenuCommand(MainMenu::ActionDHCPv4Release);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "DHCPv4 Release IP?");
    EXPECT_THAT(machine.ui.Boxes()[0].text,
                StartsWith("Are you sure to release DHCPv4 allocated IP address?\r\n\r\nWARNING: "
                           "The software will freeze until the DHCPv4 release IP operation"));
    EXPECT_EQ(view.statusTexts.back(), "Wait...");
    EXPECT_TRUE(main.CurrentAdapter()->IPv4Addresses()->Count() == 0 ||
                main.CurrentAdapter()->IPv4Addresses()->Item(1)->IPAddress() == "0.0.0.0");
}

TEST_F(frmMainTest, SwitchingDHCPOffRestartsTheAdapter) {
    Load();
    Select("Ethernet");
    const size_t changesBefore = machine.devices.StateChanges().size();
    main.OnMenuCommand(MainMenu::ActionDHCPv4Enabled);

    EXPECT_FALSE(view.checked[MainMenu::ActionDHCPv4Enabled]);
    EXPECT_FALSE(main.CurrentAdapter()->DHCPv4Enabled());
    EXPECT_EQ(machine.devices.StateChanges().size(), changesBefore + 2);  // off, then on
    EXPECT_THAT(view.statusTexts, ::testing::Contains("Resetting..."));
    EXPECT_TRUE(DeviceEnabled("Ethernet"));
}

TEST_F(frmMainTest, DeleteRefusesAnEnabledAdapterAndAsksTwiceForADisabledOne) {
    Load();
    Select("Ethernet");
    main.OnMenuCommand(MainMenu::ActionDeleteAdapter);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "Cannot Delete Network Adapter");
    EXPECT_EQ(machine.ui.Boxes()[0].text,
              "You cannot delete active network adapter. The network adapter must be disabled "
              "before proceeding.");
    EXPECT_EQ(machine.ui.Boxes()[0].icon, MessageBoxIcon::Critical);

    // Enter on both warnings keeps the adapter: their default buttons are Cancel and No.
    machine.ui.ClearBoxes();
    Select("Bluetooth Network Connection");
    main.OnMenuCommand(MainMenu::ActionDeleteAdapter);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "WARNING! Korvaldine MAC Address Changer");
    EXPECT_EQ(machine.ui.Boxes()[0].defaultButton, MessageBoxDefaultButton::Second);
    EXPECT_NE(view.Row("Bluetooth Network Connection"), -1);

    machine.ui.ClearBoxes();
    machine.ui.ScriptAnswer(MessageBoxResult::Ok);
    machine.ui.ScriptAnswer(MessageBoxResult::Yes);
    main.OnMenuCommand(MainMenu::ActionDeleteAdapter);
    ASSERT_EQ(machine.ui.Boxes().size(), 2u);
    EXPECT_EQ(machine.ui.Boxes()[1].title, "Delete Network Adapter?");
    EXPECT_EQ(machine.ui.Boxes()[1].text,
              "Are you sure to delete registry information associated with 'Bluetooth Device "
              "(Personal Area Network)' network adapter?");
    EXPECT_EQ(machine.ui.Boxes()[1].buttons, MessageBoxButtons::YesNoCancel);
    EXPECT_EQ(machine.ui.Boxes()[1].defaultButton, MessageBoxDefaultButton::Second);
    EXPECT_EQ(view.Row("Bluetooth Network Connection"), -1);
}

TEST_F(frmMainTest, TextReportGoesToTheChosenFileAndOpens) {
    Load();
    machine.ui.ScriptFileChosen(folder.File("report.txt"));
    main.OnMenuCommand(MainMenu::FileExportTextReport);

    ASSERT_EQ(machine.ui.FileDialogs().size(), 1u);
    const auto& dialog = machine.ui.FileDialogs()[0];
    EXPECT_TRUE(dialog.save);
    EXPECT_EQ(dialog.request.title, "Save Text Report As");
    EXPECT_EQ(dialog.request.filter, "Text File (*.txt)|*.txt");
    EXPECT_EQ(dialog.request.defaultExtension, "txt");

    const std::string report = testing::ReadFileBytes(folder.File("report.txt"));
    EXPECT_THAT(report, StartsWith("Korvaldine MAC Address Changer v6.0."));
    EXPECT_THAT(report, HasSubstr("Interface #1\r\n============="));
    EXPECT_THAT(report, HasSubstr("Interface #" + std::to_string(view.rows.size())));
    EXPECT_THAT(report, ::testing::EndsWith("\r\n\r\n"));
    ASSERT_FALSE(machine.system.ShellCalls().empty());
    EXPECT_EQ(machine.system.ShellCalls().back().verb, "open");
    EXPECT_EQ(machine.system.ShellCalls().back().file, folder.File("report.txt"));

    // A dialog that fails reports its error; a cancelled one does nothing.
    machine.ui.ScriptFileDialog({false, "", 12290});
    main.OnMenuCommand(MainMenu::FileExportTextReport);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_THAT(machine.ui.Boxes()[0].text,
                HasSubstr("Source: CommonDialog.ShowSave\r\nError: (12290) Invalid file name."));
    main.OnMenuCommand(MainMenu::FileExportTextReport);
    EXPECT_EQ(machine.ui.Boxes().size(), 1u);
}

TEST_F(frmMainTest, ActionMenuIsDisabledWithoutAdapters) {
    sim::Machine empty;
    empty.system.programFolder = folder.Str();
    testing::WritePresetFileAssociation(empty);
    Platform emptyPlatform = empty.GetPlatform();
    FakeMainView emptyView;
    frmMain window(emptyPlatform, emptyView);
    WriteVendorDatabase();
    ASSERT_TRUE(window.Load());

    EXPECT_TRUE(emptyView.rows.empty());
    EXPECT_FALSE(emptyView.enabled[MainMenu::Action]);
    EXPECT_FALSE(window.MenuEnabled(MainMenu::ActionRefresh) &&
                 window.MenuEnabled(MainMenu::Action));
    EXPECT_EQ(window.Details().Text(DetailsField::Connection), "<connection name>");
    // The key of a disabled menu does nothing either.
    window.OnMenuCommand(MainMenu::ActionDeleteAdapter);
    EXPECT_TRUE(empty.ui.Boxes().empty());
}

TEST_F(frmMainTest, HandOverShowsTheWindowAndOpensAPresetFile) {
    WriteVendorDatabase();
    Load();
    view.HideWindow();
    EXPECT_TRUE(machine.system.DeliverHandOver(""));
    EXPECT_TRUE(view.visible);

    PresetCollection presets;
    auto preset = std::make_shared<Preset>();
    preset->SetPresetName("Office");
    presets.Add(preset, "Office");
    // The command line is cut at every dash: the file lives in a folder without one.
    testing::DashlessTempDir presetFolder;
    PresetSupport::SavePresetFile(presetFolder.File("office.kpf"), presets, true);
    view.HideWindow();
    EXPECT_TRUE(machine.system.DeliverHandOver("-o " + presetFolder.File("office.kpf")));

    EXPECT_EQ(main.Presets().PresetFile(), presetFolder.File("office.kpf"));
    EXPECT_EQ(view.tab, kPresetTab);
    EXPECT_TRUE(view.visible);
    EXPECT_THAT(main.Presets().Caption(), StartsWith("Network Connection Presets (office.kpf) ["));
    EXPECT_TRUE(machine.ui.Boxes().empty());

    // Exit saves and stops listening.
    main.OnMenuCommand(MainMenu::FileExit);
    EXPECT_TRUE(view.closed);
    EXPECT_FALSE(machine.system.ReceiverRunning());
    EXPECT_TRUE(std::filesystem::exists(folder.File("vexav6.set")));
}

TEST_F(frmMainTest, LongOperationsShowAWaitingCaptionUntilTheirOutcome) {
    WriteVendorDatabase();
    Load();
    const std::string caption = view.caption;

    machine.http.QueueResponse(app::kUpdateURL, Response(304, "Not Modified"));
    main.OnMenuCommand(MainMenu::HelpCheckForUpdates);
    EXPECT_EQ(view.caption, "Checking for software updates, please wait...");
    EXPECT_FALSE(view.enabled[MainMenu::HelpCheckForUpdates]);
    machine.ui.DoEvents();
    EXPECT_THAT(Titles(), ElementsAre("No Update Available - Automatic Updates"));
    EXPECT_EQ(view.caption, caption);
    EXPECT_TRUE(view.enabled[MainMenu::HelpCheckForUpdates]);

    // The vendor list: asked first, then downloaded, rebuilt and saved.
    machine.ui.ClearBoxes();
    machine.ui.ScriptAnswer(MessageBoxResult::Yes);
    machine.http.QueueResponse(kOUIListingURL,
                               Response(200, "OK",
                                        {{"Content-Type", "text/plain"},
                                         {"Last-Modified", "Tue, 15 Nov 2022 08:12:31 GMT"}},
                                        testing::MakeListing(5, 0x00A000)));
    main.OnMenuCommand(MainMenu::HelpUpdateVendorList);
    EXPECT_THAT(view.caption, HasSubstr("please wait"));
    EXPECT_FALSE(view.enabled[MainMenu::HelpUpdateVendorList]);
    machine.ui.DoEvents();
    EXPECT_THAT(Titles(), ElementsAre("Download Vendors List (OUI.TXT) From IEEE Web Site?",
                                      "Vendor List (OUI) Data Updated Successfully"));
    EXPECT_EQ(view.caption, caption);
    EXPECT_TRUE(view.enabled[MainMenu::HelpUpdateVendorList]);
    NICVendor saved(platform);
    saved.LoadDB(folder.File("oui.db"));
    EXPECT_EQ(saved.GetVendor(0x00A003, false, false), "Vendor 3");

    // A failed download says why and gives the item back.
    machine.ui.ClearBoxes();
    machine.ui.ScriptAnswer(MessageBoxResult::Yes);
    machine.http.QueueResponse(kOUIListingURL, Response(404, "Not Found"));
    main.OnMenuCommand(MainMenu::HelpUpdateVendorList);
    machine.ui.DoEvents();
    ASSERT_EQ(machine.ui.Boxes().size(), 2u);
    EXPECT_EQ(machine.ui.Boxes()[1].title, "Error - Downloading Vendor List (OUI)");
    EXPECT_THAT(machine.ui.Boxes()[1].text, HasSubstr("Error: (404) Not Found"));
    EXPECT_EQ(view.caption, caption);

    // F1 opens the user guide beside the program.
    main.OnMenuCommand(MainMenu::HelpTopics);
    ASSERT_FALSE(machine.system.ShellCalls().empty());
    EXPECT_EQ(machine.system.ShellCalls().back().file, folder.File("help.html"));
}

TEST_F(frmMainTest, OptionsFollowTheSettingsAndCtrlTabWraps) {
    WriteVendorDatabase();
    Load();
    // A first start has every option on: the speed item is checked and the panel in bytes.
    EXPECT_TRUE(view.checked[MainMenu::OptionsSpeedInKBytes]);
    EXPECT_TRUE(main.Monitor().ShowSpeedInKBytes());
    EXPECT_EQ(main.Monitor().Row(1).value, "0 B/s");
    EXPECT_TRUE(view.checked[MainMenu::OptionsAutomaticUpdates]);
    main.OnMenuCommand(MainMenu::OptionsSpeedInKBytes);
    EXPECT_FALSE(main.Monitor().ShowSpeedInKBytes());
    EXPECT_FALSE(main.GetSettings()->ShowSpeedInKBytes);

    main.OnMenuCommand(MainMenu::PreviousTab);
    EXPECT_EQ(view.tab, 2);
    main.OnMenuCommand(MainMenu::NextTab);
    EXPECT_EQ(view.tab, 0);
    main.OnMenuCommand(MainMenu::NextTab);
    EXPECT_EQ(view.tab, 1);

    // Without a tray the close box ends the program rather than hiding the window.
    EXPECT_TRUE(main.OnCloseRequested());
}

// --- The MAC change panel, the tray, the association, the proxy dialog and the about box ---

TEST_F(frmMainTest, MACPanelOutcomesShowInTheRowWhileTheirBoxIsUp) {
    testing::FakeChangeMACAddressView panelView;
    testing::FakeMACAddressView macView;
    ChangeMACAddress& panel = main.AttachMACPanel(panelView, macView, [] { return 0.5; });
    macView.machine = &panel.MACAddress1();
    WriteVendorDatabase();
    Load();
    EXPECT_GT(panelView.rows, 0u);  // the vendor list was filled while loading
    Select("Wi-Fi");
    EXPECT_TRUE(panelView.checked02);
    const std::string linkStatus = main.CurrentAdapter()->LinkStatus();

    // The wireless driver keeps its own address when the first octet is not 02.
    panel.chk02MAC_Click(false);
    macView.Click(0);
    macView.Type("001b213c4d5e");
    panel.cmdChange_Click();
    EXPECT_THAT(view.statusTexts,
                ElementsAre("Changing MAC Address...", "Change Failed", linkStatus));
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "MAC Address Change Failed");
    EXPECT_EQ(machine.ui.Boxes()[0].icon, MessageBoxIcon::Exclamation);

    // With 02 it takes the address; the row shows it and the panel offers the restore.
    panel.chk02MAC_Click(true);
    panel.cmdRandom_Click();
    const std::string random = panel.MACAddress1().Text();
    ASSERT_EQ(random.substr(0, 3), "02-");
    view.statusTexts.clear();
    panel.cmdChange_Click();
    EXPECT_THAT(view.statusTexts, ElementsAre("Changing MAC Address...", "MAC Address Changed",
                                              main.CurrentAdapter()->LinkStatus()));
    EXPECT_EQ(machine.ui.Boxes()[1].title, "MAC Address Changed Successfully");
    EXPECT_THAT(view.rows[view.Row("Wi-Fi")].macAddress, StartsWith(random));
    EXPECT_TRUE(panelView.restoreEnabled);

    view.statusTexts.clear();
    panel.cmdRestore_Click();
    EXPECT_EQ(view.statusTexts[1], "MAC Address Restored");
    EXPECT_EQ(machine.ui.Boxes()[2].title, "MAC Address Restored Successfully");
    EXPECT_THAT(view.rows[view.Row("Wi-Fi")].macAddress, StartsWith("48-51-C5-2B-90-3D"));
}

// A tray window whose icon is a log.
class FakeTrayWindow : public testing::FakeTrayView, public TrayWindow {
  public:
    FakeTrayWindow(const Platform& platform, TrayOwner& owner) : tray(platform, *this, owner) {
        presenter = &tray;
    }
    frmTray& Presenter() override { return tray; }

    frmTray tray;
};

TEST_F(frmMainTest, TrayIconHidesTheWindowOnCloseAndItsExitSavesBeforeTheEnd) {
    FakeTrayWindow* tray = nullptr;
    main.makeTrayWindow = [&](TrayOwner& owner) {
        auto made = std::make_unique<FakeTrayWindow>(platform, owner);
        tray = made.get();
        return made;
    };
    WriteVendorDatabase();
    Load();  // a first start has every option on: the icon is there and animates
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(tray->log.front(), "add 3 Korvaldine MAC Address Changer v6");
    EXPECT_TRUE(tray->tray.Animating());

    // The close box only hides the window; the icon shows it again, but not behind a dialog.
    EXPECT_FALSE(main.OnCloseRequested());
    EXPECT_FALSE(view.visible);
    view.windowEnabled = false;
    tray->tray.OnTrayCallback(kTrayLeftButtonUp);
    EXPECT_FALSE(view.visible);
    view.windowEnabled = true;
    tray->tray.OnTrayCallback(kTrayLeftButtonUp);
    EXPECT_TRUE(view.visible);

    // Switched off, the icon goes and the close box ends the program again.
    main.OnMenuCommand(MainMenu::OptionsTrayIcon);
    EXPECT_EQ(main.Tray(), nullptr);
    EXPECT_FALSE(view.enabled[MainMenu::OptionsTrayAnimation]);
    EXPECT_FALSE(main.GetSettings()->SystemTrayIcon);

    // Back on, Exit hides the window, saves, and ends the program half a second later.
    main.OnMenuCommand(MainMenu::OptionsTrayIcon);
    ASSERT_NE(main.Tray(), nullptr);
    EXPECT_TRUE(view.enabled[MainMenu::OptionsTrayAnimation]);
    EXPECT_FALSE(std::filesystem::exists(folder.File("vexav6.set")));
    main.OnMenuCommand(MainMenu::FileExit);
    EXPECT_FALSE(view.visible);
    EXPECT_TRUE(std::filesystem::exists(folder.File("vexav6.set")));
    EXPECT_FALSE(view.closed);
    machine.timers.AdvanceTime(500);
    EXPECT_TRUE(view.closed);
}

TEST_F(frmMainTest, AssociationProxyAndAboutItems) {
    // Not associated: the start-up check asks, and No leaves the registry alone.
    machine.registry.RemoveTree(platform::RootKey::ClassesRoot, ".kpf");
    machine.registry.PutString(platform::RootKey::CurrentUser, IEProxy::kInternetSettingsKey,
                               "ProxyServer", "proxy.example:3128");
    WriteVendorDatabase();
    machine.ui.ScriptAnswer(MessageBoxResult::No);
    ASSERT_TRUE(main.Load());
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_THAT(machine.ui.Boxes()[0].text, StartsWith("The preset file (.kpf) is not currently"));
    EXPECT_FALSE(machine.registry.KeyExists(platform::RootKey::ClassesRoot, ".kpf"));

    // The menu item associates without asking.
    machine.ui.ClearBoxes();
    main.OnMenuCommand(MainMenu::FileAssociate);
    EXPECT_THAT(Titles(), ElementsAre("Korvaldine MAC Address Changer"));
    EXPECT_EQ(machine.registry.GetString(platform::RootKey::ClassesRoot,
                                         "Vexav6.0\\shell\\open\\command", ""),
              "\"" + folder.File("vexav6.exe") + "\" -o \"%1\"");

    // The proxy dialog starts from the menu's check mark and the stored server; OK stores.
    std::vector<ProxyDialogArgs> asked;
    main.showProxyDialog = [&](const ProxyDialogArgs& args) {
        asked.push_back(args);
        return std::optional<ProxyDialogResult>(ProxyDialogResult{true, "other.example", 8080});
    };
    main.OnMenuOpening(MainMenu::Options);
    main.OnMenuCommand(MainMenu::OptionsProxy);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_FALSE(asked[0].enabled);
    EXPECT_EQ(asked[0].storedServer, "proxy.example:3128");
    EXPECT_TRUE(IEProxy::IsProxyEnabled(platform));
    EXPECT_EQ(IEProxy::GetProxyServer(platform), "other.example:8080");

    int abouts = 0;
    main.showAbout = [&] { ++abouts; };
    main.OnMenuCommand(MainMenu::HelpAbout);
    EXPECT_EQ(abouts, 1);
}

}  // namespace
}  // namespace vexav6::ui
