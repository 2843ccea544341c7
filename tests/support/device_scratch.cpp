#include "support/device_scratch.h"

#include <gtest/gtest.h>

#include <stdexcept>

#ifdef _WIN32
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_devices.h"
#endif

namespace vexav6::testing {

namespace {

constexpr const char* kNetClassKey = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\";

#ifdef _WIN32
const GUID kNetClassGuid{
    0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const std::wstring kHardwareIdPrefix = L"VEXAV6_TEST\\";

void RemoveLeftoverDevices() {
    win32::ScopedDevInfo all(::SetupDiGetClassDevsW(&kNetClassGuid, nullptr, nullptr, 0));
    if (!all.Valid()) {
        throw std::runtime_error("cannot list the network devices");
    }
    // Found first, removed after: removing while enumerating could skip the next device.
    std::vector<SP_DEVINFO_DATA> leftovers;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(all.Get(), i, &device); ++i) {
        if (ReadWideProperty(all.Get(), device, SPDRP_HARDWAREID).rfind(kHardwareIdPrefix, 0) ==
            0) {
            leftovers.push_back(device);
        }
    }
    for (SP_DEVINFO_DATA& leftover : leftovers) {
        ::SetupDiRemoveDevice(all.Get(), &leftover);
    }
}

void Check(bool done, const char* step) {
    if (!done) {
        throw std::runtime_error(std::string(step) + " failed with " +
                                 std::to_string(::GetLastError()));
    }
}
#endif

}  // namespace

#ifdef _WIN32
std::wstring ReadWideProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    wchar_t buffer[512] = {};
    DWORD type = 0;
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type,
                                             reinterpret_cast<BYTE*>(buffer), sizeof buffer - 2,
                                             nullptr)) {
        return {};
    }
    return buffer;
}

// The real device installer and the devices made in it.
struct DeviceScratch::Real {
    win32::Win32Devices devices;
    win32::ScopedDevInfo set;
    std::vector<SP_DEVINFO_DATA> made;

    void SetProperty(SP_DEVINFO_DATA& data, DWORD property, const std::wstring& text) {
        Check(::SetupDiSetDeviceRegistryPropertyW(set.Get(), &data, property,
                                                  reinterpret_cast<const BYTE*>(text.c_str()),
                                                  static_cast<DWORD>((text.size() + 1) * 2)),
              "SetupDiSetDeviceRegistryProperty");
    }

    // Windows needs the hardware IDs, the names, the configuration flags (without them their read
    // fails with 13) and the driver key, which gives the device its SPDRP_DRIVER property.
    std::string Make(const FixtureDevice& device) {
        SP_DEVINFO_DATA data{};
        data.cbSize = sizeof data;
        Check(::SetupDiCreateDeviceInfoW(set.Get(), L"VEXAV6TEST", &kNetClassGuid,
                                         win32::Widen(device.description).c_str(), nullptr,
                                         DICD_GENERATE_ID, &data),
              "SetupDiCreateDeviceInfo");
        Check(::SetupDiRegisterDeviceInfo(set.Get(), &data, 0, nullptr, nullptr, nullptr),
              "SetupDiRegisterDeviceInfo");
        made.push_back(data);
        std::wstring ids;
        for (const std::string& id : device.hardwareIds) {
            ids += win32::Widen(id) + L'\0';
        }
        SetProperty(data, SPDRP_HARDWAREID, ids);  // with the closing zero of the list
        if (device.friendlyName) {
            SetProperty(data, SPDRP_FRIENDLYNAME, win32::Widen(*device.friendlyName));
        }
        if (device.manufacturer) {
            SetProperty(data, SPDRP_MFG, win32::Widen(*device.manufacturer));
        }
        Check(::SetupDiSetDeviceRegistryPropertyW(
                  set.Get(), &data, SPDRP_CONFIGFLAGS,
                  reinterpret_cast<const BYTE*>(&device.configFlags), sizeof device.configFlags),
              "SetupDiSetDeviceRegistryProperty");
        const HKEY created = ::SetupDiCreateDevRegKeyW(set.Get(), &data, DICS_FLAG_GLOBAL, 0,
                                                       DIREG_DRV, nullptr, nullptr);
        Check(created != reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE), "SetupDiCreateDevRegKey");
        win32::ScopedRegKey key(created);
        const std::wstring driver = ReadWideProperty(set.Get(), data, SPDRP_DRIVER);
        Check(!driver.empty(), "reading the driver key");
        return win32::Narrow(driver);
    }

    ~Real() {
        for (SP_DEVINFO_DATA& device : made) {
            ::SetupDiRemoveDevice(set.Get(), &device);
        }
    }
};

