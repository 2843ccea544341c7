// The native program run as users and scripts run it: a separate process on a machine file,
// judged by its output, its exit status and the machine file it leaves behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "adapters/adapter_info.h"
#include "adapters/device_manager.h"
#include "base/app_info.h"
#include "base/text.h"
#include "ipconfig/ipv4_addresses.h"
#include "ipconfig/ipv4_gateways.h"
#include "platform/sim/machine.h"
#include "presets/ie_proxy.h"
#include "presets/preset_support.h"
#include "startup/command_line.h"
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

// A copy of a fixture machine in a folder of its own, and the program run on it. The folder's
// path holds dashes, as paths on the command line may.
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

    // The machine file as a command leaves it; a command refused before it changed anything
    // leaves it exactly as the run before it did.
    std::string MachineState() { return testing::ReadFileBytes(machineFile); }

    // Edits the machine file (as JSON) before the next run.
    template <class Edit>
    void EditMachine(Edit edit) {
        nlohmann::json file = nlohmann::json::parse(MachineState());
        edit(file);
        testing::WriteFileBytes(machineFile, file.dump(2));
    }

    static std::string DemoPresets() {
        return std::string(VEXAV6_FIXTURES_DIR) + "/presets/demo.kpf";
    }

    testing::TempDir dir;
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
    // The original address comes last, so that the columns before it keep their places.
    EXPECT_THAT(lines[0],
                ::testing::EndsWith(")\tUp, Operational\t1 gbps\t04-D4-C4-5A-12-7E (ASUSTek "
                                    "COMPUTER INC.)"));
    EXPECT_THAT(lines[1], StartsWith("Wi-Fi\tNo\t48-51-C5-2B-90-3D (Intel"));
}

TEST_F(ProgramTest, ChangesAndRestoresAcrossRuns) {
    // Stray dashes and quotes are passed over; the address in the form -list prints.
    Outcome outcome = Run("-n '\"Wi-Fi\"' -- - -m 02-aa-bb-cc-dd-ee -re");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out,
              "Korvaldine MAC Address Changer v6\nWi-Fi now uses the new MAC address "
              "02-AA-BB-CC-DD-EE.\n");
    EXPECT_EQ(Connection("Wi-Fi")->ActiveNetworkAddress(), "02-AA-BB-CC-DD-EE");

    outcome = Run("-list");
    EXPECT_THAT(outcome.out, HasSubstr("Wi-Fi\tYes\t02-AA-BB-CC-DD-EE ("));
    EXPECT_THAT(outcome.out, HasSubstr("\t48-51-C5-2B-90-3D (Intel Corporate)\n"));

    outcome = Run("-n wi-fi -ro -m 02112233445");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_THAT(outcome.out, HasSubstr("Wi-Fi uses its original MAC address 48-51-C5-2B-90-3D"));
    EXPECT_EQ(Connection("Wi-Fi")->ActiveNetworkAddress(), kWifiBurnedIn);
    EXPECT_EQ(Connection("Wi-Fi")->NetworkAddressChangedStatus(), "No");
}

TEST_F(ProgramTest, SuccessMessagesSayWhetherTheNewAddressIsInUse) {
    // Stored only: the list still shows the old address, and the message says why.
    Outcome outcome = Run("-n Ethernet -m 04D4C45A127F");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out,
              "Korvaldine MAC Address Changer v6\nThe new MAC address 04-D4-C4-5A-12-7F is stored "
              "for Ethernet and takes effect when the connection restarts (add -re).\n");
    EXPECT_EQ(Connection("Ethernet")->ActiveNetworkAddress(), "04-D4-C4-5A-12-7E");

    // A wireless driver that keeps its own address after the restart: the change failed.
    outcome = Run("-n Wi-Fi -m 04-D4-C4-5A-12-7F -re");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_THAT(outcome.err, HasSubstr("The driver of Wi-Fi did not take the MAC address "
                                       "04-D4-C4-5A-12-7F: the connection still uses " +
                                       std::string(kWifiBurnedIn) + "."));
}

TEST_F(ProgramTest, ARandomAddressWith02IsKeptOnlyUntilTheNextRestart) {
    const Outcome outcome = Run("-n Wi-Fi -nr02 -s");
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
    preset->SetPresetName("Café");
    preset->SetMACAddress(MacAction::Custom);
    preset->SetCustomMACAddress("02:00:5E:10:20:30");
    preset->SetIPv4Selected(true);
    preset->SetIPv4NameServers(NameServerList());
    PresetCollection presets;
    presets.Add(preset, "Café");
    PresetSupport::SavePresetFile(dir.File("my-presets.kpf"), presets, true);

    // Case is ignored beyond ASCII too.
    EXPECT_EQ(Run("-n wi-fi -p CAFÉ -f '" + dir.File("my-presets.kpf") + "' -re -s").status, 0);
    EXPECT_EQ(Connection("Wi-Fi")->ActiveNetworkAddress(), "02-00-5E-10-20-30");

    const Outcome missing = Run("-n wi-fi -p Home -f '" + dir.File("my-presets.kpf") + "' -re");
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.err, HasSubstr("Error: (1) Preset 'Home' not found in preset file."));
}

