#include "adapters/adapter_info.h"

#include <gtest/gtest.h>

#include "adapter_machine.h"
#include "base/error.h"
#include "ipconfig/ipv4_addresses.h"
#include "ipconfig/ipv4_name_servers.h"

namespace vexav6::testing {
namespace {

using sim::DriverProfile;
using sim::SimIpStack;

class AdapterInfoTest : public AdapterMachineTest {
  protected:
    std::optional<std::string> Stored(const char* name) {
        return machine.registry.GetString(kHklm, kClassKeyA, name);
    }

    void ExpectRefused(AdapterInfo& adapter, const std::string& address,
                       const std::string& description) {
        try {
            adapter.ChangeNetworkAddress(address);
            ADD_FAILURE() << address << " was taken";
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), 1) << address;
            EXPECT_EQ(e.Source(), "AdapterInfo.ChangeNetworkAddress") << address;
            EXPECT_EQ(e.Description(), description) << address;
        }
        EXPECT_FALSE(Stored("NetworkAddress").has_value()) << address << " was stored";
    }
};

TEST_F(AdapterInfoTest, MacAddressChangeTakesEffectWhenTheDeviceRestarts) {
    Install(Setup());  // burned-in 00-1B-21-3A-4F-5C
    const auto adapter = Adapter();
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "00-1B-21-3A-4F-5C");
    EXPECT_EQ(adapter->NetworkAddressChangedStatus(), "No");

    adapter->ChangeNetworkAddress("02-a0-b1-c2-d3-e4");
    EXPECT_EQ(Stored("NetworkAddress"), "02A0B1C2D3E4");
    EXPECT_EQ(adapter->ChangedNetworkAddress(), "02-A0-B1-C2-D3-E4");
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "00-1B-21-3A-4F-5C");  // not before the restart

    Restart(*adapter);
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "02-A0-B1-C2-D3-E4");
    EXPECT_EQ(adapter->OriginalNetworkAddress(), "00-1B-21-3A-4F-5C");
    EXPECT_EQ(adapter->HasNetworkAddressChanged(), 1);
    EXPECT_EQ(adapter->NetworkAddressChangedStatus(), "Yes");
    EXPECT_EQ(adapter->DisplayNetworkAddress(), "02-A0-B1-C2-D3-E4");

    // A new listing of the adapters sees the same.
    const auto again = Adapter();
    EXPECT_EQ(again->HasNetworkAddressChanged(), 1);
    EXPECT_EQ(again->ChangedNetworkAddress(), "02-A0-B1-C2-D3-E4");
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(AdapterInfoTest, TemporaryChangeLeavesNoStoredValueButKeepsTheRunningAddress) {
    Install(Setup());
    const auto adapter = Adapter();
    adapter->ChangeNetworkAddress("0A1B2C3D4E5F");
    Restart(*adapter);
    adapter->ChangeNetworkAddress("");
    adapter->Refresh(true);

    EXPECT_FALSE(Stored("NetworkAddress").has_value());
    EXPECT_EQ(adapter->ChangedNetworkAddress(), "");
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "0A-1B-2C-3D-4E-5F");
    EXPECT_EQ(adapter->HasNetworkAddressChanged(), 1);

    // The next start of the driver brings the burned-in address back.
    Restart(*adapter);
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "00-1B-21-3A-4F-5C");
    EXPECT_EQ(adapter->HasNetworkAddressChanged(), 2);
}

TEST_F(AdapterInfoTest, RestoringTheOriginalBringsBackTheBurnedInAddress) {
    Install(Setup());
    const auto adapter = Adapter();
    adapter->ChangeNetworkAddress("0A-1B-2C-3D-4E-5F");
    Restart(*adapter);
    adapter->Refresh(true);
    ASSERT_EQ(adapter->HasNetworkAddressChanged(), 1);

    adapter->ResetOriginalNetworkAddress();
    EXPECT_EQ(adapter->OriginalNetworkAddress(), "");
    EXPECT_EQ(adapter->ChangedNetworkAddress(), "");
    EXPECT_FALSE(Stored("NetworkAddress").has_value());
    EXPECT_FALSE(Stored("OriginalNetworkAddress").has_value());

    Restart(*adapter);
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "00-1B-21-3A-4F-5C");
    EXPECT_EQ(adapter->OriginalNetworkAddress(), "00-1B-21-3A-4F-5C");  // recorded again
    EXPECT_EQ(Stored("OriginalNetworkAddress"), "00-1B-21-3A-4F-5C");
    EXPECT_EQ(adapter->HasNetworkAddressChanged(), 2);

    // Without a recorded original there is nothing to reset: the missing value's error, and the
    // stored change stays.
    adapter->ChangeNetworkAddress("0A-1B-2C-3D-4E-5F");
    machine.registry.RemoveValue(kHklm, kClassKeyA, "OriginalNetworkAddress");
    try {
        adapter->ResetOriginalNetworkAddress();
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), 2);
        EXPECT_EQ(e.Source(), "AdapterInfo.ResetOriginalNetworkAddress");
        EXPECT_EQ(e.Description(), "The system cannot find the file specified.");
    }
    EXPECT_EQ(Stored("NetworkAddress"), "0A1B2C3D4E5F");
}

