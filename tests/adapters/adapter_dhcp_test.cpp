#include <gtest/gtest.h>

#include "adapter_machine.h"
#include "base/error.h"
#include "ipconfig/ipv4_addresses.h"
#include "ipconfig/ipv4_gateways.h"
#include "system/exec_pipe.h"

namespace vexav6::testing {
namespace {

constexpr const char* kStaticGuid = "{C4D5E6F7-0819-4A2B-BC3D-4E5F60718201}";
constexpr const char* kStaticInterfaceKey =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{C4D5E6F7-0819-4A2B-BC3D-"
    "4E5F60718201}";
constexpr const char* kPersistentRoutes =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\PersistentRoutes";

std::vector<uint8_t> Bytes(std::string_view text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

class DhcpTest : public AdapterMachineTest {
  protected:
    std::vector<uint8_t> Raw(const std::string& key, const std::string& name) {
        const auto value = machine.registry.Get(kHklm, key, name);
        return value ? value->data : std::vector<uint8_t>{};
    }

    void ExpectError(const std::function<void()>& call, int32_t number, const std::string& source,
                     const std::string& description) {
        try {
            call();
            ADD_FAILURE() << "no error raised";
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), number);
            EXPECT_EQ(e.Source(), source);
            EXPECT_EQ(e.Description(), description);
        }
    }

    void InstallDhcp(const char* guid, const char* driverKey, const char* address) {
        sim::AdapterSetup setup = Setup(guid, driverKey);
        sim::DhcpServerAnswer answer;
        answer.server = "192.168.7.1";
        answer.address = address;
        answer.mask = "255.255.255.0";
        answer.gateways = {"192.168.7.1"};
        setup.network.dhcp = answer;
        Install(setup);
    }
};

TEST_F(DhcpTest, SwitchingDhcpv4OffClearsTheStaticConfiguration) {
    Load("static-ip.json");
    const auto adapter = Adapter(kStaticGuid);
    adapter->EnableDHCPv4(false);

    EXPECT_EQ(machine.registry.GetDword(kHklm, kStaticInterfaceKey, "EnableDHCP"), 0u);
    EXPECT_EQ(machine.registry.Get(kHklm, kStaticInterfaceKey, "EnableDHCP")->type,
              platform::regtype::kDword);
    for (const char* name : {"IPAddress", "SubnetMask"}) {
        EXPECT_EQ(Raw(kStaticInterfaceKey, name), Bytes(std::string_view("0.0.0.0\0\0", 9)));
        EXPECT_EQ(machine.registry.Get(kHklm, kStaticInterfaceKey, name)->type,
                  platform::regtype::kMultiSz);
    }
    for (const char* name : {"DefaultGateway", "DefaultGatewayMetric"}) {
        EXPECT_EQ(Raw(kStaticInterfaceKey, name), Bytes(std::string_view("\0", 1)));
    }
    // The persistent default route through a listed gateway is gone as well.
    EXPECT_TRUE(machine.registry.ValueNames(kHklm, kPersistentRoutes).empty());

    adapter->Refresh(true);
    EXPECT_FALSE(adapter->DHCPv4Enabled());
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(DhcpTest, SwitchingDhcpv4OnIsReadBackAndAFailedWriteIsRaised) {
    Load("static-ip.json");
    const auto adapter = Adapter(kStaticGuid);
    adapter->EnableDHCPv4(true);
    EXPECT_EQ(machine.registry.GetDword(kHklm, kStaticInterfaceKey, "EnableDHCP"), 1u);
    EXPECT_TRUE(adapter->DHCPv4Enabled());

    machine.registry.InjectFailure(sim::SimRegistry::Op::Set, kHklm, kStaticInterfaceKey,
                                   "SubnetMask", 5);
    ExpectError([&] { adapter->EnableDHCPv4(false); }, 5, "AdapterInfo.EnableDHCPv4",
                "Access is denied.");
    // The switch itself was written before the failing step.
    EXPECT_FALSE(adapter->DHCPv4Enabled());
    EXPECT_EQ(machine.registry.GetDword(kHklm, kStaticInterfaceKey, "EnableDHCP"), 0u);
}

TEST_F(DhcpTest, SwitchingDhcpv6OnWritesANewInterfaceRecord) {
    Load("static-ip.json");
    const auto adapter = Adapter(kStaticGuid);
    const std::string key = std::string(kNsiKey) + "7";
    ASSERT_FALSE(machine.registry.Get(kHklm, key, adapter->LuidText()).has_value());

    adapter->EnableDHCPv6(true);
    const auto value = machine.registry.Get(kHklm, key, "0000000180000600");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, platform::regtype::kBinary);
    ASSERT_EQ(value->data.size(), 368u);
    for (size_t i = 0; i < value->data.size(); ++i) {
        uint8_t expected = 0xFF;
        if (i == 0 || (i >= 20 && i < 24) || (i >= 32 && i < 44) || (i >= 120 && i < 124)) {
            expected = 0;
        } else if (i == 10) {
            expected = 1;
        }
        EXPECT_EQ(value->data[i], expected) << "byte " << i;
    }
    EXPECT_TRUE(adapter->DHCPv6Enabled());
    adapter->Refresh(true);
    EXPECT_TRUE(adapter->DHCPv6Enabled());
    EXPECT_EQ(adapter->IPv6RouterDiscovery(), 0);
}

TEST_F(DhcpTest, SwitchingDhcpv6OnKeepsTheRestOfAnExistingRecord) {
    Load("static-ip.json");
    const auto adapter = Adapter(kStaticGuid);
    const std::string key = std::string(kNsiKey) + "7";
    std::vector<uint8_t> record(368, 0x11);
    machine.registry.PutBinary(kHklm, key, "0000000180000600", record);
    adapter->EnableDHCPv6(true);
    const std::vector<uint8_t> written = Raw(key, "0000000180000600");
    ASSERT_EQ(written.size(), 368u);
    EXPECT_EQ(written[0], 0);
    EXPECT_EQ(written[10], 1);
    EXPECT_EQ(written[20], 0);
    EXPECT_EQ(written[32], 0x11);
    EXPECT_EQ(written[367], 0x11);
}

TEST_F(DhcpTest, SwitchingDhcpv6OffDeletesTheRecord) {
    Load("static-ip.json");
    const auto adapter = Adapter(kStaticGuid);
    // Nothing to delete: the missing value's error.
    ExpectError([&] { adapter->EnableDHCPv6(false); }, 2, "AdapterInfo.EnableDHCPv6",
                "The system cannot find the file specified.");

    adapter->EnableDHCPv6(true);
    adapter->EnableDHCPv6(false);
    EXPECT_FALSE(machine.registry.Get(kHklm, std::string(kNsiKey) + "7", "0000000180000600"));
    EXPECT_FALSE(adapter->DHCPv6Enabled());
}

TEST_F(DhcpTest, Dhcpv4LeaseIsReleasedAndRenewedForTheRightAdapter) {
    InstallDhcp(kGuidA, kDriverKeyA, "192.168.7.20");
    InstallDhcp(kGuidB, kDriverKeyB, "192.168.7.21");
    const auto adapters = List();
    const auto b = adapters.Item(kGuidB);  // not the first of the interface table
    ASSERT_EQ(b->IPv4Addresses()->Item(1)->IPAddress(), "192.168.7.21");

    b->DHCPv4Action(0);
    b->Refresh(true);
    EXPECT_EQ(b->IPv4Addresses()->Item(1)->IPAddress(), "0.0.0.0");
    adapters.Item(kGuidA)->Refresh(true);
    EXPECT_EQ(adapters.Item(kGuidA)->IPv4Addresses()->Item(1)->IPAddress(), "192.168.7.20");

    b->DHCPv4Action(2);  // neither
    b->Refresh(true);
    EXPECT_EQ(b->IPv4Addresses()->Item(1)->IPAddress(), "0.0.0.0");

    b->DHCPv4Action(1);
    b->Refresh(true);
    EXPECT_EQ(b->IPv4Addresses()->Item(1)->IPAddress(), "192.168.7.21");
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(DhcpTest, Dhcpv4ActionNeedsARunningInterface) {
    InstallDhcp(kGuidA, kDriverKeyA, "192.168.7.20");
    const auto adapter = Adapter();
    adapter->SetState(false);
    adapter->Refresh(true);
    // The only adapter is off: the interface table is empty, which is the same answer.
    ExpectError([&] { adapter->DHCPv4Action(1); }, 1, "AdapterInfo.DHCPv4Action",
                "Device not found.");

    adapter->SetState(true);
    adapter->Refresh(true);
    machine.system.isAdmin = false;
    ExpectError([&] { adapter->DHCPv4Action(0); }, 5, "AdapterInfo.DHCPv4Action",
                "Access is denied.");
}

TEST_F(DhcpTest, Dhcpv6ActionsRunIpconfigWithoutAWindow) {
    Install(Setup());
    const auto adapter = Adapter();
    adapter->DHCPv6Action(0);
    adapter->DHCPv6Action(7);
    adapter->DHCPv6Action(1);
    const auto& commands = machine.system.ConsoleCommands();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].commandLine, "ipconfig /release6");
    EXPECT_EQ(commands[0].directory, "");
    EXPECT_EQ(commands[0].creationFlags, 32u);
    EXPECT_FALSE(commands[0].showWindow);
    EXPECT_EQ(commands[1].commandLine, "ipconfig /renew6");
}

TEST_F(DhcpTest, ConsoleCommandThatCannotRunIsAnError) {
    machine.system.onConsoleCommand = [](const sim::SimSystem::ConsoleCommand&) {
        return platform::status::kFileNotFound;
    };
    try {
        ExecPipe::RunConsoleCommand(platform, "ipconfig /renew6", "", 32, false);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), 1);
        EXPECT_EQ(e.Source(), "Vexav6");  // raised without a source
        EXPECT_NE(e.Description().find("ipconfig /renew6"), std::string::npos);
        EXPECT_NE(e.Description().find("The system cannot find the file specified."),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace vexav6::testing
