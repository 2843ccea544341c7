#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/error.h"
#include "base/keyed_collection.h"
#include "platform/platform.h"

namespace vexav6 {

class AdapterInfo;

// Finds the network adapters of the machine and switches their devices off and on, through the
// device installer on the network device class.
namespace DeviceManager {

// A device information set of the device installer, released exactly once when the owner goes
// away (also when an error leaves the operation that obtained it). Move-only.
class DeviceInfoSet {
  public:
    DeviceInfoSet() = default;
    DeviceInfoSet(platform::DeviceApi& api, platform::DevInfoSet handle)
        : api_(&api), handle_(handle) {}
    ~DeviceInfoSet() { Release(); }
    DeviceInfoSet(const DeviceInfoSet&) = delete;
    DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;
    DeviceInfoSet(DeviceInfoSet&& other) noexcept;
    DeviceInfoSet& operator=(DeviceInfoSet&& other) noexcept;

    platform::DevInfoSet Get() const { return handle_; }
    bool Held() const { return api_ != nullptr && handle_ != platform::kInvalidDevInfoSet; }
    void Release();

  private:
    platform::DeviceApi* api_ = nullptr;
    platform::DevInfoSet handle_ = platform::kInvalidDevInfoSet;
};

// Adds one initialised AdapterInfo per present network device that TCP/IP is bound to, keyed by
// its NetCfgInstanceId, in the order the device installer lists the devices. Each adapter shows
// the errors of its refreshes with error messages through `reportError` (none: dropped).
void GetNetworkAdapters(const Platform& platform,
                        KeyedCollection<std::shared_ptr<AdapterInfo>>& adapters,
                        const ErrorReporter& reportError = {});

// A text property (SPDRP code) of a device; "" when the device has no such property. For a
// multi-string property such as the hardware IDs this is the first string.
std::string GetDevicePropertyString(const Platform& platform, platform::DevInfoSet set,
                                    const platform::DevInfoData& device, uint32_t property);

// True when the device is enabled (its configuration flags do not have the disabled bit).
bool GetDeviceState(const Platform& platform, platform::DevInfoSet set,
                    const platform::DevInfoData& device);

// Enables or disables the device in all hardware profiles and waits 500 ms for the driver to
// settle.
void SetDeviceState(const Platform& platform, platform::DevInfoSet set,
                    const platform::DevInfoData& device, bool enabled);

// Finds the first present network device whose driver key contains `driverKey` (ignoring case).
// On success `set` holds the device set and `device` the device; otherwise "Device not found.".
void GetDevice(const Platform& platform, DeviceInfoSet& set, platform::DevInfoData& device,
               std::string_view driverKey);

bool IsAdapterDeviceEnabled(const Platform& platform, std::string_view driverKey);

// Whether a present network device has that driver key: false once its hardware is gone.
bool IsAdapterDevicePresent(const Platform& platform, std::string_view driverKey);

// Brings the device into the requested state; a device already in it is left alone (no request,
// no wait).
void SetAdapterDeviceEnabled(const Platform& platform, std::string_view driverKey, bool enabled);

// {4D36E972-E325-11CE-BFC1-08002BE10318}, the network device setup class.
platform::Guid GetNetClassGuid();

}  // namespace DeviceManager

}  // namespace vexav6
