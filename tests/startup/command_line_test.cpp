#include "startup/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "adapters/adapter_info.h"
#include "adapters/device_manager.h"
#include "base/text.h"
#include "platform/sim/machine.h"
#include "presets/preset_support.h"
#include "support/temp_dir.h"
#include "vendors/nic_vendor.h"
#include "vendors/vendor_test_support.h"

namespace vexav6 {
namespace {

using platform::MessageBoxIcon;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kWifiClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0002";
constexpr const char* kSuccess = "Command was executed successfully.";

// The windows of a window-mode instance, noting what the front end asked of them.
class FakeWindows : public CommandLine::WindowAccess {
  public:
    bool HasMainWindow() override { return hasMainWindow; }
    void ShowMainWindow() override { ++shows; }
    void OpenPresetFile(const std::string& path) override { opened.push_back(path); }
    void ShowHelp(const std::string& caption, const std::string& text) override {
        helpCaption = caption;
        helpText = text;
    }

    bool hasMainWindow = true;
    int shows = 0;
    std::vector<std::string> opened;
    std::string helpCaption;
    std::string helpText;
};

// The demo machine, with the program in a folder of its own that holds a small vendor database
// and a help file.
class CommandLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        machine.Load(std::string(VEXAV6_FIXTURES_DIR) + "/machines/demo.json");
        machine.system.programFolder = folder.Str();
        machine.system.programFile = folder.File("vexav6.exe");
        testing::WriteFileBytes(folder.File("listing.txt"), testing::MakeListing(20));
        NICVendor vendor(platform);
        vendor.ParseOUI(folder.File("listing.txt"));
        vendor.SaveDB(folder.File("oui.db"));
        testing::WriteFileBytes(folder.File("CLIHelp.txt"), "Options:\r\n -n <name>\r\n");
    }

    int Run(const std::string& commandLine, CommandLine::WindowAccess* windows = nullptr) {
        return CommandLine::ExecuteCommandLine(platform, commandLine, windows);
    }

    // The connection as a fresh listing finds it.
    std::shared_ptr<AdapterInfo> Connection(const std::string& name) {
        adapters.Clear();
        DeviceManager::GetNetworkAdapters(platform, adapters);
        for (const auto& adapter : adapters) {
            if (adapter->ConnectionName() == name) {
                return adapter;
            }
        }
        ADD_FAILURE() << "no connection " << name;
        return nullptr;
    }

    std::optional<std::string> StoredWifiAddress() {
        return machine.registry.GetString(platform::RootKey::LocalMachine, kWifiClassKey,
                                          "NetworkAddress");
    }

    std::string OnlyBoxText() {
        EXPECT_EQ(machine.ui.Boxes().size(), 1u);
        return machine.ui.Boxes().empty() ? "" : machine.ui.Boxes().back().text;
    }

    void SavePresets(const std::string& path, const std::string& name, const char* mac) {
        auto preset = std::make_shared<Preset>();
        preset->SetPresetName(name);
        preset->SetMACAddress(MacAction::Custom);
        preset->SetCustomMACAddress(mac);
        PresetCollection presets;
        presets.Add(preset, name);
        PresetSupport::SavePresetFile(path, presets, true);
    }

    testing::TempDir folder;
    sim::Machine machine;
    Platform platform = machine.GetPlatform();
    KeyedCollection<std::shared_ptr<AdapterInfo>> adapters;
};