TEST_F(AdapterInfoTest, WirelessAdapterTakesOnlyLocallyAdministeredAddresses) {
    sim::AdapterSetup setup = Setup();
    setup.driver = DriverProfile::Wireless;
    setup.burnedInAddress = "48-51-C5-2B-90-3D";
    Install(setup);
    const auto adapter = Adapter();

    adapter->ChangeNetworkAddress("00-11-22-33-44-55");
    Restart(*adapter);
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "48-51-C5-2B-90-3D");
    EXPECT_EQ(adapter->HasNetworkAddressChanged(), 2);  // not taken
    EXPECT_EQ(adapter->NetworkAddressChangedStatus(), "No");

    adapter->ChangeNetworkAddress("02-11-22-33-44-55");
    Restart(*adapter);
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "02-11-22-33-44-55");
    EXPECT_EQ(adapter->HasNetworkAddressChanged(), 1);
}

TEST_F(AdapterInfoTest, OnlyTwelveHexDigitsOfAUnicastAddressAreStored) {
    Install(Setup());
    const auto adapter = Adapter();
    const char* kFormat = "Invalid MAC address format.";
    ExpectRefused(*adapter, "0A:1B:2C:3D:4E:5F", kFormat);  // colons are not separators here
    ExpectRefused(*adapter, "0A1B2C3D4E5", kFormat);
    ExpectRefused(*adapter, "0A1B2C3D4E5F6", kFormat);
    ExpectRefused(*adapter, "0G-1B-2C-3D-4E-5F", kFormat);  // twelve characters, not all hex
    ExpectRefused(*adapter, "0A 1B 2C 3D 4E", kFormat);
    ExpectRefused(*adapter, "ff-ff-ff-ff-ff-ff",
                  "Invalid MAC address: FF-FF-FF-FF-FF-FF is the broadcast address.");
    ExpectRefused(*adapter, "01-00-5E-00-00-FB",
                  "Invalid MAC address: 01-00-5E-00-00-FB is a multicast address (its first "
                  "octet is odd).");
    ExpectRefused(*adapter, "33-33-00-00-00-01",
                  "Invalid MAC address: 33-33-00-00-00-01 is a multicast address (its first "
                  "octet is odd).");
    ExpectRefused(*adapter, "000000000000", "Invalid MAC address: 00-00-00-00-00-00 is all zeros.");
    EXPECT_EQ(adapter->ChangedNetworkAddress(), "");

    adapter->ChangeNetworkAddress("0a-1b-2c-3d-4e-5f");
    EXPECT_EQ(Stored("NetworkAddress"), "0A1B2C3D4E5F");
    EXPECT_EQ(adapter->ChangedNetworkAddress(), "0A-1B-2C-3D-4E-5F");
}

TEST_F(AdapterInfoTest, NetworkBridgeRefusesEveryChange) {
    sim::AdapterSetup setup = Setup();
    setup.hardwareIds = {"ms_bridgemp"};
    setup.driver = DriverProfile::Bridge;
    Install(setup);
    const auto adapter = Adapter();
    for (const char* address : {"02-11-22-33-44-55", ""}) {
        try {
            adapter->ChangeNetworkAddress(address);
            ADD_FAILURE() << "the bridge took '" << address << "'";
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), 1);
            EXPECT_EQ(e.Description().rfind("MAC Address of windows Network Bridge cannot be "
                                            "changed. Network Bridge will use original MAC",
                                            0),
                      0u);
        }
    }
}

