#include "platform/sim/sim_devices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "platform/sim/adapter_setup.h"
#include "platform/sim/machine.h"
#include "platform/sim/sim_net_text.h"

namespace vexav6::sim {
namespace {

using platform::DevInfoData;
using platform::DevInfoSet;
using platform::RootKey;
namespace status = platform::status;
namespace spdrp = platform::spdrp;

constexpr const char* kEthernetGuid = "{3F2A6C1E-8B4D-4E21-9A7C-5D1E2F3A4B01}";
constexpr const char* kEthernetKey = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";
constexpr const char* kWifiGuid = "{7C1B9E44-2D6A-4F0B-8E35-A1C2D3E4F502}";
constexpr const char* kWifiKey = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0002";
constexpr const char* kClassRoot = "SYSTEM\\CurrentControlSet\\Control\\Class\\";

// A Windows 10 machine with a wired and a wireless adapter; tests add more where they need them.
class SimDevicesTest : public ::testing::Test {
  protected:
    SimDevicesTest() {
        AdapterSetup ethernet;
        ethernet.guid = kEthernetGuid;
        ethernet.driverKey = kEthernetKey;
        ethernet.friendlyName = "Intel(R) Ethernet Connection I219-V #2";
        ethernet.index = 12;
        AddNetworkAdapter(machine, ethernet);
        AdapterSetup wifi;
        wifi.guid = kWifiGuid;
        wifi.driverKey = kWifiKey;
        wifi.connectionName = "Wi-Fi";
        wifi.description = "Intel(R) Wi-Fi 6 AX201 160MHz";
        wifi.driver = DriverProfile::Wireless;
        wifi.burnedInAddress = "48-51-C5-2B-90-3D";
        wifi.index = 17;
        AddNetworkAdapter(machine, wifi);
    }

    // The devices of a DIGCF_PRESENT set, by driver key, in enumeration order.
    std::vector<std::string> EnumerateDriverKeys() {
        std::vector<std::string> keys;
        const DevInfoSet set =
            devices().GetClassDevs(SimDevices::kNetClassGuid, platform::digcf::kPresent);
        EXPECT_NE(set, platform::kInvalidDevInfoSet);
        DevInfoData record;
        for (uint32_t i = 0; devices().EnumDeviceInfo(set, i, record); ++i) {
            keys.push_back(ReadString(set, record, spdrp::kDriver));
        }
        EXPECT_EQ(devices().GetLastError(), status::kNoMoreItems);
        EXPECT_TRUE(devices().DestroyDeviceInfoList(set));
        return keys;
    }

    // The property as the program reads it: size first, then the text up to the first zero.
    std::string ReadString(DevInfoSet set, const DevInfoData& record, uint32_t property) {
        uint32_t required = 0;
        if (devices().GetDeviceRegistryProperty(set, record, property, nullptr, nullptr, 0,
                                                &required)) {
            ADD_FAILURE() << "a read without buffer succeeded";
            return "";
        }
        if (devices().GetLastError() != status::kInsufficientBuffer) {
            return "<" + std::to_string(devices().GetLastError()) + ">";
        }
        std::vector<uint8_t> buffer(required, ' ');
        uint32_t type = 0;
        EXPECT_TRUE(devices().GetDeviceRegistryProperty(set, record, property, &type, buffer.data(),
                                                        required, &required));
        return std::string(buffer.begin(), std::find(buffer.begin(), buffer.end(), 0));
    }

    // Finds a device in a fresh set and changes its state as the program does.
    bool ChangeState(const std::string& driverKey, uint32_t change) {
        const DevInfoSet set =
            devices().GetClassDevs(SimDevices::kNetClassGuid, platform::digcf::kPresent);
        DevInfoData record;
        bool done = false;
        for (uint32_t i = 0; devices().EnumDeviceInfo(set, i, record); ++i) {
            if (text::EqualsIgnoreCase(ReadString(set, record, spdrp::kDriver), driverKey)) {
                platform::PropChangeParams params;
                params.stateChange = change;
                done = devices().SetClassInstallParams(set, record, params) &&
                       devices().ChangeState(set, record);
                break;
            }
        }
        const platform::Status error = devices().GetLastError();
        devices().DestroyDeviceInfoList(set);
        lastError = error;
        return done;
    }

