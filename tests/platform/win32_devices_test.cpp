#ifdef _WIN32

#include "platform/win32/win32_devices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"
#include "platform/win32/wine_host.h"

namespace vexav6::win32 {
namespace {

namespace status = platform::status;

const platform::Guid kNetClass{
    0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const GUID kNetClassGuid{
    0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// Every fixture device has a first hardware ID with this beginning; leftovers of an earlier run
// that ended early are recognised by it and removed.
const std::wstring kHardwareIdPrefix = L"VEXAV6_TEST\\";

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

void RemoveLeftoverDevices() {
    ScopedDevInfo all(::SetupDiGetClassDevsW(&kNetClassGuid, nullptr, nullptr, 0));
    ASSERT_TRUE(all.Valid());
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
        EXPECT_TRUE(::SetupDiRemoveDevice(all.Get(), &leftover)) << ::GetLastError();
    }
}

struct FixtureDevice {
    std::string description;  // given when the device is made
    std::vector<std::string> hardwareIds;
    std::optional<std::string> friendlyName;
    std::optional<std::string> manufacturer;
    uint32_t configFlags = 0;
    std::string driverKey;  // as the system assigned it
};

// Network-class devices made for one test and removed after it.
class Win32DevicesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RemoveLeftoverDevices();
        set_.Reset(::SetupDiCreateDeviceInfoList(&kNetClassGuid, nullptr));
        ASSERT_TRUE(set_.Valid());
    }

    void TearDown() override {
        for (SP_DEVINFO_DATA& device : made_) {
            EXPECT_TRUE(::SetupDiRemoveDevice(set_.Get(), &device)) << ::GetLastError();
        }
    }

    void Make(FixtureDevice& device) {
        SP_DEVINFO_DATA data{};
        data.cbSize = sizeof data;
        ASSERT_TRUE(::SetupDiCreateDeviceInfoW(set_.Get(), L"VEXAV6TEST", &kNetClassGuid,
                                               Widen(device.description).c_str(), nullptr,
                                               DICD_GENERATE_ID, &data))
            << ::GetLastError();
        ASSERT_TRUE(::SetupDiRegisterDeviceInfo(set_.Get(), &data, 0, nullptr, nullptr, nullptr));
        made_.push_back(data);

        std::wstring ids;
        for (const std::string& id : device.hardwareIds) {
            ids += Widen(id) + L'\0';
        }
        ids += L'\0';
        SetProperty(data, SPDRP_HARDWAREID, ids.data(), ids.size());
        if (device.friendlyName) {
            const std::wstring name = Widen(*device.friendlyName);
            SetProperty(data, SPDRP_FRIENDLYNAME, name.c_str(), name.size() + 1);
        }
        if (device.manufacturer) {
            const std::wstring name = Widen(*device.manufacturer);
            SetProperty(data, SPDRP_MFG, name.c_str(), name.size() + 1);
        }
        ASSERT_TRUE(::SetupDiSetDeviceRegistryPropertyW(
            set_.Get(), &data, SPDRP_CONFIGFLAGS,
            reinterpret_cast<const BYTE*>(&device.configFlags), sizeof device.configFlags));
        // Making the driver key gives the device its SPDRP_DRIVER property.
        const HKEY created = ::SetupDiCreateDevRegKeyW(set_.Get(), &data, DICS_FLAG_GLOBAL, 0,
                                                       DIREG_DRV, nullptr, nullptr);
        ASSERT_NE(created, reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE)) << ::GetLastError();
        ScopedRegKey key(created);
        const std::wstring driver = ReadWideProperty(set_.Get(), data, SPDRP_DRIVER);
        ASSERT_FALSE(driver.empty());
        device.driverKey = Narrow(driver);
    }

    void SetProperty(SP_DEVINFO_DATA& data, DWORD property, const wchar_t* text, size_t chars) {
        ASSERT_TRUE(::SetupDiSetDeviceRegistryPropertyW(set_.Get(), &data, property,
                                                        reinterpret_cast<const BYTE*>(text),
                                                        static_cast<DWORD>(chars * 2)))
            << ::GetLastError();
    }

    // A property through the interface, the way the program asks for it: first without a buffer
    // for the size, then with a buffer of that size.
    std::optional<std::string> Property(platform::DevInfoSet set,
                                        const platform::DevInfoData& device, uint32_t property,
                                        uint32_t* typeOut = nullptr) {
        uint32_t required = 0;
        uint32_t type = 0;
        if (devices_.GetDeviceRegistryProperty(set, device, property, &type, nullptr, 0,
                                               &required)) {
            return std::string();
        }
        if (devices_.GetLastError() != status::kInsufficientBuffer) {
            return std::nullopt;
        }
        std::string bytes(required, ' ');
        if (required > 0) {
            // One byte short is still too small, with the same size reported.
            uint32_t again = 0;
            EXPECT_FALSE(devices_.GetDeviceRegistryProperty(
                set, device, property, &type, reinterpret_cast<uint8_t*>(bytes.data()),
                required - 1, &again));
            EXPECT_EQ(devices_.GetLastError(), status::kInsufficientBuffer);
            EXPECT_EQ(again, required);
        }
        EXPECT_TRUE(devices_.GetDeviceRegistryProperty(set, device, property, &type,
                                                       reinterpret_cast<uint8_t*>(bytes.data()),
                                                       required, &required))
            << devices_.GetLastError();
        if (typeOut != nullptr) {
            *typeOut = type;
        }
        return bytes;
    }

