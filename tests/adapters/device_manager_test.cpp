#include "adapters/device_manager.h"

#include <gtest/gtest.h>

#include "adapter_machine.h"
#include "base/error.h"
#include "base/text.h"

namespace vexav6::testing {
namespace {

using sim::SimDevices;

class DeviceManagerTest : public AdapterMachineTest {
  protected:
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
        EXPECT_EQ(machine.devices.OpenSetCount(), 0u) << "a device set was left open";
    }
};

TEST_F(DeviceManagerTest, ListsTheBoundAdaptersInDeviceOrderWithTheirIdentity) {
    sim::AdapterSetup first = Setup();
    first.friendlyName = "Office LAN";
    first.hardwareIds = {"PCI\\VEN_8086&DEV_15B8&REV_10", "PCI\\VEN_8086&DEV_15B8"};
    Install(first);
    sim::AdapterSetup unbound = Setup("{1A2B3C4D-0000-4000-8000-0000000000FF}",
                                      "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0003");
    unbound.bindTcpip = false;  // no IpConfig value: TCP/IP is not bound to it
    Install(unbound);
    sim::AdapterSetup second = Setup(kGuidB, kDriverKeyB);
    second.description = "Realtek PCIe GbE Family Controller";
    second.manufacturer = "Realtek";
    second.enabled = false;
    Install(second);

    const auto adapters = List();
    ASSERT_EQ(adapters.Count(), 2);
    EXPECT_EQ(adapters.Key(1), kGuidA);
    EXPECT_EQ(adapters.Key(2), kGuidB);

    const AdapterInfo& a = *adapters.Item(1);
    EXPECT_EQ(a.NetCfgInstanceId(), kGuidA);
    EXPECT_EQ(a.DriverRegistryPath(), kDriverKeyA);
    EXPECT_EQ(a.DeviceHardwareID(), "PCI\\VEN_8086&DEV_15B8&REV_10");  // the first of the list
    EXPECT_EQ(a.DeviceManufacturer(), "Intel");
    EXPECT_EQ(a.ConnectionName(), "Ethernet");
    EXPECT_EQ(a.AdminStatus(), 1);
    // The IpConfig list as read, its closing zero included.
    EXPECT_EQ(a.IPConfigRegistryPath(),
              std::string("Tcpip\\Parameters\\Interfaces\\") + kGuidA + std::string(1, '\0'));

    // Without a friendly name the device description is shown; a disabled device keeps it (there
    // is no interface to describe it otherwise).
    const AdapterInfo& b = *adapters.Item(2);
    EXPECT_EQ(b.DeviceDescription(), "Realtek PCIe GbE Family Controller");
    EXPECT_EQ(b.DeviceManufacturer(), "Realtek");
    EXPECT_EQ(b.AdminStatus(), 2);
    EXPECT_EQ(b.LinkStatus(), "Down, Non Operational");
    EXPECT_TRUE(machine.ui.Boxes().empty());
    EXPECT_EQ(machine.devices.OpenSetCount(), 0u);
}

TEST_F(DeviceManagerTest, FriendlyNameIsTheDescriptionUntilTheInterfaceDescribesItself) {
    sim::AdapterSetup setup = Setup();
    setup.friendlyName = "Office LAN";
    setup.enabled = false;
    Install(setup);
    EXPECT_EQ(Adapter()->DeviceDescription(), "Office LAN");
}

TEST_F(DeviceManagerTest, TimeZoneBiasIsTheNegatedActiveTimeBiasOrZero) {
    Install(Setup());
    const char* zone = "SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
    EXPECT_EQ(Adapter()->TimeZoneActiveBias(), 0);  // no time-zone value at all

    machine.registry.PutDword(kHklm, zone, "ActiveTimeBias", 300);  // US Eastern
    EXPECT_EQ(Adapter()->TimeZoneActiveBias(), -300);
    machine.registry.PutDword(kHklm, zone, "ActiveTimeBias", static_cast<uint32_t>(-60));
    EXPECT_EQ(Adapter()->TimeZoneActiveBias(), 60);

    machine.registry.PutBinary(kHklm, zone, "ActiveTimeBias", {0x2C, 0x01});  // not 4 bytes
    EXPECT_EQ(Adapter()->TimeZoneActiveBias(), 0);
}

TEST_F(DeviceManagerTest, DeviceSetThatCannotBeObtainedIsAnErrorOfTheStep) {
    Install(Setup());
    machine.devices.InjectFailure(SimDevices::Call::GetClassDevs, 5);
    ExpectError([&] { List(); }, 5, "GetNetworkAdapters", "Access is denied.");
    machine.devices.InjectFailure(SimDevices::Call::GetClassDevs, 5);
    ExpectError([&] { DeviceManager::IsAdapterDeviceEnabled(platform, kDriverKeyA); }, 5,
                "GetDevice", "Access is denied.");
}

TEST_F(DeviceManagerTest, StateIsReadAndChangedThroughTheDriverKeyIgnoringCase) {
    Install(Setup());
    Install(Setup(kGuidB, kDriverKeyB));
    const std::string lowerKey = text::ToLower(kDriverKeyB);

    EXPECT_TRUE(DeviceManager::IsAdapterDeviceEnabled(platform, lowerKey));
    const uint64_t slept = machine.system.TotalSleptMs();
    DeviceManager::SetAdapterDeviceEnabled(platform, lowerKey, false);
    EXPECT_FALSE(DeviceManager::IsAdapterDeviceEnabled(platform, kDriverKeyB));
    EXPECT_TRUE(DeviceManager::IsAdapterDeviceEnabled(platform, kDriverKeyA));
    EXPECT_FALSE(machine.devices.IsRunning(kDriverKeyB));
    ASSERT_EQ(machine.devices.StateChanges().size(), 1u);
    EXPECT_EQ(machine.devices.StateChanges()[0].driverKey, kDriverKeyB);
    EXPECT_EQ(machine.devices.StateChanges()[0].stateChange, platform::dics::kDisable);
    EXPECT_EQ(machine.system.TotalSleptMs(), slept + 500);  // the driver settles

    // Already disabled: no request and no wait.
    DeviceManager::SetAdapterDeviceEnabled(platform, kDriverKeyB, false);
    EXPECT_EQ(machine.devices.StateChanges().size(), 1u);
    EXPECT_EQ(machine.system.TotalSleptMs(), slept + 500);

    DeviceManager::SetAdapterDeviceEnabled(platform, kDriverKeyB, true);
    EXPECT_TRUE(machine.devices.IsRunning(kDriverKeyB));
    EXPECT_EQ(machine.system.TotalSleptMs(), slept + 1000);
    EXPECT_EQ(machine.devices.OpenSetCount(), 0u);
}

TEST_F(DeviceManagerTest, AnUnknownOrEmptyDriverKeyFindsNoDevice) {
    Install(Setup());
    ExpectError([&] { DeviceManager::IsAdapterDeviceEnabled(platform, "{4D36E972}\\0099"); }, 1,
                "GetDevice", "Device not found.");
    // Every key contains the empty text; it must not switch off the first device.
    ExpectError([&] { DeviceManager::SetAdapterDeviceEnabled(platform, "", false); }, 1,
                "GetDevice", "Device not found.");
    EXPECT_TRUE(machine.devices.IsRunning(kDriverKeyA));
}

TEST_F(DeviceManagerTest, RefusedStateChangeRaisesTheSystemErrorAndReleasesTheSet) {
    Install(Setup());
    machine.system.isAdmin = false;
    const uint64_t slept = machine.system.TotalSleptMs();
    ExpectError([&] { DeviceManager::SetAdapterDeviceEnabled(platform, kDriverKeyA, false); }, 5,
                "SetDeviceState", "Access is denied.");
    EXPECT_EQ(machine.system.TotalSleptMs(), slept);
    EXPECT_TRUE(machine.devices.IsRunning(kDriverKeyA));

    machine.system.isAdmin = true;
    machine.devices.InjectFailure(SimDevices::Call::SetClassInstallParams, 87, 1, kDriverKeyA);
    ExpectError([&] { DeviceManager::SetAdapterDeviceEnabled(platform, kDriverKeyA, false); }, 87,
                "SetDeviceState", "The parameter is incorrect.");
}

TEST_F(DeviceManagerTest, FoundDeviceSetBelongsToTheCaller) {
    sim::AdapterSetup setup = Setup();
    setup.manufacturer = "";
    Install(setup);
    DeviceManager::DeviceInfoSet set;
    platform::DevInfoData device;
    DeviceManager::GetDevice(platform, set, device, kDriverKeyA);
    ASSERT_TRUE(set.Held());
    EXPECT_EQ(DeviceManager::GetDevicePropertyString(platform, set.Get(), device,
                                                     platform::spdrp::kDriver),
              kDriverKeyA);
    // A property the device does not have reads as empty text.
    EXPECT_EQ(
        DeviceManager::GetDevicePropertyString(platform, set.Get(), device, platform::spdrp::kMfg),
        "");
    EXPECT_TRUE(DeviceManager::GetDeviceState(platform, set.Get(), device));
    EXPECT_EQ(machine.devices.OpenSetCount(), 1u);  // the caller owns the set until it goes
    set.Release();
    EXPECT_EQ(machine.devices.OpenSetCount(), 0u);
}

}  // namespace
}  // namespace vexav6::testing
