#include "system/system_error.h"

#include "system/registry.h"

namespace vexav6 {

Error SystemError(const Platform& platform, platform::Status code, std::string_view source) {
    return Error(static_cast<int32_t>(code), std::string(source),
                 Registry::GetSystemErrorMessage(platform, code));
}

void ThrowIfFailed(const Platform& platform, platform::Status code, std::string_view source) {
    if (code != platform::status::kSuccess) {
        throw SystemError(platform, code, source);
    }
}

void ThrowLastDeviceError(const Platform& platform, std::string_view source) {
    throw SystemError(platform, platform.devices.GetLastError(), source);
}

}  // namespace vexav6
