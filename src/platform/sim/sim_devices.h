#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/device_api.h"
#include "platform/sim/sim_ip_stack.h"

namespace vexav6::sim {

class SimRegistry;

// How a device's driver treats the `NetworkAddress` value of its class key when it starts.
enum class DriverProfile {
    Wired,                  // takes any valid unicast address of 12 hex digits
    Wireless,               // takes it only with the locally administered bit (0x02) set
    IgnoresNetworkAddress,  // always runs with its burned-in address
    Bridge,                 // the network bridge: its own address, whatever the value says
};

std::string_view DriverProfileName(DriverProfile profile);
bool DriverProfileFromName(std::string_view name, DriverProfile& profile);

// One network-class device of the simulated machine.
struct SimDevice {
    std::string description;
    std::string friendlyName;              // empty: the device has no friendly name
    std::vector<std::string> hardwareIds;  // the first is the one the program reads
    std::string manufacturer;              // empty: no such property
    std::string driverKey;                 // "{4D36E972-E325-11CE-BFC1-08002BE10318}\0007"
    uint32_t configFlags = 0;              // bit 0: disabled
    bool present = true;                   // false: the hardware is not in the machine
    DriverProfile driver = DriverProfile::Wired;
    std::array<uint8_t, 6> burnedInAddress{};
    // The interface the driver registers with TCP/IP when it runs. Its GUID, LUID and type are
    // taken from the class key (NetCfgInstanceId, NetLuidIndex, *IfType) when the device starts.
    std::optional<SimIpStack::InterfaceSpec> interface;

    bool Disabled() const { return (configFlags & platform::kConfigFlagDisabled) != 0; }
    friend bool operator==(const SimDevice&, const SimDevice&) = default;
};

// The network-class devices, answering the SetupAPI calls the program makes as SetupAPI does:
// sets that hold the present devices in enumeration order, property reads with the
// insufficient-buffer round (122 and the required size), 13 for a property the device lacks, state
// changes through DIF_PROPERTYCHANGE parameters. Disabling a device takes its interface out of the
// IP stack; enabling it brings the interface back with the address its driver reads.
class SimDevices : public platform::DeviceApi {
  public:
    using Status = platform::Status;

    enum class Call {
        GetClassDevs,
        EnumDeviceInfo,
        GetDeviceRegistryProperty,
        SetClassInstallParams,
        ChangeState
    };

    struct StateChange {
        std::string driverKey;
        uint32_t stateChange;  // 1 enable, 2 disable, 3 property change (restart)
    };

    SimDevices(SimRegistry& registry, SimIpStack& ipStack)
        : registry_(registry), ipStack_(ipStack) {}

    // --- DeviceApi ---
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
    Status GetLastError() override { return lastError_; }

    // --- The machine's side ---
    // Installs a device at the end of the enumeration order. A present device is registered with
    // the IP stack and, unless disabled or `start` is false, started. Returns its position.
    size_t Add(SimDevice device, bool start = true);
    const std::vector<SimDevice>& Devices() const { return devices_; }
    // The device whose driver key equals `driverKey` (ignoring case), or null.
    const SimDevice* Find(std::string_view driverKey) const;
    // Whether the device's driver runs now.
    bool IsRunning(std::string_view driverKey) const;
    // The address the device's driver would use if it started now.
    std::array<uint8_t, 6> AddressDriverReads(const SimDevice& device) const;
    // The interface the device registers, complete with the identity from its class key; nothing
    // when it has no interface or its class key names no NetCfgInstanceId.
    std::optional<SimIpStack::InterfaceSpec> InterfaceOf(const SimDevice& device) const;
    // A device added with `start` false whose interface was put back into the IP stack as it was
    // saved: the device counts as running when its interface does.
    void AdoptRestored(size_t position, bool running);
    // Puts the hardware in or takes it out; a device that leaves stops.
    void SetPresent(std::string_view driverKey, bool present);

    const std::vector<StateChange>& StateChanges() const { return stateChanges_; }
    size_t OpenSetCount() const { return sets_.size(); }

    // The next `times` calls of `call` fail with `status` (times < 0: all until cleared). With a
    // driver key, only calls about that device count (not for GetClassDevs).
    void InjectFailure(Call call, Status status, int times = 1, std::string_view driverKey = "");
    void ClearFailures() { failures_.clear(); }

    // Whether the user runs with administrator rights; state changes are refused without them.
    std::function<bool()> isAdmin;

    // The network device class.
    static const platform::Guid kNetClassGuid;

  private:
    struct Set {
        std::vector<size_t> devices;  // positions in devices_
        std::map<size_t, platform::PropChangeParams> params;
    };
    struct Failure {
        Call call;
        Status status;
        int remaining;
        std::string driverKey;
    };

    bool Fail(Status code) {
        lastError_ = code;
        return false;
    }
    std::optional<Status> Injected(Call call, std::string_view driverKey);
    // The device a record names in a set; sets lastError_ and returns null when there is none.
    const size_t* Resolve(platform::DevInfoSet set, const platform::DevInfoData& device);
    void Start(size_t position);
    void Stop(size_t position);

    SimRegistry& registry_;
    SimIpStack& ipStack_;
    std::vector<SimDevice> devices_;
    std::vector<std::string> runningGuids_;  // per device: the interface it brought up, or ""
    std::vector<bool> running_;              // per device: its driver runs
    std::map<platform::DevInfoSet, Set> sets_;
    platform::DevInfoSet nextSet_ = 0x5A0000;
    Status lastError_ = 0;
    std::vector<Failure> failures_;
    std::vector<StateChange> stateChanges_;
};

}  // namespace vexav6::sim