    std::string ActiveMac(const std::string& guid) {
        const auto* iface = machine.ipStack.FindInterface(guid);
        return iface != nullptr && iface->running ? nettext::FormatMac(iface->mac) : "";
    }

    void SetNetworkAddress(const std::string& driverKey, const std::string& value) {
        machine.registry.PutString(RootKey::LocalMachine, kClassRoot + driverKey, "NetworkAddress",
                                   value);
    }

    std::string Restart(const std::string& driverKey, const std::string& guid) {
        EXPECT_TRUE(ChangeState(driverKey, platform::dics::kDisable));
        EXPECT_TRUE(ChangeState(driverKey, platform::dics::kEnable));
        return ActiveMac(guid);
    }

    SimDevices& devices() { return machine.devices; }

    Machine machine;
    platform::Status lastError = 0;
};

TEST_F(SimDevicesTest, PresentSetListsPresentDevicesInInstallOrder) {
    SimDevice absent;
    absent.description = "Realtek USB GbE Family Controller";
    absent.driverKey = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0009";
    absent.present = false;
    devices().Add(absent);
    EXPECT_EQ(EnumerateDriverKeys(), (std::vector<std::string>{kEthernetKey, kWifiKey}));

    // Without DIGCF_PRESENT the absent device is listed too; another class gives an empty set.
    const DevInfoSet all = devices().GetClassDevs(SimDevices::kNetClassGuid, 0);
    DevInfoData record;
    EXPECT_TRUE(devices().EnumDeviceInfo(all, 2, record));
    const DevInfoSet other =
        devices().GetClassDevs(platform::Guid{0x4D36E968, 0xE325, 0x11CE, {}}, 2);
    EXPECT_FALSE(devices().EnumDeviceInfo(other, 0, record));
    EXPECT_EQ(devices().GetLastError(), status::kNoMoreItems);
    devices().DestroyDeviceInfoList(all);
    devices().DestroyDeviceInfoList(other);
    EXPECT_EQ(devices().OpenSetCount(), 0u);
}

TEST_F(SimDevicesTest, PropertiesFollowTheSizingRoundAndMissingOnesAnswer13) {
    const DevInfoSet set =
        devices().GetClassDevs(SimDevices::kNetClassGuid, platform::digcf::kPresent);
    DevInfoData record;
    ASSERT_TRUE(devices().EnumDeviceInfo(set, 0, record));

    uint32_t required = 0;
    EXPECT_FALSE(devices().GetDeviceRegistryProperty(set, record, spdrp::kHardwareId, nullptr,
                                                     nullptr, 0, &required));
    EXPECT_EQ(devices().GetLastError(), status::kInsufficientBuffer);
    const std::string id = "PCI\\VEN_8086&DEV_15B8&SUBSYS_86721043&REV_10";
    EXPECT_EQ(required, id.size() + 2);  // the entry's zero and the list's closing zero

    std::vector<uint8_t> small(required - 1);
    EXPECT_FALSE(
        devices().GetDeviceRegistryProperty(set, record, spdrp::kHardwareId, nullptr, small.data(),
                                            static_cast<uint32_t>(small.size()), &required));
    EXPECT_EQ(devices().GetLastError(), status::kInsufficientBuffer);

    std::vector<uint8_t> buffer(required);
    uint32_t type = 0;
    ASSERT_TRUE(devices().GetDeviceRegistryProperty(set, record, spdrp::kHardwareId, &type,
                                                    buffer.data(), required, nullptr));
    EXPECT_EQ(type, platform::regtype::kMultiSz);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), id + std::string(2, '\0'));

    EXPECT_EQ(ReadString(set, record, spdrp::kFriendlyName),
              "Intel(R) Ethernet Connection I219-V #2");
    EXPECT_EQ(ReadString(set, record, spdrp::kMfg), "Intel");
    ASSERT_TRUE(devices().EnumDeviceInfo(set, 1, record));
    // The wireless adapter has no friendly name.
    EXPECT_EQ(ReadString(set, record, spdrp::kFriendlyName), "<13>");
    EXPECT_EQ(ReadString(set, record, spdrp::kDeviceDesc), "Intel(R) Wi-Fi 6 AX201 160MHz");
    EXPECT_FALSE(
        devices().GetDeviceRegistryProperty(set, record, 0x40, nullptr, nullptr, 0, &required));
    EXPECT_EQ(devices().GetLastError(), 0xE0000209u);
    devices().DestroyDeviceInfoList(set);
}

