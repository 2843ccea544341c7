#ifdef _WIN32

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "adapters/adapter_info.h"
#include "adapters/device_manager.h"
#include "base/error.h"
#include "platform/sim/recording_ui.h"
#include "platform/sim/sim_http.h"
#include "platform/sim/sim_ip_stack.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_timers.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_devices.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/windows_include.h"
#include "system/registry.h"

namespace vexav6::win32 {
namespace {

using platform::RootKey;

const GUID kNetClassGuid{
    0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
constexpr const char* kGuid = "{5E1F0A2B-3C4D-4E5F-8A6B-7C8D9E0FA1B2}";
constexpr const wchar_t* kHardwareId = L"VEXAV6_TEST\\ADAPTERS\0";

// Enumeration over the real device installer and registry (Wine's, in the test prefix): one
// network-class device made for the test, with the keys Windows keeps for a bound adapter. The IP
// stack (where the made device has no interface), system facts, timers and message boxes are
// simulated.
class Win32DeviceManagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        set_.Reset(::SetupDiCreateDeviceInfoList(&kNetClassGuid, nullptr));
        ASSERT_TRUE(set_.Valid());
        device_.cbSize = sizeof device_;
        ASSERT_TRUE(::SetupDiCreateDeviceInfoW(set_.Get(), L"VEXAV6ADAPTERS", &kNetClassGuid,
                                               L"Contoso Test Adapter", nullptr, DICD_GENERATE_ID,
                                               &device_))
            << ::GetLastError();
        ASSERT_TRUE(
            ::SetupDiRegisterDeviceInfo(set_.Get(), &device_, 0, nullptr, nullptr, nullptr));
        made_ = true;
        const std::wstring ids(kHardwareId, wcslen(kHardwareId) + 2);
        ASSERT_TRUE(::SetupDiSetDeviceRegistryPropertyW(set_.Get(), &device_, SPDRP_HARDWAREID,
                                                        reinterpret_cast<const BYTE*>(ids.data()),
                                                        static_cast<DWORD>(ids.size() * 2)));
        const DWORD flags = platform::kConfigFlagDisabled;
        ASSERT_TRUE(::SetupDiSetDeviceRegistryPropertyW(set_.Get(), &device_, SPDRP_CONFIGFLAGS,
                                                        reinterpret_cast<const BYTE*>(&flags),
                                                        sizeof flags));
        const HKEY created = ::SetupDiCreateDevRegKeyW(set_.Get(), &device_, DICS_FLAG_GLOBAL, 0,
                                                       DIREG_DRV, nullptr, nullptr);
        ASSERT_NE(created, reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE)) << ::GetLastError();
        ScopedRegKey key(created);
        wchar_t driver[256] = {};
        ASSERT_TRUE(::SetupDiGetDeviceRegistryPropertyW(set_.Get(), &device_, SPDRP_DRIVER, nullptr,
                                                        reinterpret_cast<BYTE*>(driver),
                                                        sizeof driver - 2, nullptr));
        driverKey_ = Narrow(driver);

        Put("SYSTEM\\CurrentControlSet\\Control\\Class\\" + driverKey_, "NetCfgInstanceId", kGuid,
            platform::regtype::kSz);
        Put(AdaptersKey(), "IpConfig",
            std::string("Tcpip\\Parameters\\Interfaces\\") + kGuid + std::string(2, '\0'),
            platform::regtype::kMultiSz);
        Put(NetworkKey() + "\\Connection", "Name", "Contoso LAN", platform::regtype::kSz);
    }

    void TearDown() override {
        if (made_) {
            EXPECT_TRUE(::SetupDiRemoveDevice(set_.Get(), &device_)) << ::GetLastError();
        }
        Registry::DeleteKeyTree(platform_, RootKey::LocalMachine, AdaptersKey());
        Registry::DeleteKeyTree(platform_, RootKey::LocalMachine, NetworkKey());
    }

    static std::string AdaptersKey() {
        return std::string("SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Adapters\\") +
               kGuid;
    }
    static std::string NetworkKey() {
        return std::string(
                   "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-"
                   "BFC1-08002BE10318}\\") +
               kGuid;
    }

    void Put(const std::string& key, const char* name, const std::string& value, uint32_t type) {
        ASSERT_EQ(Registry::CreateKey(platform_, RootKey::LocalMachine, key), 0u);
        ASSERT_EQ(
            Registry::WriteStringValue(platform_, RootKey::LocalMachine, key, name, value, type),
            0u);
    }

    Win32Registry registry_;
    Win32Devices devices_;
    sim::VirtualClock clock_;
    sim::SimSystem system_{clock_};
    sim::SimRegistry stackRegistry_;
    sim::SimIpStack ipStack_{stackRegistry_, clock_, system_.version};
    sim::SimHttp http_;
    sim::SimTimers timers_{clock_};
    sim::RecordingUi ui_;
    Platform platform_{registry_, devices_, ipStack_, system_, http_, timers_, ui_};

    ScopedDevInfo set_;
    SP_DEVINFO_DATA device_{};
    bool made_ = false;
    std::string driverKey_;
};

TEST_F(Win32DeviceManagerTest, ListsTheBoundDeviceWithItsIdentityAndState) {
    KeyedCollection<std::shared_ptr<AdapterInfo>> adapters;
    DeviceManager::GetNetworkAdapters(platform_, adapters);
    ASSERT_TRUE(adapters.Contains(kGuid));
    const AdapterInfo& adapter = *adapters.Item(kGuid);
    EXPECT_EQ(adapter.DriverRegistryPath(), driverKey_);
    EXPECT_EQ(adapter.DeviceDescription(), "Contoso Test Adapter");
    EXPECT_EQ(adapter.DeviceHardwareID(), "VEXAV6_TEST\\ADAPTERS");
    EXPECT_EQ(adapter.ConnectionName(), "Contoso LAN");
    EXPECT_TRUE(ui_.Boxes().empty());
    EXPECT_EQ(adapter.AdminStatus(), 2);  // disabled
    EXPECT_EQ(adapter.ActiveNetworkAddress(), "");

    // The device is found again by its driver key in any letter case.
    std::string lower = driverKey_;
    for (char& c : lower) {
        c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    }
    EXPECT_FALSE(DeviceManager::IsAdapterDeviceEnabled(platform_, lower));
    try {
        DeviceManager::IsAdapterDeviceEnabled(platform_, driverKey_ + "9");
        ADD_FAILURE() << "found a device that does not exist";
    } catch (const Error& e) {
        EXPECT_EQ(e.Description(), "Device not found.");
    }
}

}  // namespace
}  // namespace vexav6::win32

#endif  // _WIN32
