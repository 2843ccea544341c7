#ifdef _WIN32

#include "platform/win32/win32_devices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/wine_host.h"
#include "support/device_scratch.h"

namespace vexav6::win32 {
namespace {

namespace status = platform::status;
using testing::FixtureDevice;

const platform::Guid kNetClass{
    0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// What only the Windows back-end does, on network-class devices made for one test and removed
// after it; what both back-ends do is checked by device_contract_test.cpp.
class Win32DevicesTest : public ::testing::Test {
  protected:
    testing::DeviceScratch scratch{testing::RegistryBackend::Windows};
    platform::DeviceApi& devices_ = scratch.Api();
};

TEST_F(Win32DevicesTest, RecordsAndSetsMapToTheSystemForms) {
    scratch.Make(FixtureDevice{"Mapping check", {"VEXAV6_TEST\\NIC_C"}, "Mapped", std::nullopt, 0});

    const platform::DevInfoSet set = devices_.GetClassDevs(kNetClass, platform::digcf::kPresent);
    ASSERT_NE(set, platform::kInvalidDevInfoSet);
    EXPECT_EQ(ToDevInfoSet(ToSystem(set)), set);
    const auto found = scratch.Enumerate(set);
    const auto it = std::find_if(found.begin(), found.end(), [](const auto& entry) {
        return entry.first == "VEXAV6_TEST\\NIC_C";
    });
    ASSERT_NE(it, found.end());

    // The record in the system's form finds the same device in the set.
    SP_DEVINFO_DATA system = ToSystem(it->second);
    EXPECT_EQ(system.cbSize, sizeof(SP_DEVINFO_DATA));
    EXPECT_EQ(testing::ReadWideProperty(ToSystem(set), system, SPDRP_FRIENDLYNAME), L"Mapped");
    const platform::DevInfoData back = ToRecord(system);
    EXPECT_EQ(back.size, 28u);
    EXPECT_EQ(back.classGuid, it->second.classGuid);
    EXPECT_EQ(back.devInst, it->second.devInst);
    EXPECT_EQ(back.reserved, it->second.reserved);

    EXPECT_TRUE(devices_.DestroyDeviceInfoList(set));
    EXPECT_EQ(ToSystem(platform::kInvalidDevInfoSet), INVALID_HANDLE_VALUE);
    EXPECT_EQ(ToDevInfoSet(INVALID_HANDLE_VALUE), platform::kInvalidDevInfoSet);
}

TEST_F(Win32DevicesTest, UnderWineAStateChangeFailsInsteadOfEndingTheProcess) {
    if (!RunningUnderWine()) {
        GTEST_SKIP() << "on Windows this would switch a device";
    }
    scratch.Make(
        FixtureDevice{"State check", {"VEXAV6_TEST\\NIC_D"}, std::nullopt, std::nullopt, 0});
    const platform::DevInfoSet set = devices_.GetClassDevs(kNetClass, platform::digcf::kPresent);
    ASSERT_NE(set, platform::kInvalidDevInfoSet);
    const auto found = scratch.Enumerate(set);
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