TEST_F(SimDevicesTest, ConfigFlagsShowTheDisabledBit) {
    const auto flags = [&]() {
        const DevInfoSet set =
            devices().GetClassDevs(SimDevices::kNetClassGuid, platform::digcf::kPresent);
        DevInfoData record;
        EXPECT_TRUE(devices().EnumDeviceInfo(set, 1, record));
        uint32_t value = 0xFFFF;
        uint32_t type = 0;
        EXPECT_TRUE(devices().GetDeviceRegistryProperty(set, record, spdrp::kConfigFlags, &type,
                                                        reinterpret_cast<uint8_t*>(&value), 4,
                                                        nullptr));
        EXPECT_EQ(type, platform::regtype::kDword);
        devices().DestroyDeviceInfoList(set);
        return value;
    };
    EXPECT_EQ(flags() & 1, 0u);
    ASSERT_TRUE(ChangeState(kWifiKey, platform::dics::kDisable));
    EXPECT_EQ(flags() & 1, 1u);
    EXPECT_TRUE(devices().Find(kWifiKey)->Disabled());
    ASSERT_TRUE(ChangeState(kWifiKey, platform::dics::kEnable));
    EXPECT_EQ(flags() & 1, 0u);
}

TEST_F(SimDevicesTest, DestroyedSetsAndForeignRecordsFailLikeSetupApi) {
    const DevInfoSet first =
        devices().GetClassDevs(SimDevices::kNetClassGuid, platform::digcf::kPresent);
    const DevInfoSet second =
        devices().GetClassDevs(SimDevices::kNetClassGuid, platform::digcf::kPresent);
    DevInfoData record;
    ASSERT_TRUE(devices().EnumDeviceInfo(first, 0, record));
    uint32_t required = 0;
    EXPECT_FALSE(devices().GetDeviceRegistryProperty(second, record, spdrp::kDriver, nullptr,
                                                     nullptr, 0, &required));
    EXPECT_EQ(devices().GetLastError(), status::kInvalidParameter);

    DevInfoData wrongSize;
    wrongSize.size = 32;
    EXPECT_FALSE(devices().EnumDeviceInfo(first, 0, wrongSize));
    EXPECT_EQ(devices().GetLastError(), 1784u);

    EXPECT_TRUE(devices().DestroyDeviceInfoList(first));
    EXPECT_FALSE(devices().EnumDeviceInfo(first, 0, record));
    EXPECT_EQ(devices().GetLastError(), status::kInvalidHandle);
    EXPECT_FALSE(devices().DestroyDeviceInfoList(first));
    EXPECT_EQ(devices().GetLastError(), status::kInvalidHandle);
    devices().DestroyDeviceInfoList(second);
}

TEST_F(SimDevicesTest, DisablingTakesTheInterfaceOutOfTheIpTables) {
    uint32_t index = 0;
    ASSERT_EQ(machine.ipStack.GetAdapterIndex(
                  text::Utf8ToUtf16(std::string("\\DEVICE\\TCPIP_") + kEthernetGuid), index),
              status::kSuccess);
    EXPECT_EQ(index, 12u);
    ASSERT_TRUE(ChangeState(kEthernetKey, platform::dics::kDisable));

    std::vector<platform::IpAdapterInfo> adapters;
    ASSERT_EQ(machine.ipStack.GetAdaptersInfo(adapters), status::kSuccess);
    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_EQ(adapters[0].adapterName, kWifiGuid);
    std::vector<platform::IpAdapterIndexMap> maps;
    machine.ipStack.GetInterfaceInfo(maps);
    EXPECT_EQ(maps.size(), 1u);
    // From Windows 6.0 on the interface keeps its index and LUID while its device is disabled.
    EXPECT_EQ(machine.ipStack.GetAdapterIndex(
                  text::Utf8ToUtf16(std::string("\\DEVICE\\TCPIP_") + kEthernetGuid), index),
              status::kSuccess);
    uint64_t luid = 0;
    EXPECT_EQ(machine.ipStack.ConvertInterfaceIndexToLuid(12, luid), status::kSuccess);
    EXPECT_EQ(luid >> 48, platform::iftype::kEthernet);
}

