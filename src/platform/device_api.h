#pragma once

#include <array>
#include <cstdint>

#include "platform/status.h"

namespace vexav6::platform {

struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    std::array<uint8_t, 8> data4{};

    friend bool operator==(const Guid&, const Guid&) = default;
};

// A device information set; kInvalidDevInfoSet (-1) when it could not be obtained.
using DevInfoSet = uint64_t;
inline constexpr DevInfoSet kInvalidDevInfoSet = ~DevInfoSet{0};

// SP_DEVINFO_DATA: identifies one device of a set.
struct DevInfoData {
    uint32_t size = 28;
    Guid classGuid;
    uint32_t devInst = 0;
    uint64_t reserved = 0;
};

namespace digcf {
inline constexpr uint32_t kPresent = 0x2;
}

// Device registry properties (SPDRP_*) the program reads.
namespace spdrp {
inline constexpr uint32_t kDeviceDesc = 0;
inline constexpr uint32_t kHardwareId = 1;
inline constexpr uint32_t kDriver = 9;
inline constexpr uint32_t kConfigFlags = 10;
inline constexpr uint32_t kMfg = 11;
inline constexpr uint32_t kFriendlyName = 12;
}  // namespace spdrp

inline constexpr uint32_t kConfigFlagDisabled = 0x1;

// SP_PROPCHANGE_PARAMS: a request to change a device's state.
struct PropChangeParams {
    uint32_t headerSize = 8;
    uint32_t installFunction = 0x12;  // DIF_PROPERTYCHANGE
    uint32_t stateChange = 0;         // 1 DICS_ENABLE, 2 DICS_DISABLE
    uint32_t scope = 1;               // DICS_FLAG_GLOBAL
    uint32_t hwProfile = 0;
};

namespace dics {
inline constexpr uint32_t kEnable = 1;
inline constexpr uint32_t kDisable = 2;
inline constexpr uint32_t kFlagGlobal = 1;
}  // namespace dics

// The device installer (SetupAPI) calls the program uses on the network device class. Calls answer
// TRUE/FALSE like SetupAPI; after a failure GetLastError() tells why.
class DeviceApi {
  public:
    virtual ~DeviceApi() = default;

    virtual DevInfoSet GetClassDevs(const Guid& classGuid, uint32_t flags) = 0;
    virtual bool EnumDeviceInfo(DevInfoSet set, uint32_t index, DevInfoData& device) = 0;
    // SetupDiGetDeviceRegistryProperty: with a missing or short buffer it fails with 122
    // (insufficient buffer) and reports the needed size; a property the device lacks fails with 13.
    virtual bool GetDeviceRegistryProperty(DevInfoSet set, const DevInfoData& device,
                                           uint32_t property, uint32_t* regType, uint8_t* buffer,
                                           uint32_t bufferSize, uint32_t* requiredSize) = 0;
    virtual bool SetClassInstallParams(DevInfoSet set, const DevInfoData& device,
                                       const PropChangeParams& params) = 0;
    // SetupDiChangeState with the parameters installed before.
    virtual bool ChangeState(DevInfoSet set, const DevInfoData& device) = 0;
    virtual bool DestroyDeviceInfoList(DevInfoSet set) = 0;
    virtual Status GetLastError() = 0;
};

}  // namespace vexav6::platform