TEST_F(AdapterInfoTest, RemovingAnAbsentChangeDoesNothing) {
    Install(Setup());
    const auto adapter = Adapter();
    adapter->ChangeNetworkAddress("");
    EXPECT_FALSE(Stored("NetworkAddress").has_value());

    machine.registry.InjectFailure(sim::SimRegistry::Op::Set, kHklm, kClassKeyA, "NetworkAddress",
                                   5);
    try {
        adapter->ChangeNetworkAddress("0A-1B-2C-3D-4E-5F");
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), 5);
        EXPECT_EQ(e.Description(), "Access is denied.");
    }
    EXPECT_EQ(adapter->ChangedNetworkAddress(), "");
}

TEST_F(AdapterInfoTest, FirstRefreshRecordsTheActiveAddressAsOriginal) {
    // The driver already runs with a stored address when the program first sees the adapter.
    Install(Setup());
    machine.registry.PutString(kHklm, kClassKeyA, "NetworkAddress", "0A1B2C3D4E5F");
    const auto pre = Adapter();
    Restart(*pre);
    machine.registry.RemoveValue(kHklm, kClassKeyA, "OriginalNetworkAddress");

    const auto adapter = Adapter();
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "0A-1B-2C-3D-4E-5F");
    EXPECT_EQ(adapter->OriginalNetworkAddress(), "0A-1B-2C-3D-4E-5F");
    EXPECT_EQ(Stored("OriginalNetworkAddress"), "0A-1B-2C-3D-4E-5F");
    EXPECT_EQ(adapter->HasNetworkAddressChanged(), 2);
}

TEST_F(AdapterInfoTest, DisabledAdapterJudgesTheStoredChange) {
    sim::AdapterSetup setup = Setup();
    setup.enabled = false;
    Install(setup);
    machine.registry.PutString(kHklm, kClassKeyA, "NetworkAddress", "0a1b2c3d4e5f");

    // No original recorded: nothing to compare with.
    auto adapter = Adapter();
    EXPECT_EQ(adapter->ChangedNetworkAddress(), "0A-1B-2C-3D-4E-5F");
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "");
    EXPECT_EQ(adapter->HasNetworkAddressChanged(), 0);
    EXPECT_EQ(adapter->NetworkAddressChangedStatus(), "Unknown");
    EXPECT_EQ(adapter->DisplayNetworkAddress(), "");
    EXPECT_FALSE(Stored("OriginalNetworkAddress").has_value());

    machine.registry.PutString(kHklm, kClassKeyA, "OriginalNetworkAddress", "00-1b-21-3a-4f-5c");
    adapter = Adapter();
    EXPECT_EQ(adapter->OriginalNetworkAddress(), "00-1B-21-3A-4F-5C");
    EXPECT_EQ(adapter->HasNetworkAddressChanged(), 1);
    EXPECT_EQ(adapter->DisplayNetworkAddress(), "0A-1B-2C-3D-4E-5F");

    machine.registry.PutString(kHklm, kClassKeyA, "NetworkAddress", "001B213A4F5C");
    adapter = Adapter();
    EXPECT_EQ(adapter->HasNetworkAddressChanged(), 2);
    EXPECT_EQ(adapter->DisplayNetworkAddress(), "00-1B-21-3A-4F-5C");

    // A stored value of another length is not an address: the field keeps what it had.
    machine.registry.PutString(kHklm, kClassKeyA, "NetworkAddress", "0A1B2C3D4E");
    adapter->Refresh(true);
    EXPECT_EQ(adapter->ChangedNetworkAddress(), "00-1B-21-3A-4F-5C");
}