TEST_F(CommandLineTest, FailuresAreReportedInABoxAndOnTheConsoleAlsoWhenSilent) {
    const std::string report =
        "An exception occured as described below:\r\n\r\nSource: Vexav6\r\nError: (1) "
        "Network connection 'nowhere' was not found.";
    EXPECT_EQ(Run("-n nowhere -r -re"), 1);
    EXPECT_EQ(OnlyBoxText(), report);
    EXPECT_EQ(machine.ui.Boxes()[0].icon, MessageBoxIcon::Critical);
    // Started from a console (or redirected), a script reads the same on standard error.
    const std::string onConsole = "Error - Korvaldine MAC Address Changer v6\r\n" + report + "\r\n";
    EXPECT_EQ(machine.ui.ConsoleErrorText(), onConsole);

    // Silent: no box, but the error still reaches the console.
    machine.ui.ClearBoxes();
    EXPECT_EQ(Run("-n nowhere -r -s"), 1);
    EXPECT_EQ(machine.ui.ConsoleErrorText(), onConsole + onConsole);
    EXPECT_EQ(Run("-s"), 1);  // no connection named
    EXPECT_TRUE(machine.ui.Boxes().empty());

    // The success message goes to the console's standard output as well.
    EXPECT_EQ(Run("-n ethernet -rn"), 0);
    EXPECT_THAT(machine.ui.ConsoleText(),
                HasSubstr("Command was executed successfully on Ethernet"));
    machine.ui.ClearBoxes();

    EXPECT_EQ(Run("-r"), 1);
    EXPECT_THAT(OnlyBoxText(), HasSubstr("No network connection was given"));

    machine.ui.ClearBoxes();
    EXPECT_EQ(Run("-n ethernet -n wi-fi -r"), 1);
    EXPECT_THAT(OnlyBoxText(), HasSubstr("Error: (457)"));
}

TEST_F(CommandLineTest, ConflictsAndBadItemsChangeNothing) {
    for (const char* commandLine : {"-n wi-fi -m 02aabbccddee -di -re", "-n wi-fi -r -re -di",
                                    "-n wi-fi -r -re -g 10.0.0.1@x"}) {
        SCOPED_TRACE(commandLine);
        machine.ui.ClearBoxes();
        EXPECT_EQ(Run(commandLine), 1);
        EXPECT_EQ(machine.ui.Boxes().size(), 1u);
        EXPECT_TRUE(Connection("Wi-Fi")->State());
        EXPECT_FALSE(StoredWifiAddress());
        EXPECT_TRUE(Connection("Wi-Fi")->DHCPv4Enabled());
    }
}

TEST_F(CommandLineTest, AFailedChangeDoesNotLeaveTheConnectionOff) {
    EXPECT_EQ(Run("-n wi-fi -m 0G:11:22:33:44:55 -re"), 1);
    EXPECT_THAT(OnlyBoxText(), HasSubstr("Invalid MAC address format: 0G:11:22:33:44:55"));
    EXPECT_TRUE(Connection("Wi-Fi")->State());

    // Without the vendor database no random address can be made; nothing is switched off.
    std::filesystem::remove(folder.File("oui.db"));
    EXPECT_EQ(Run("-n wi-fi -nr"), 1);
    EXPECT_TRUE(Connection("Wi-Fi")->State());

    // Asked for, the connection stays off.
    EXPECT_EQ(Run("-n wi-fi -di"), 0);
    EXPECT_FALSE(Connection("Wi-Fi")->State());
}

TEST_F(CommandLineTest, WithoutAFileNamedPresetsComeFromDefaultKpf) {
    SavePresets(folder.File("Default.kpf"), "Home", "02:00:00:00:00:02");
    EXPECT_EQ(Run("-n wi-fi -p \"home\" -re"), 0);
    EXPECT_EQ(Connection("Wi-Fi")->ActiveNetworkAddress(), "02-00-00-00-00-02");

    // An unknown name is found out before the connection is switched off.
    machine.ui.ClearBoxes();
    EXPECT_EQ(Run("-n wi-fi -re -p Office"), 1);
    EXPECT_THAT(OnlyBoxText(), HasSubstr("Error: (1) Preset 'Office' not found in preset file."));
    EXPECT_TRUE(Connection("Wi-Fi")->State());
}

