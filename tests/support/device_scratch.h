#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/device_api.h"
#include "platform/sim/machine.h"
#include "support/registry_scratch.h"

#ifdef _WIN32
#include "platform/win32/win32_devices.h"
#endif

namespace vexav6::testing {

// A network-class device as a test describes it.
struct FixtureDevice {
    std::string description;
    std::vector<std::string> hardwareIds;  // the first one finds the device again
    std::optional<std::string> friendlyName;
    std::optional<std::string> manufacturer;
    uint32_t configFlags = 0;
};

// The device installer of one machine with network devices made for a test: a fresh simulated
// machine's, or (in the Windows suite) the real one's, where the devices are made through SetupAPI
// and removed again when the object goes. Devices left over by an earlier run that ended early are
// removed first; they are recognised by a first hardware ID that begins with "VEXAV6_TEST\".
class DeviceScratch {
  public:
    explicit DeviceScratch(RegistryBackend backend);
    ~DeviceScratch();
    DeviceScratch(const DeviceScratch&) = delete;
    DeviceScratch& operator=(const DeviceScratch&) = delete;

    platform::DeviceApi& Api() const { return *api_; }
    // Makes the device and answers the driver key it was given.
    std::string Make(const FixtureDevice& device);

    // A property the way the program asks for it: first without a buffer for the size, then with
    // a buffer one byte short (still too small, the same size reported: checked), then with that
    // size. Nothing when the first request fails for another reason than the buffer.
    std::optional<std::string> Property(platform::DevInfoSet set,
                                        const platform::DevInfoData& device, uint32_t property,
                                        uint32_t* typeOut = nullptr) const;
    // The devices of the set as the interface enumerates them, keyed by their first hardware ID;
    // checks the records and the end of the list.
    std::vector<std::pair<std::string, platform::DevInfoData>> Enumerate(
        platform::DevInfoSet set) const;

    struct Real;

  private:
    RegistryBackend backend_;
    sim::Machine machine_;
    platform::DeviceApi* api_ = &machine_.devices;
    std::unique_ptr<Real> real_;
};

#ifdef _WIN32
// A text property read straight through SetupAPI, without the code under test; empty when it
// cannot be read.
std::wstring ReadWideProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property);
#endif

}  // namespace vexav6::testing