TEST_F(AdapterInfoTest, OlderWindowsAdapterOutsideTheIpStackShowsNoError) {
    machine.system.version.major = 5;
    machine.system.version.minor = 1;
    sim::AdapterSetup setup = Setup();
    setup.enabled = false;
    Install(setup);
    const auto adapter = Adapter();
    EXPECT_EQ(adapter->IfIndex(), 0);
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "");
    EXPECT_EQ(adapter->AdminStatus(), 2);
    EXPECT_EQ(adapter->LinkSpeed(), 0);
    EXPECT_TRUE(machine.ui.Boxes().empty());

    // The only adapter of the machine: the system has no interface to list at all.
    machine.ipStack.InjectFailure(SimIpStack::Call::GetAdapterIndex, 232);
    adapter->Refresh(true);
    EXPECT_EQ(adapter->IfIndex(), 0);
    EXPECT_TRUE(machine.ui.Boxes().empty());

    // Enabled, but its driver never brought an interface up: the IP Helper tables have nothing
    // to list at all, which is no error either.
    DeviceManager::SetAdapterDeviceEnabled(platform, kDriverKeyA, true);
    machine.ipStack.Unregister(kGuidA);
    const auto enabled = Adapter();
    EXPECT_EQ(enabled->IfIndex(), 0);
    EXPECT_EQ(enabled->AdminStatus(), 1);
    EXPECT_EQ(enabled->ActiveNetworkAddress(), "");
    EXPECT_EQ(enabled->IPv4Addresses()->Count(), 0);
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(AdapterInfoTest, AdapterWithoutInterfaceStillReadsItsIdentity) {
    Install(Setup());
    machine.registry.PutString(kHklm, kClassKeyA, "OriginalNetworkAddress", "00-1B-21-3A-4F-5C");
    DeviceManager::SetAdapterDeviceEnabled(platform, kDriverKeyA, false);
    machine.ipStack.Unregister(kGuidA);  // not even registered with the IP stack
    const auto adapter = Adapter();
    EXPECT_EQ(adapter->IfIndex(), 0);
    EXPECT_EQ(adapter->Luid(), 0u);
    EXPECT_EQ(adapter->ConnectionName(), "Ethernet");
    EXPECT_EQ(adapter->OriginalNetworkAddress(), "00-1B-21-3A-4F-5C");
    EXPECT_TRUE(adapter->IPv4Binding());
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(AdapterInfoTest, StatusOfARunningAdapter) {
    sim::AdapterSetup setup = Setup();
    setup.index = 7;
    setup.speed = 2500000000u;  // more than a signed 32-bit number holds
    Install(setup);
    const auto adapter = Adapter();
    EXPECT_EQ(adapter->IfIndex(), 7);
    EXPECT_EQ(adapter->LinkSpeed(), 2500000000);
    EXPECT_EQ(adapter->LinkStatus(), "Up, Operational");
    EXPECT_EQ(adapter->DeviceDescription(), "Intel(R) Ethernet Connection I219-V");
    // LUID: interface type 6 above the NetLuidIndex 0x8000, bytes least significant first.
    EXPECT_EQ(adapter->Luid(), (uint64_t{6} << 48) | (uint64_t{0x8000} << 24));
    EXPECT_EQ(adapter->LuidText(), "0000000080000600");

    machine.ipStack.SetOperStatus(kGuidA, 2);
    adapter->Refresh(true);
    EXPECT_EQ(adapter->LinkStatus(), "Up, Disconnected");
}

TEST_F(AdapterInfoTest, RefreshShowsErrorsOnlyWhenAskedAndKeepsReading) {
    Install(Setup());
    const auto adapter = Adapter();
    machine.ui.ClearBoxes();

    machine.ipStack.InjectFailure(SimIpStack::Call::GetAdapterIndex, 5);
    adapter->Refresh(false);
    EXPECT_TRUE(machine.ui.Boxes().empty());

    machine.ipStack.InjectFailure(SimIpStack::Call::GetAdapterIndex, 5);
    adapter->Refresh(true);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_NE(machine.ui.Boxes()[0].text.find("Source: AdapterInfo.Refresh"), std::string::npos);
    EXPECT_NE(machine.ui.Boxes()[0].text.find("Error: (5) Access is denied."), std::string::npos);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "Error - Korvaldine MAC Address Changer v6");

    // One reader failing does not stop the next: the IP configuration is still read.
    machine.ui.ClearBoxes();
    machine.ipStack.InjectFailure(SimIpStack::Call::GetIfEntry, 1);
    machine.registry.PutString(kHklm, kInterfaceKeyA, "NameServer", "9.9.9.9");
    adapter->Refresh(true);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_NE(machine.ui.Boxes()[0].text.find("Source: AdapterInfo.GetInterfaceInfoFromAPI"),
              std::string::npos);
    EXPECT_EQ(adapter->IPv4NameServers()->Count(), 1);
}

TEST_F(AdapterInfoTest, InitIsDoneOnce) {
    Install(Setup());
    const auto adapter = Adapter();
    try {
        adapter->Init(kGuidA, kDriverKeyA, "", "", "", "", true, 0);
        ADD_FAILURE() << "second Init taken";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), 1);
        EXPECT_EQ(e.Source(), "AdapterInfo.Init");
        EXPECT_EQ(e.Description(), "Init already done");
    }
}

}  // namespace
}  // namespace vexav6::testing