TEST_F(SimDevicesTest, BeforeWindows6ADisabledAdapterHasNoIndex) {
    Machine xp;
    xp.system.version = platform::OsVersionInfo{5, 1, 2600, 2, "Service Pack 3", 3, 0, 0, 1};
    AdapterSetup lan;
    lan.guid = kEthernetGuid;
    lan.driverKey = kEthernetKey;
    lan.index = 2;
    AddNetworkAdapter(xp, lan);
    const std::u16string name = text::Utf8ToUtf16(std::string("\\DEVICE\\TCPIP_") + kEthernetGuid);
    uint32_t index = 0;
    ASSERT_EQ(xp.ipStack.GetAdapterIndex(name, index), status::kSuccess);

    const DevInfoSet set =
        xp.devices.GetClassDevs(SimDevices::kNetClassGuid, platform::digcf::kPresent);
    DevInfoData record;
    ASSERT_TRUE(xp.devices.EnumDeviceInfo(set, 0, record));
    platform::PropChangeParams params;
    params.stateChange = platform::dics::kDisable;
    ASSERT_TRUE(xp.devices.SetClassInstallParams(set, record, params));
    ASSERT_TRUE(xp.devices.ChangeState(set, record));
    xp.devices.DestroyDeviceInfoList(set);

    EXPECT_EQ(xp.ipStack.GetAdapterIndex(name, index), status::kDevNotExist);
    platform::MibIfRow row;
    row.index = 2;
    EXPECT_EQ(xp.ipStack.GetIfEntry(row), status::kInvalidData);
}

TEST_F(SimDevicesTest, WiredDriverTakesAnyValidUnicastAddressOnRestart) {
    SetNetworkAddress(kEthernetKey, "0A1B2C3D4E5F");
    EXPECT_EQ(ActiveMac(kEthernetGuid), "00-1B-21-3A-4F-5C");  // read only when the driver starts
    EXPECT_EQ(Restart(kEthernetKey, kEthernetGuid), "0A-1B-2C-3D-4E-5F");

    // The running device keeps the address when the value goes; its next start drops it.
    machine.registry.RemoveValue(RootKey::LocalMachine, std::string(kClassRoot) + kEthernetKey,
                                 "NetworkAddress");
    EXPECT_EQ(ActiveMac(kEthernetGuid), "0A-1B-2C-3D-4E-5F");
    EXPECT_EQ(Restart(kEthernetKey, kEthernetGuid), "00-1B-21-3A-4F-5C");

    for (const std::string invalid :
         {"011B2C3D4E5F", "FFFFFFFFFFFF", "000000000000", "0A-1B-2C-3D-4E-5F", "0A1B2C3D4E5"}) {
        SetNetworkAddress(kEthernetKey, invalid);
        EXPECT_EQ(Restart(kEthernetKey, kEthernetGuid), "00-1B-21-3A-4F-5C") << invalid;
    }
    SetNetworkAddress(kEthernetKey, "0a1b2c3d4e60");
    EXPECT_EQ(Restart(kEthernetKey, kEthernetGuid), "0A-1B-2C-3D-4E-60");
}

TEST_F(SimDevicesTest, WirelessDriverTakesOnlyLocallyAdministeredAddresses) {
    SetNetworkAddress(kWifiKey, "001B2C3D4E5F");
    EXPECT_EQ(Restart(kWifiKey, kWifiGuid), "48-51-C5-2B-90-3D");
    SetNetworkAddress(kWifiKey, "021B2C3D4E5F");
    EXPECT_EQ(Restart(kWifiKey, kWifiGuid), "02-1B-2C-3D-4E-5F");
    SetNetworkAddress(kWifiKey, "031B2C3D4E5F");  // locally administered but multicast
    EXPECT_EQ(Restart(kWifiKey, kWifiGuid), "48-51-C5-2B-90-3D");

    std::vector<platform::IpAdapterInfo> adapters;
    machine.ipStack.GetAdaptersInfo(adapters);
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(adapters[1].type, platform::iftype::kIeee80211);
}

