// The device installer as the program relies on it, checked on the simulated machine and, in the
// Windows suite, on the real one (under Wine, with devices made for the test).
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry_api.h"
#include "support/device_scratch.h"

namespace vexav6 {
namespace {

namespace status = platform::status;
namespace regtype = platform::regtype;
using vexav6::testing::FixtureDevice;
using vexav6::testing::RegistryBackend;

const platform::Guid kNetClass{
    0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

class DeviceContractTest : public ::testing::TestWithParam<RegistryBackend> {
  protected:
    std::optional<std::string> Property(platform::DevInfoSet set,
                                        const platform::DevInfoData& device, uint32_t property,
                                        uint32_t* type = nullptr) {
        return scratch.Property(set, device, property, type);
    }

    vexav6::testing::DeviceScratch scratch{GetParam()};
    platform::DeviceApi& api = scratch.Api();
};

TEST_P(DeviceContractTest, ReadsEveryPropertyTheProgramUses) {
    FixtureDevice named{"Contoso Gigabit Adapter",
                        {"VEXAV6_TEST\\NIC_A", "VEXAV6_TEST\\GENERIC"},
                        "Ethernet \xC3\xA9t\xC3\xA9 \xE2\x82\xAC",  // "Ethernet été €"
                        "Contoso \xC3\x9C",
                        0};
    FixtureDevice plain{"Fabrikam Wireless",
                        {"VEXAV6_TEST\\NIC_B"},
                        std::nullopt,
                        std::nullopt,
                        platform::kConfigFlagDisabled};
    std::vector<std::pair<const FixtureDevice*, std::string>> made;
    for (const FixtureDevice* device : {&named, &plain}) {
        made.emplace_back(device, scratch.Make(*device));
    }

    const platform::DevInfoSet set = api.GetClassDevs(kNetClass, platform::digcf::kPresent);
    ASSERT_NE(set, platform::kInvalidDevInfoSet);
    const auto found = scratch.Enumerate(set);

    for (const auto& [expected, driverKey] : made) {
        SCOPED_TRACE(expected->description);
        const std::string& hardwareId = expected->hardwareIds.front();
        const auto it = std::find_if(found.begin(), found.end(),
                                     [&](const auto& entry) { return entry.first == hardwareId; });
        ASSERT_NE(it, found.end());
        const platform::DevInfoData& device = it->second;

        uint32_t type = 0;
        EXPECT_EQ(Property(set, device, platform::spdrp::kDeviceDesc, &type),
                  expected->description + '\0');
        EXPECT_EQ(type, regtype::kSz);
        std::string ids;
        for (const std::string& id : expected->hardwareIds) {
            ids += id + '\0';
        }
        EXPECT_EQ(Property(set, device, platform::spdrp::kHardwareId, &type), ids + '\0');
        EXPECT_EQ(type, regtype::kMultiSz);
        EXPECT_EQ(Property(set, device, platform::spdrp::kDriver), driverKey + '\0');

        // Missing properties fail with 13, and no size to ask again with.
        for (const auto& [property, value] :
             {std::pair{platform::spdrp::kFriendlyName, expected->friendlyName},
              std::pair{platform::spdrp::kMfg, expected->manufacturer}}) {
            const auto read = Property(set, device, property);
            if (value) {
                EXPECT_EQ(read, *value + '\0');
            } else {
                EXPECT_EQ(read, std::nullopt);
                EXPECT_EQ(api.GetLastError(), status::kInvalidData);
            }
        }

        // Configuration flags: a DWORD read straight into a 4-byte integer.
        uint32_t flags = 0xFFFFFFFF;
        uint32_t required = 0;
        ASSERT_TRUE(api.GetDeviceRegistryProperty(set, device, platform::spdrp::kConfigFlags, &type,
                                                  reinterpret_cast<uint8_t*>(&flags), sizeof flags,
                                                  &required));
        EXPECT_EQ(type, regtype::kDword);
        EXPECT_EQ(required, 4u);
        EXPECT_EQ(flags, expected->configFlags);
    }
    EXPECT_TRUE(api.DestroyDeviceInfoList(set));
}

TEST_P(DeviceContractTest, RecordsAndSetsThatAreNotTheSystemsAreRefused) {
    scratch.Make(
        FixtureDevice{"Refusal check", {"VEXAV6_TEST\\NIC_C"}, std::nullopt, std::nullopt, 0});
    const platform::DevInfoSet set = api.GetClassDevs(kNetClass, platform::digcf::kPresent);
    ASSERT_NE(set, platform::kInvalidDevInfoSet);

    // A record whose size is not the record's is refused, as SetupAPI refuses a wrong cbSize.
    platform::DevInfoData wrong;
    wrong.size = 12;
    EXPECT_FALSE(api.EnumDeviceInfo(set, 0, wrong));
    EXPECT_NE(api.GetLastError(), status::kSuccess);
    EXPECT_NE(api.GetLastError(), status::kNoMoreItems);

    EXPECT_TRUE(api.DestroyDeviceInfoList(set));
    EXPECT_FALSE(api.DestroyDeviceInfoList(platform::kInvalidDevInfoSet));
    EXPECT_EQ(api.GetLastError(), status::kInvalidHandle);
}

INSTANTIATE_TEST_SUITE_P(Backends, DeviceContractTest,
                         ::testing::ValuesIn(vexav6::testing::RegistryBackendsToTest()),
                         [](const auto& backend) {
                             return vexav6::testing::RegistryBackendName(backend.param);
                         });

}  // namespace
}  // namespace vexav6