    // The devices of the class as the interface enumerates them, keyed by first hardware ID.
    std::vector<std::pair<std::string, platform::DevInfoData>> Enumerate(platform::DevInfoSet set) {
        std::vector<std::pair<std::string, platform::DevInfoData>> found;
        platform::DevInfoData device;
        uint32_t index = 0;
        for (; devices_.EnumDeviceInfo(set, index, device); ++index) {
            EXPECT_EQ(device.size, 28u);
            EXPECT_EQ(device.classGuid, kNetClass);
            const std::string ids =
                Property(set, device, platform::spdrp::kHardwareId).value_or("");
            found.emplace_back(ids.c_str(), device);  // up to the first zero: the first ID
        }
        EXPECT_EQ(devices_.GetLastError(), status::kNoMoreItems);
        return found;
    }

    Win32Devices devices_;
    ScopedDevInfo set_;
    std::vector<SP_DEVINFO_DATA> made_;
};

TEST_F(Win32DevicesTest, ReadsEveryPropertyTheProgramUses) {
    FixtureDevice named{"Contoso Gigabit Adapter",
                        {"VEXAV6_TEST\\NIC_A", "VEXAV6_TEST\\GENERIC"},
                        "Ethernet \xC3\xA9t\xC3\xA9 \xE2\x82\xAC",  // "Ethernet été €"
                        "Contoso \xC3\x9C",
                        0,
                        {}};
    FixtureDevice plain{"Fabrikam Wireless", {"VEXAV6_TEST\\NIC_B"},        std::nullopt,
                        std::nullopt,        platform::kConfigFlagDisabled, {}};
    ASSERT_NO_FATAL_FAILURE(Make(named));
    ASSERT_NO_FATAL_FAILURE(Make(plain));

    const platform::DevInfoSet set = devices_.GetClassDevs(kNetClass, platform::digcf::kPresent);
    ASSERT_NE(set, platform::kInvalidDevInfoSet);
    const auto found = Enumerate(set);

    for (const FixtureDevice* expected : {&named, &plain}) {
        SCOPED_TRACE(expected->description);
        const auto it = std::find_if(found.begin(), found.end(), [&](const auto& entry) {
            return entry.first == expected->hardwareIds.front();
        });
        ASSERT_NE(it, found.end());
        const platform::DevInfoData& device = it->second;

        uint32_t type = 0;
        EXPECT_EQ(Property(set, device, platform::spdrp::kDeviceDesc, &type),
                  expected->description + '\0');
        EXPECT_EQ(type, static_cast<uint32_t>(REG_SZ));
        std::string ids;
        for (const std::string& id : expected->hardwareIds) {
            ids += id + '\0';
        }
        EXPECT_EQ(Property(set, device, platform::spdrp::kHardwareId, &type), ids + '\0');
        EXPECT_EQ(type, static_cast<uint32_t>(REG_MULTI_SZ));
        EXPECT_EQ(Property(set, device, platform::spdrp::kDriver), expected->driverKey + '\0');

        // Missing properties fail with 13, and no size to ask again with.
        for (const auto& [property, value] :
             {std::pair{platform::spdrp::kFriendlyName, expected->friendlyName},
              std::pair{platform::spdrp::kMfg, expected->manufacturer}}) {
            const auto read = Property(set, device, property);
            if (value) {
                EXPECT_EQ(read, *value + '\0');
            } else {
                EXPECT_EQ(read, std::nullopt);
                EXPECT_EQ(devices_.GetLastError(), status::kInvalidData);
            }
        }

        // Configuration flags: a DWORD read straight into a 4-byte integer.
        uint32_t flags = 0xFFFFFFFF;
        uint32_t required = 0;
        ASSERT_TRUE(devices_.GetDeviceRegistryProperty(set, device, platform::spdrp::kConfigFlags,
                                                       &type, reinterpret_cast<uint8_t*>(&flags),
                                                       sizeof flags, &required));
        EXPECT_EQ(type, static_cast<uint32_t>(REG_DWORD));
        EXPECT_EQ(required, 4u);
        EXPECT_EQ(flags, expected->configFlags);
    }
    EXPECT_TRUE(devices_.DestroyDeviceInfoList(set));
}