TEST_F(CommandLineTest, HelpShowsTheTitleAndTheFileAndDoesNothingElse) {
    EXPECT_EQ(Run("-n wi-fi -m 02aabbccddee -re -help -di"), 0);
    EXPECT_EQ(machine.ui.ConsoleText(),
              "Korvaldine MAC Address Changer v6\r\n\r\nOptions:\r\n -n <name>\r\n");
    EXPECT_TRUE(machine.ui.Boxes().empty());
    EXPECT_FALSE(StoredWifiAddress());

    // The connection names before it are still looked up.
    EXPECT_EQ(Run("-n nowhere /?"), 1);

    // Output redirected to a file or a pipe gets the text only, even where there are windows, so
    // that a script is not held up; a person at a terminal gets the help window, which prints the
    // text there too; without a console it is the help window.
    FakeWindows windows;
    EXPECT_EQ(Run("?", &windows), 0);
    EXPECT_EQ(windows.helpText, "");
    machine.ui.consoleIsTerminal = true;
    EXPECT_EQ(Run("?", &windows), 0);
    EXPECT_THAT(windows.helpText, StartsWith("Korvaldine MAC Address Changer v6\r\n\r\nOptions:"));
    windows.helpText.clear();
    machine.ui.consoleIsTerminal = false;
    machine.ui.consoleAvailable = false;
    EXPECT_EQ(Run("?", &windows), 0);
    EXPECT_EQ(windows.helpCaption,
              "Command Line Parameters Help - Korvaldine MAC Address Changer v6");
    EXPECT_THAT(windows.helpText, StartsWith("Korvaldine MAC Address Changer v6\r\n\r\nOptions:"));

    machine.ui.ClearBoxes();
    std::filesystem::remove(folder.File("CLIHelp.txt"));
    EXPECT_EQ(Run("-help"), 1);
    // The error names the file that is missing.
    EXPECT_THAT(OnlyBoxText(),
                HasSubstr("Error: (53) File not found: " + folder.File("CLIHelp.txt")));
}

TEST_F(CommandLineTest, TheMainWindowIsNeededForAnEmptyCommandLineAndForO) {
    machine.ui.consoleAvailable = false;  // a window-mode instance
    FakeWindows windows;
    EXPECT_EQ(Run("  ", &windows), 0);
    EXPECT_EQ(windows.shows, 1);
    EXPECT_EQ(Run("-o \"C:\\My Presets\\home.kpf\" -n nowhere", &windows), 0);
    EXPECT_THAT(windows.opened, ::testing::ElementsAre("C:\\My Presets\\home.kpf"));

    // No main window: the help for an empty command line, a failure for -o.
    windows.hasMainWindow = false;
    EXPECT_EQ(Run("", &windows), 0);
    EXPECT_THAT(windows.helpText, HasSubstr("Options:"));
    EXPECT_EQ(Run("-n wi-fi -o C:\\x.kpf", &windows), 1);
    EXPECT_THAT(OnlyBoxText(), HasSubstr(CommandLine::kNoMainWindowText));
    EXPECT_EQ(windows.opened.size(), 1u);
}

TEST_F(CommandLineTest, ListAndReportAreTheAnswerInPlaceOfTheSuccessMessage) {
    EXPECT_EQ(Run("-n wi-fi -nr02 -list"), 0);
    EXPECT_THAT(machine.ui.ConsoleText(), HasSubstr("\r\nWi-Fi\tYes\t02-"));
    EXPECT_TRUE(machine.ui.Boxes().empty());

    // On a terminal, a header and the columns lined up for reading.
    machine.ui.consoleIsTerminal = true;
    const size_t before = machine.ui.ConsoleText().size();
    EXPECT_EQ(Run("-list"), 0);
    const std::vector<std::string> lines =
        text::Split(machine.ui.ConsoleText().substr(before), "\r\n");
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_THAT(lines[0], StartsWith("Connection                    Changed  MAC Address  "));
    EXPECT_THAT(lines[0], ::testing::EndsWith("Original MAC Address"));
    EXPECT_EQ(lines[1].find("No"), lines[0].find("Changed"));
    EXPECT_EQ(lines[4].find("No"), lines[0].find("Changed"));

    // Without a console the list comes in a box.
    machine.ui.consoleAvailable = false;
    EXPECT_EQ(Run("-list"), 0);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].title,
              "Network Connections - Korvaldine MAC Address Changer v6");
    EXPECT_THAT(machine.ui.Boxes()[0].text, StartsWith("Ethernet\tNo\t04-D4-C4-5A-12-7E ("));

    // A report written to a file shows nothing: the success message says it is done.
    machine.ui.ClearBoxes();
    EXPECT_EQ(Run("-report " + folder.File("report.txt")), 0);
    EXPECT_EQ(OnlyBoxText(), kSuccess);
}

}  // namespace
}  // namespace vexav6