// The sample presets of the demo machine: a static office setup with a proxy, DHCP at home, and
// the DHCP help example, on a connection that runs on a DHCP lease.
TEST_F(ProgramTest, DhcpOnAConnectionThatAlreadyUsesItKeepsItsLease) {
    Outcome outcome = Run("-n Ethernet -h -d -rn");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    std::shared_ptr<AdapterInfo> ethernet = Connection("Ethernet");
    ASSERT_EQ(ethernet->IPv4Addresses()->Count(), 1);
    EXPECT_EQ(ethernet->IPv4Addresses()->Item(1)->IPAddress(), "192.168.1.23");
    EXPECT_EQ(ethernet->IPv4Gateways()->Item(1)->Gateway(), "192.168.1.1");

    EXPECT_EQ(Run("-n Ethernet -p Office -f '" + DemoPresets() + "' -re -s").status, 0);
    ethernet = Connection("Ethernet");
    EXPECT_FALSE(ethernet->DHCPv4Enabled());
    EXPECT_EQ(ethernet->IPv4Addresses()->Item(1)->IPAddress(), "192.168.1.50");
    EXPECT_EQ(IEProxy::GetProxyServer(machine->GetPlatform()), "proxy-1.example.com:8080");

    outcome = Run("-n Wi-Fi -p home -f '" + DemoPresets() + "'");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    outcome = Run("-n Ethernet -p Home -f '" + DemoPresets() + "' -re");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(Connection("Ethernet")->IPv4Addresses()->Item(1)->IPAddress(), "192.168.1.23");
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

TEST_F(ProgramTest, DashesBelongToTheArgumentTheyStandIn) {
    EXPECT_EQ(Run("-n Ethernet -pxy proxy-1.example.com:8080 -s").status, 0);
    Connection("Ethernet");
    EXPECT_EQ(IEProxy::GetProxyServer(machine->GetPlatform()), "proxy-1.example.com:8080");

    const Outcome outcome = Run("-report " + dir.File("my-report.txt"));
    EXPECT_EQ(outcome.status, 0);
    EXPECT_THAT(testing::ReadFileBytes(dir.File("my-report.txt")),
                HasSubstr("Connection Name.........................Wi-Fi\r\n"));
    EXPECT_FALSE(fs::exists(dir.File("my")));
}

// Whatever can be checked is checked first: a refused command leaves the machine exactly as it was
// (no connection switched off and on, no lease renewed, no counter reset).
TEST_F(ProgramTest, RefusedCommandsChangeNothing) {
    ASSERT_EQ(Run("-list").status, 0);
    const std::string before = MachineState();
    const std::pair<std::string, std::string> refused[] = {
        {"-n Wi-Fi -m 01-00-5E-00-00-01 -re", "01-00-5E-00-00-01 is a multicast address"},
        {"-n Wi-Fi -nm 000000000000", "00-00-00-00-00-00 is all zeros."},
        {"-n 'Network Bridge' -r02 -re",
         "MAC Address of windows Network Bridge cannot be changed."},
        {"-n Ethernet -mac 001122334455", "Error: (1) Unknown option '-mac'."},
        {"-n Ethernet -re now", "Option -re takes no argument, but 'now' follows it."},
        {"-n Net -di",
         "Network connection name 'Net' matches several connections: Ethernet, Bluetooth Network "
         "Connection, vEthernet (Default Switch), Network Bridge."},
        {"-n Wi-Fi -p Nowhere -f '" + std::string(VEXAV6_FIXTURES_DIR) + "/presets/demo.kpf' -re",
         "Preset 'Nowhere' not found in preset file."},
        {"-n Wi-Fi -i 10.0.0.2 -re", "Invalid item '10.0.0.2' of option -i"},
    };
    for (const auto& [commandLine, message] : refused) {
        SCOPED_TRACE(commandLine);
        const Outcome outcome = Run(commandLine);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_THAT(outcome.err, HasSubstr(message));
        EXPECT_EQ(MachineState(), before);
    }
    // An exact name wins over the names that contain it.
    EXPECT_EQ(Run("-n ETHERNET -di -s").status, 0);
    EXPECT_FALSE(Connection("Ethernet")->State());
    EXPECT_TRUE(Connection("vEthernet (Default Switch)")->State());
}

TEST_F(ProgramTest, ConnectionNamesAreMatchedInAnyCaseOfUnicode) {
    EditMachine([](nlohmann::json& file) {
        file["registry"]
            ["HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-"
             "BFC1-08002BE10318}\\{7C1B9E44-2D6A-4F0B-8E35-A1C2D3E4F502}\\Connection"]["Name"] =
                "Ünïcødé café";
    });
    EXPECT_EQ(Run("-n 'ÜNÏCØDÉ CAFÉ' -di -s").status, 0);
    EXPECT_FALSE(Connection("Ünïcødé café")->State());
    EXPECT_EQ(Run("-n CAFÉ -en -s").status, 0);
    EXPECT_TRUE(Connection("Ünïcødé café")->State());
}

TEST_F(ProgramTest, FailuresAreReportedOnStandardErrorAlsoWhenSilent) {
    const std::string before = MachineState();
    Outcome outcome = Run("-n wi-fi -di -re");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_THAT(outcome.err,
                HasSubstr("Error: (1) Cannot restart network connection as disable option already "
                          "specified."));
    EXPECT_TRUE(Connection("Wi-Fi")->State());

    // Silent: no message box (nothing on standard output), but a script still learns why.
    outcome = Run("-n Nowhere -r -re -s");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_THAT(outcome.err, HasSubstr("Network connection 'Nowhere' was not found."));

    // File errors name the file.
    outcome = Run("-report " + dir.File("no-such-folder/report.txt") + " -s");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_THAT(outcome.err,
                HasSubstr("Error: (76) Path not found: " + dir.File("no-such-folder/report.txt")));
}

TEST_F(ProgramTest, WithoutConnectionsListsAreEmptyAndNamesAreNotFound) {
    EditMachine([](nlohmann::json& file) { file["devices"] = nlohmann::json::array(); });
    Outcome outcome = Run("-list");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "No network connections were found.\n");
    outcome = Run("-list json");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(nlohmann::json::parse(outcome.out), nlohmann::json::array());

    outcome = Run("-n Ethernet -r");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_THAT(outcome.err, HasSubstr("Error: (1) No network connections were found."));
}