TEST_F(SimDevicesTest, IgnoringDriverAndBridgeKeepTheirOwnAddress) {
    AdapterSetup kdnic;
    kdnic.guid = "{0B8C2D4E-6F1A-4B3C-9D5E-7F8A9B0C1D06}";
    kdnic.driverKey = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0003";
    kdnic.driver = DriverProfile::IgnoresNetworkAddress;
    kdnic.burnedInAddress = "00-15-5D-01-C8-05";
    AddNetworkAdapter(machine, kdnic);
    AdapterSetup bridge;
    bridge.guid = "{E6F7A8B9-C0D1-4E2F-8A3B-4C5D6E7F8A05}";
    bridge.driverKey = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0004";
    bridge.hardwareIds = {"ms_bridgemp"};
    bridge.driver = DriverProfile::Bridge;
    bridge.burnedInAddress = "02-1B-21-3A-4F-5C";
    AddNetworkAdapter(machine, bridge);

    SetNetworkAddress(kdnic.driverKey, "021122334455");
    SetNetworkAddress(bridge.driverKey, "021122334455");
    EXPECT_EQ(Restart(kdnic.driverKey, kdnic.guid), "00-15-5D-01-C8-05");
    EXPECT_EQ(Restart(bridge.driverKey, bridge.guid), "02-1B-21-3A-4F-5C");
}

TEST_F(SimDevicesTest, StateChangeWithoutAdministratorRightsIsRefusedWith5) {
    machine.system.isAdmin = false;
    EXPECT_FALSE(ChangeState(kEthernetKey, platform::dics::kDisable));
    EXPECT_EQ(lastError, status::kAccessDenied);
    EXPECT_FALSE(devices().Find(kEthernetKey)->Disabled());
    EXPECT_EQ(ActiveMac(kEthernetGuid), "00-1B-21-3A-4F-5C");
    EXPECT_TRUE(devices().StateChanges().empty());
}

TEST_F(SimDevicesTest, InjectedFailuresHitTheChosenCallAndDevice) {
    devices().InjectFailure(SimDevices::Call::GetClassDevs, 0xE000021Du);
    EXPECT_EQ(devices().GetClassDevs(SimDevices::kNetClassGuid, platform::digcf::kPresent),
              platform::kInvalidDevInfoSet);
    EXPECT_EQ(devices().GetLastError(), 0xE000021Du);
    EXPECT_EQ(EnumerateDriverKeys().size(), 2u);  // only once

    devices().InjectFailure(SimDevices::Call::SetClassInstallParams, status::kAccessDenied, -1,
                            kWifiKey);
    EXPECT_TRUE(ChangeState(kEthernetKey, platform::dics::kDisable));
    EXPECT_FALSE(ChangeState(kWifiKey, platform::dics::kDisable));
    EXPECT_EQ(lastError, status::kAccessDenied);
    EXPECT_FALSE(ChangeState(kWifiKey, platform::dics::kDisable));
    devices().ClearFailures();
    EXPECT_TRUE(ChangeState(kWifiKey, platform::dics::kDisable));
    ASSERT_EQ(devices().StateChanges().size(), 2u);
    EXPECT_EQ(devices().StateChanges()[1].driverKey, kWifiKey);
}

TEST_F(SimDevicesTest, ChangeStateNeedsInstalledParameters) {
    const DevInfoSet set =
        devices().GetClassDevs(SimDevices::kNetClassGuid, platform::digcf::kPresent);
    DevInfoData record;
    ASSERT_TRUE(devices().EnumDeviceInfo(set, 0, record));
    EXPECT_FALSE(devices().ChangeState(set, record));
    EXPECT_EQ(devices().GetLastError(), status::kInvalidParameter);
    platform::PropChangeParams wrong;
    wrong.headerSize = 12;
    EXPECT_FALSE(devices().SetClassInstallParams(set, record, wrong));
    devices().DestroyDeviceInfoList(set);
}

}  // namespace
}  // namespace vexav6::sim
