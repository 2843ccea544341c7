// The native program run as users and scripts run it: a separate process on a machine file,
// judged by its output, its exit status and the machine file it leaves behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "adapters/adapter_info.h"
#include "adapters/device_manager.h"
#include "base/text.h"
#include "ipconfig/ipv4_addresses.h"
#include "platform/sim/machine.h"
#include "presets/preset_support.h"
#include "startup/command_line.h"
#include "support/dashless_dir.h"
#include "support/temp_dir.h"

namespace vexav6 {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kWifiBurnedIn = "48-51-C5-2B-90-3D";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// A copy of a fixture machine in a folder of its own, and the program run on it.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::copy_file(fs::path(VEXAV6_FIXTURES_DIR) / "machines" / "demo.json", machineFile);
    }

    // Runs the program with the arguments (shell syntax) on the machine file, or with no
    // VEXAV6_MACHINE at all.
    Outcome Run(const std::string& arguments, bool withMachine = true) {
        const std::string command =
            (withMachine ? "VEXAV6_MACHINE='" + machineFile + "' " : "env -u VEXAV6_MACHINE ") +
            "'" + VEXAV6_PROGRAM + "' " + arguments + " >'" + dir.File("out") + "' 2>'" +
            dir.File("err") + "'";
        const int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = testing::ReadFileBytes(dir.File("out"));
        outcome.err = testing::ReadFileBytes(dir.File("err"));
        return outcome;
    }

    // The machine as the program left it, and one of its connections.
    std::shared_ptr<AdapterInfo> Connection(const std::string& name) {
        machine = std::make_unique<sim::Machine>();
        machine->Load(machineFile);
        adapters.Clear();
        DeviceManager::GetNetworkAdapters(machine->GetPlatform(), adapters);
        for (const auto& adapter : adapters) {
            if (adapter->ConnectionName() == name) {
                return adapter;
            }
        }
        ADD_FAILURE() << "no connection " << name;
        return nullptr;
    }

    testing::DashlessTempDir dir;
    std::string machineFile = dir.File("machine.json");
    std::unique_ptr<sim::Machine> machine;
    KeyedCollection<std::shared_ptr<AdapterInfo>> adapters;
};

TEST_F(ProgramTest, ListsTheConnectionsOneLineEach) {
    const Outcome outcome = Run("-list");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    const std::vector<std::string> lines = text::Split(outcome.out, "\n");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_THAT(lines[0], StartsWith("Ethernet\tNo\t04-D4-C4-5A-12-7E ("));
    EXPECT_THAT(lines[0], ::testing::EndsWith(")\tUp, Operational\t1 gbps"));
    EXPECT_THAT(lines[1], StartsWith("Wi-Fi\tNo\t48-51-C5-2B-90-3D (Intel"));
}

TEST_F(ProgramTest, ChangesAndRestoresAcrossRuns) {
    // Words that are no option, stray dashes and quotes are passed over.
    Outcome outcome = Run("bogus -n '\"Wi\"' -- - -zz -m 02aabbccddee -re");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out,
              "Korvaldine MAC Address Changer v6\nCommand was executed successfully.\n");
    EXPECT_EQ(Connection("Wi-Fi")->ActiveNetworkAddress(), "02-AA-BB-CC-DD-EE");

    outcome = Run("-list");
    EXPECT_THAT(outcome.out, HasSubstr("Wi-Fi\tYes\t02-AA-BB-CC-DD-EE ("));

    EXPECT_EQ(Run("-n wi -ro -m 02112233445").status, 0);
    EXPECT_EQ(Connection("Wi-Fi")->ActiveNetworkAddress(), kWifiBurnedIn);
    EXPECT_EQ(Connection("Wi-Fi")->NetworkAddressChangedStatus(), "No");
}

TEST_F(ProgramTest, ARandomAddressWith02IsKeptOnlyUntilTheNextRestart) {
    const Outcome outcome = Run("-n Wi -nr02 -s");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out + outcome.err, "");
    std::shared_ptr<AdapterInfo> wifi = Connection("Wi-Fi");
    EXPECT_THAT(wifi->ActiveNetworkAddress(), StartsWith("02-"));
    EXPECT_NE(wifi->ActiveNetworkAddress(), kWifiBurnedIn);
    wifi->SetState(false);
    wifi->SetState(true);
    wifi->Refresh(false);
    EXPECT_EQ(wifi->ActiveNetworkAddress(), kWifiBurnedIn);
}