TEST_F(Win32DevicesTest, RecordsAndSetsMapToTheSystemForms) {
    FixtureDevice device{"Mapping check", {"VEXAV6_TEST\\NIC_C"}, "Mapped", std::nullopt, 0, {}};
    ASSERT_NO_FATAL_FAILURE(Make(device));

    const platform::DevInfoSet set = devices_.GetClassDevs(kNetClass, platform::digcf::kPresent);
    ASSERT_NE(set, platform::kInvalidDevInfoSet);
    EXPECT_EQ(ToDevInfoSet(ToSystem(set)), set);
    const auto found = Enumerate(set);
    const auto it = std::find_if(found.begin(), found.end(), [](const auto& entry) {
        return entry.first == "VEXAV6_TEST\\NIC_C";
    });
    ASSERT_NE(it, found.end());

    // The record in the system's form finds the same device in the set.
    SP_DEVINFO_DATA system = ToSystem(it->second);
    EXPECT_EQ(system.cbSize, sizeof(SP_DEVINFO_DATA));
    EXPECT_EQ(ReadWideProperty(ToSystem(set), system, SPDRP_FRIENDLYNAME), L"Mapped");
    const platform::DevInfoData back = ToRecord(system);
    EXPECT_EQ(back.size, 28u);
    EXPECT_EQ(back.classGuid, it->second.classGuid);
    EXPECT_EQ(back.devInst, it->second.devInst);
    EXPECT_EQ(back.reserved, it->second.reserved);

    // A record whose size is not the record's is refused, as SetupAPI refuses a wrong cbSize.
    platform::DevInfoData wrong;
    wrong.size = 12;
    EXPECT_FALSE(devices_.EnumDeviceInfo(set, 0, wrong));
    EXPECT_NE(devices_.GetLastError(), status::kSuccess);
    EXPECT_NE(devices_.GetLastError(), status::kNoMoreItems);

    EXPECT_TRUE(devices_.DestroyDeviceInfoList(set));
    EXPECT_FALSE(devices_.DestroyDeviceInfoList(platform::kInvalidDevInfoSet));
    EXPECT_EQ(devices_.GetLastError(), status::kInvalidHandle);
    EXPECT_EQ(ToSystem(platform::kInvalidDevInfoSet), INVALID_HANDLE_VALUE);
    EXPECT_EQ(ToDevInfoSet(INVALID_HANDLE_VALUE), platform::kInvalidDevInfoSet);
}

TEST_F(Win32DevicesTest, UnderWineAStateChangeFailsInsteadOfEndingTheProcess) {
    if (!RunningUnderWine()) {
        GTEST_SKIP() << "on Windows this would switch a device";
    }
    FixtureDevice device{"State check", {"VEXAV6_TEST\\NIC_D"}, std::nullopt, std::nullopt, 0, {}};
    ASSERT_NO_FATAL_FAILURE(Make(device));
    const platform::DevInfoSet set = devices_.GetClassDevs(kNetClass, platform::digcf::kPresent);
    ASSERT_NE(set, platform::kInvalidDevInfoSet);
    const auto found = Enumerate(set);
    ASSERT_FALSE(found.empty());
    EXPECT_FALSE(devices_.ChangeState(set, found.front().second));
    EXPECT_EQ(devices_.GetLastError(), platform::Status{ERROR_CALL_NOT_IMPLEMENTED});
    EXPECT_TRUE(devices_.DestroyDeviceInfoList(set));
}

TEST(Win32DevicePropertyData, TextBecomesUtf8WithEveryZeroKept) {
    // "A\0é\0\0" as a multi-string in UTF-16LE.
    const uint8_t multi[] = {'A', 0, 0, 0, 0xE9, 0, 0, 0, 0, 0};
    EXPECT_EQ(PropertyDataToUtf8(REG_MULTI_SZ, multi, sizeof multi),
              std::string("A\0\xC3\xA9\0\0", 6));
    // A character outside the basic plane, and a lone surrogate that cannot be shown.
    const uint8_t pair[] = {0x3D, 0xD8, 0x00, 0xDE, 0x00, 0xD8, 0, 0};
    EXPECT_EQ(PropertyDataToUtf8(REG_SZ, pair, sizeof pair),
              std::string("\xF0\x9F\x98\x80\xEF\xBF\xBD\0", 8));
    // An odd last byte is no character.
    const uint8_t odd[] = {'x', 0, 0, 0, 0x41};
    EXPECT_EQ(PropertyDataToUtf8(REG_EXPAND_SZ, odd, sizeof odd), std::string("x\0", 2));
    // Numbers and binary data stay as they are.
    const uint8_t flags[] = {0x01, 0x00, 0x00, 0x80};
    EXPECT_EQ(PropertyDataToUtf8(REG_DWORD, flags, sizeof flags),
              std::string(reinterpret_cast<const char*>(flags), 4));
    EXPECT_EQ(PropertyDataToUtf8(REG_SZ, nullptr, 0), "");
}

}  // namespace
}  // namespace vexav6::win32

#endif  // _WIN32
