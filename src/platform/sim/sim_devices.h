#pragma once

#include "platform/device_api.h"

namespace vexav6::sim {

class SimRegistry;
class SimIpStack;

// The network-class devices of the simulated machine.
class SimDevices : public platform::DeviceApi {
public:
    SimDevices(SimRegistry& registry, SimIpStack& ipStack) : registry_(registry), ipStack_(ipStack) {}

    platform::DevInfoSet GetClassDevs(const platform::Guid& classGuid, uint32_t flags) override;
    bool EnumDeviceInfo(platform::DevInfoSet set, uint32_t index,
                        platform::DevInfoData& device) override;
    bool GetDeviceRegistryProperty(platform::DevInfoSet set, const platform::DevInfoData& device,
                                   uint32_t property, uint32_t* regType, uint8_t* buffer,
                                   uint32_t bufferSize, uint32_t* requiredSize) override;
    bool SetClassInstallParams(platform::DevInfoSet set, const platform::DevInfoData& device,
                               const platform::PropChangeParams& params) override;
    bool ChangeState(platform::DevInfoSet set, const platform::DevInfoData& device) override;
    bool DestroyDeviceInfoList(platform::DevInfoSet set) override;
    platform::Status GetLastError() override { return lastError_; }

private:
    [[maybe_unused]] SimRegistry& registry_;
    [[maybe_unused]] SimIpStack& ipStack_;
    platform::Status lastError_ = 0;
    platform::DevInfoSet nextSet_ = 1;
};

}  // namespace vexav6::sim