#else
struct DeviceScratch::Real {};
#endif

DeviceScratch::DeviceScratch(RegistryBackend backend) : backend_(backend) {
    if (backend == RegistryBackend::Windows) {
#ifdef _WIN32
        RemoveLeftoverDevices();
        real_ = std::make_unique<Real>();
        real_->set.Reset(::SetupDiCreateDeviceInfoList(&kNetClassGuid, nullptr));
        Check(real_->set.Valid(), "SetupDiCreateDeviceInfoList");
        api_ = &real_->devices;
#else
        throw std::logic_error("the real device installer exists only on Windows");
#endif
    }
}

DeviceScratch::~DeviceScratch() = default;

std::string DeviceScratch::Make(const FixtureDevice& device) {
#ifdef _WIN32
    if (real_) {
        return real_->Make(device);
    }
#endif
    sim::SimDevice made;
    made.description = device.description;
    made.hardwareIds = device.hardwareIds;
    made.friendlyName = device.friendlyName.value_or("");
    made.manufacturer = device.manufacturer.value_or("");
    made.configFlags = device.configFlags;
    const std::string number = std::to_string(machine_.devices.Devices().size());
    made.driverKey = kNetClassKey + std::string(4 - number.size(), '0') + number;
    machine_.devices.Add(made);
    return made.driverKey;
}

std::optional<std::string> DeviceScratch::Property(platform::DevInfoSet set,
                                                   const platform::DevInfoData& device,
                                                   uint32_t property, uint32_t* typeOut) const {
    platform::DeviceApi& api = Api();
    uint32_t required = 0;
    uint32_t type = 0;
    if (api.GetDeviceRegistryProperty(set, device, property, &type, nullptr, 0, &required)) {
        return std::string();
    }
    if (api.GetLastError() != platform::status::kInsufficientBuffer) {
        return std::nullopt;
    }
    std::string bytes(required, ' ');
    if (required > 0) {
        uint32_t again = 0;
        EXPECT_FALSE(api.GetDeviceRegistryProperty(set, device, property, &type,
                                                   reinterpret_cast<uint8_t*>(bytes.data()),
                                                   required - 1, &again));
        EXPECT_EQ(api.GetLastError(), platform::status::kInsufficientBuffer);
        EXPECT_EQ(again, required);
    }
    EXPECT_TRUE(api.GetDeviceRegistryProperty(set, device, property, &type,
                                              reinterpret_cast<uint8_t*>(bytes.data()), required,
                                              &required))
        << api.GetLastError();
    if (typeOut != nullptr) {
        *typeOut = type;
    }
    return bytes;
}

std::vector<std::pair<std::string, platform::DevInfoData>> DeviceScratch::Enumerate(
    platform::DevInfoSet set) const {
    const platform::Guid netClass{
        0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
    std::vector<std::pair<std::string, platform::DevInfoData>> found;
    platform::DevInfoData device;
    for (uint32_t index = 0; Api().EnumDeviceInfo(set, index, device); ++index) {
        EXPECT_EQ(device.size, 28u);
        EXPECT_EQ(device.classGuid, netClass);
        const std::string ids = Property(set, device, platform::spdrp::kHardwareId).value_or("");
        found.emplace_back(ids.c_str(), device);  // up to the first zero: the first ID
    }
    EXPECT_EQ(Api().GetLastError(), platform::status::kNoMoreItems);
    return found;
}

}  // namespace vexav6::testing
