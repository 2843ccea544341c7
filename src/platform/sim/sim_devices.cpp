#include "platform/sim/sim_devices.h"

namespace vexav6::sim {

namespace status = platform::status;

// A machine without network devices: every set is empty.
platform::DevInfoSet SimDevices::GetClassDevs(const platform::Guid&, uint32_t) { return nextSet_++; }

bool SimDevices::EnumDeviceInfo(platform::DevInfoSet, uint32_t, platform::DevInfoData&) {
    lastError_ = status::kNoMoreItems;
    return false;
}

bool SimDevices::GetDeviceRegistryProperty(platform::DevInfoSet, const platform::DevInfoData&,
                                           uint32_t, uint32_t*, uint8_t*, uint32_t, uint32_t*) {
    lastError_ = status::kNoSuchDevInst;
    return false;
}

bool SimDevices::SetClassInstallParams(platform::DevInfoSet, const platform::DevInfoData&,
                                       const platform::PropChangeParams&) {
    lastError_ = status::kNoSuchDevInst;
    return false;
}

bool SimDevices::ChangeState(platform::DevInfoSet, const platform::DevInfoData&) {
    lastError_ = status::kNoSuchDevInst;
    return false;
}

bool SimDevices::DestroyDeviceInfoList(platform::DevInfoSet) { return true; }

}  // namespace vexav6::sim