TEST_F(ProgramTest, AppliesAPresetByNameFromAFile) {
    auto preset = std::make_shared<Preset>();
    preset->SetPresetName("Office");
    preset->SetMACAddress(MacAction::Custom);
    preset->SetCustomMACAddress("02:00:5E:10:20:30");
    preset->SetIPv4Selected(true);
    preset->SetIPv4NameServers(NameServerList());
    PresetCollection presets;
    presets.Add(preset, "Office");
    PresetSupport::SavePresetFile(dir.File("work.kpf"), presets, true);

    EXPECT_EQ(Run("-n wi -p office -f '" + dir.File("work.kpf") + "' -re -s").status, 0);
    EXPECT_EQ(Connection("Wi-Fi")->ActiveNetworkAddress(), "02-00-5E-10-20-30");

    const Outcome missing = Run("-n wi -p Home -f '" + dir.File("work.kpf") + "' -re");
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.err, HasSubstr("Error: (1) Preset 'Home' not found in preset file."));
}

TEST_F(ProgramTest, StaticSettingsAndDhcpOptions) {
    EXPECT_EQ(Run("-n ethernet -rl -s").status, 0);
    EXPECT_EQ(Connection("Ethernet")->IPv4Addresses()->Item(1)->IPAddress(), "0.0.0.0");
    EXPECT_EQ(Run("-n ethernet -rn -s").status, 0);
    EXPECT_EQ(Connection("Ethernet")->IPv4Addresses()->Item(1)->IPAddress(), "192.168.1.23");

    EXPECT_EQ(Run("-n ethernet -i 10.1.2.3/255.255.0.0 -g 10.1.0.1@30 -s").status, 0);
    std::shared_ptr<AdapterInfo> ethernet = Connection("Ethernet");
    EXPECT_FALSE(ethernet->DHCPv4Enabled());
    EXPECT_EQ(ethernet->IPv4Addresses()->Item(1)->IPAddress(), "10.1.2.3");
    EXPECT_EQ(ethernet->IPv4Addresses()->Item(1)->SubnetMask(), "255.255.0.0");

    EXPECT_EQ(Run("-n ethernet -h -s").status, 0);
    EXPECT_TRUE(Connection("Ethernet")->DHCPv4Enabled());
}

TEST_F(ProgramTest, ConflictsAndUnknownConnectionsFailWithStatusOne) {
    const std::string before = testing::ReadFileBytes(machineFile);
    Outcome outcome = Run("-n wi -di -re");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_THAT(outcome.err,
                HasSubstr("Error: (1) Cannot restart network connection as disable option already "
                          "specified."));
    EXPECT_TRUE(Connection("Wi-Fi")->State());

    outcome = Run("-n Nowhere -r -re -s");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out + outcome.err, "");

    outcome = Run("-n Nowhere -r");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_THAT(outcome.err, HasSubstr("Network connection 'Nowhere' was not found."));
}

TEST_F(ProgramTest, WithoutOptionsItPrintsTheHelpAndRefusesOpeningPresets) {
    Outcome outcome = Run("");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_THAT(outcome.out, StartsWith("Korvaldine MAC Address Changer v6\n\nCommand line"));
    EXPECT_THAT(outcome.out, HasSubstr("VEXAV6_MACHINE"));
    EXPECT_EQ(outcome.out.find('\r'), std::string::npos);
    EXPECT_EQ(Run("--help").out, outcome.out);

    outcome = Run("-o '" + dir.File("a.kpf") + "'");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_THAT(outcome.err, HasSubstr(CommandLine::kNoMainWindowText));
}

TEST_F(ProgramTest, WritesTheReportToAFile) {
    const Outcome outcome = Run("-report " + dir.File("report.txt") + " -s");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    const std::string report = testing::ReadFileBytes(dir.File("report.txt"));
    EXPECT_THAT(report, StartsWith("Korvaldine MAC Address Changer v6.0.0\r\n"));
    EXPECT_THAT(report, HasSubstr("Interface #2\r\n=============\r\nConnection Name"
                                  ".........................Wi-Fi\r\n"));
}

TEST_F(ProgramTest, MachineFilesThatCannotBeUsedEndWithStatusTwo) {
    testing::WriteFileBytes(machineFile, "{ \"machineFile\": 1, \"devices\": 5 }");
    const Outcome outcome = Run("-list");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_THAT(outcome.err, HasSubstr("The machine file cannot be used: "));
    EXPECT_EQ(testing::ReadFileBytes(machineFile), "{ \"machineFile\": 1, \"devices\": 5 }");
}

TEST_F(ProgramTest, WithoutAMachineFileTheDemoMachineIsUsedAndKeptAsItWas) {
    const fs::path demo = fs::path(VEXAV6_PROGRAM).parent_path() / "demo-machine.json";
    const std::string before = testing::ReadFileBytes(demo);
    const Outcome outcome = Run("-n wi -m 02aabbccddee -re -list", false);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_THAT(outcome.err, HasSubstr("changes are not kept"));
    EXPECT_THAT(outcome.out, HasSubstr("Wi-Fi\tYes\t02-AA-BB-CC-DD-EE"));
    EXPECT_EQ(testing::ReadFileBytes(demo), before);
}

}  // namespace
}  // namespace vexav6