TEST_F(ProgramTest, JsonVersionAndVendorsForScripts) {
    Outcome outcome = Run("-list json");
    ASSERT_EQ(outcome.status, 0);
    const nlohmann::json list = nlohmann::json::parse(outcome.out);
    ASSERT_EQ(list.size(), 5u);
    const nlohmann::json& ethernet = list[0];
    EXPECT_EQ(ethernet["connectionName"], "Ethernet");
    EXPECT_EQ(ethernet["mac"]["active"], "04-D4-C4-5A-12-7E");
    EXPECT_EQ(ethernet["mac"]["activeVendor"], "ASUSTek COMPUTER INC.");
    EXPECT_EQ(ethernet["mac"]["original"], "04-D4-C4-5A-12-7E");
    EXPECT_EQ(ethernet["link"]["speed"], 1000000000);
    EXPECT_EQ(ethernet["ipv4"]["dhcp"], true);
    EXPECT_EQ(ethernet["ipv4"]["addresses"][0]["address"], "192.168.1.23");
    EXPECT_EQ(ethernet["ipv4"]["gateways"][0]["address"], "192.168.1.1");
    EXPECT_EQ(ethernet["ipv4"]["dnsServers"], nlohmann::json({"192.168.1.1", "1.1.1.1"}));
    EXPECT_EQ(ethernet["ipv6"]["addresses"].size(), 2u);
    EXPECT_TRUE(list[2]["mac"]["active"].is_null());  // Bluetooth: switched off

    EXPECT_EQ(Run("-report json " + dir.File("report.json") + " -s").status, 0);
    const nlohmann::json report =
        nlohmann::json::parse(testing::ReadFileBytes(dir.File("report.json")));
    EXPECT_EQ(report["version"], app::FullVersion());
    EXPECT_EQ(report["date"], "2026-12-07T09:15:30");
    EXPECT_EQ(report["connections"], list);

    outcome = Run("--version");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, app::FullVersion() + "\n");

    outcome = Run("-vendor 00-15-5D");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "00-15-5D\tMicrosoft Corporation\n");
    outcome = Run("-vendor 'asustek computer'");
    EXPECT_THAT(outcome.out, HasSubstr("04-D4-C4\tASUSTek COMPUTER INC.\n"));
    EXPECT_EQ(Run("-vendor 'no such maker at all'").status, 1);
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
    EXPECT_THAT(report,
                StartsWith("Korvaldine MAC Address Changer v" + app::FullVersion() + "\r\n"));
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
    const Outcome outcome = Run("-n wi-fi -m 02aabbccddee -re -list", false);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_THAT(outcome.err, HasSubstr("changes are not kept"));
    EXPECT_THAT(outcome.out, HasSubstr("Wi-Fi\tYes\t02-AA-BB-CC-DD-EE"));
    EXPECT_EQ(testing::ReadFileBytes(demo), before);
}

}  // namespace
}  // namespace vexav6
