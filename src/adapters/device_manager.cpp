#include "adapters/device_manager.h"

#include <utility>
#include <vector>

#include "adapters/adapter_info.h"
#include "base/error.h"
#include "base/text.h"
#include "system/registry.h"
#include "system/system_error.h"

namespace vexav6::DeviceManager {

using platform::DevInfoData;
using platform::DevInfoSet;
using platform::RootKey;
namespace status = platform::status;

namespace {

constexpr const char* kClassRoot = "SYSTEM\\CurrentControlSet\\Control\\Class\\";
constexpr const char* kTcpipAdapters =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Adapters\\";
constexpr const char* kTimeZoneKey = "SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
constexpr uint32_t kSettleMs = 500;

// The time-zone bias handed to every adapter: local time minus UTC in minutes (the negated
// ActiveTimeBias), 0 when the value is missing or not a 32-bit number.
int32_t ReadTimeZoneActiveBias(const Platform& platform) {
    std::vector<uint8_t> bytes;
    uint32_t type = 0;
    if (Registry::ReadBinaryValue(platform, RootKey::LocalMachine, kTimeZoneKey, "ActiveTimeBias",
                                  bytes, type) != status::kSuccess ||
        bytes.size() != 4) {
        return 0;
    }
    const uint32_t raw = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                         (static_cast<uint32_t>(bytes[2]) << 16) |
                         (static_cast<uint32_t>(bytes[3]) << 24);
    // Negated in 64 bits: the most negative bias has no 32-bit opposite.
    const int64_t bias = -static_cast<int64_t>(static_cast<int32_t>(raw));
    return bias > INT32_MAX ? INT32_MAX : static_cast<int32_t>(bias);
}

DeviceInfoSet PresentNetworkDevices(const Platform& platform, const char* source) {
    const DevInfoSet handle =
        platform.devices.GetClassDevs(GetNetClassGuid(), platform::digcf::kPresent);
    if (handle == platform::kInvalidDevInfoSet) {
        ThrowLastDeviceError(platform, source);
    }
    return DeviceInfoSet(platform.devices, handle);
}

}  // namespace

DeviceInfoSet::DeviceInfoSet(DeviceInfoSet&& other) noexcept
    : api_(std::exchange(other.api_, nullptr)),
      handle_(std::exchange(other.handle_, platform::kInvalidDevInfoSet)) {}

DeviceInfoSet& DeviceInfoSet::operator=(DeviceInfoSet&& other) noexcept {
    if (this != &other) {
        Release();
        api_ = std::exchange(other.api_, nullptr);
        handle_ = std::exchange(other.handle_, platform::kInvalidDevInfoSet);
    }
    return *this;
}

void DeviceInfoSet::Release() {
    if (Held()) {
        api_->DestroyDeviceInfoList(handle_);
    }
    api_ = nullptr;
    handle_ = platform::kInvalidDevInfoSet;
}

void GetNetworkAdapters(const Platform& platform,
                        KeyedCollection<std::shared_ptr<AdapterInfo>>& adapters,
                        const ErrorReporter& reportError) {
    const int32_t bias = ReadTimeZoneActiveBias(platform);
    const DeviceInfoSet set = PresentNetworkDevices(platform, "GetNetworkAdapters");

    for (uint32_t index = 0;; ++index) {
        DevInfoData device;
        device.size = 28;
        if (!platform.devices.EnumDeviceInfo(set.Get(), index, device)) {
            break;
        }
        const std::string driverKey =
            GetDevicePropertyString(platform, set.Get(), device, platform::spdrp::kDriver);
        std::string instanceId;
        if (Registry::ReadStringValue(platform, RootKey::LocalMachine,
                                      std::string(kClassRoot) + driverKey, "NetCfgInstanceId",
                                      instanceId) != status::kSuccess) {
            continue;
        }
        // Only devices that TCP/IP is bound to have an IpConfig value.
        std::string ipConfig;
        if (Registry::ReadStringValue(platform, RootKey::LocalMachine,
                                      std::string(kTcpipAdapters) + instanceId, "IpConfig",
                                      ipConfig) != status::kSuccess) {
            continue;
        }
        std::string description =
            GetDevicePropertyString(platform, set.Get(), device, platform::spdrp::kFriendlyName);
        if (description.empty()) {
            description =
                GetDevicePropertyString(platform, set.Get(), device, platform::spdrp::kDeviceDesc);
        }
        const std::string hardwareId =
            GetDevicePropertyString(platform, set.Get(), device, platform::spdrp::kHardwareId);
        const std::string manufacturer =
            GetDevicePropertyString(platform, set.Get(), device, platform::spdrp::kMfg);
        const bool state = GetDeviceState(platform, set.Get(), device);

        auto adapter = std::make_shared<AdapterInfo>(platform, reportError);
        adapter->Init(instanceId, driverKey, ipConfig, description, hardwareId, manufacturer, state,
                      bias);
        adapters.Add(std::move(adapter), instanceId);
    }
}

std::string GetDevicePropertyString(const Platform& platform, DevInfoSet set,
                                    const DevInfoData& device, uint32_t property) {
    platform::DeviceApi& api = platform.devices;
    uint32_t required = 0;
    if (api.GetDeviceRegistryProperty(set, device, property, nullptr, nullptr, 0, &required) ||
        api.GetLastError() != status::kInsufficientBuffer) {
        // The device has no such property (or it is empty).
        return "";
    }
    std::vector<uint8_t> buffer(required, static_cast<uint8_t>(' '));
    uint32_t type = 0;
    if (!api.GetDeviceRegistryProperty(set, device, property, &type, buffer.data(), required,
                                       &required)) {
        ThrowLastDeviceError(platform, "GetDevicePropertyString");
    }
    std::string value(buffer.begin(), buffer.end());
    const size_t zero = value.find('\0');
    if (zero != std::string::npos) {
        value.resize(zero);
    }
    return value;
}

bool GetDeviceState(const Platform& platform, DevInfoSet set, const DevInfoData& device) {
    uint8_t flags[4] = {};
    uint32_t type = 0;
    uint32_t required = 0;
    if (!platform.devices.GetDeviceRegistryProperty(set, device, platform::spdrp::kConfigFlags,
                                                    &type, flags, sizeof flags, &required)) {
        ThrowLastDeviceError(platform, "GetDeviceState");
    }
    return (flags[0] & platform::kConfigFlagDisabled) == 0;
}

void SetDeviceState(const Platform& platform, DevInfoSet set, const DevInfoData& device,
                    bool enabled) {
    platform::PropChangeParams params;
    params.stateChange = enabled ? platform::dics::kEnable : platform::dics::kDisable;
    params.scope = platform::dics::kFlagGlobal;
    params.hwProfile = 0;
    if (!platform.devices.SetClassInstallParams(set, device, params) ||
        !platform.devices.ChangeState(set, device)) {
        // Refused, for instance without administrator rights: the system's own text says why.
        ThrowLastDeviceError(platform, "SetDeviceState");
    }
    platform.system.Sleep(kSettleMs);
}

namespace {

// The first present network device whose driver key contains `driverKey`: true with `set` and
// `device` filled, false when there is none.
bool FindDevice(const Platform& platform, DeviceInfoSet& set, DevInfoData& device,
                std::string_view driverKey, const char* source) {
    DeviceInfoSet found = PresentNetworkDevices(platform, source);
    // Every driver key contains the empty text: an adapter without a driver key must not find
    // (and switch off) whichever device happens to come first.
    if (driverKey.empty()) {
        return false;
    }
    for (uint32_t index = 0;; ++index) {
        DevInfoData candidate;
        candidate.size = 28;
        if (!platform.devices.EnumDeviceInfo(found.Get(), index, candidate)) {
            return false;
        }
        const std::string key =
            GetDevicePropertyString(platform, found.Get(), candidate, platform::spdrp::kDriver);
        if (text::ContainsIgnoreCase(key, driverKey)) {
            set = std::move(found);
            device = candidate;
            return true;
        }
    }
}

}  // namespace

void GetDevice(const Platform& platform, DeviceInfoSet& set, DevInfoData& device,
               std::string_view driverKey) {
    if (!FindDevice(platform, set, device, driverKey, "GetDevice")) {
        throw Error(errnum::kOwnCheck, "GetDevice", "Device not found.");
    }
}

bool IsAdapterDevicePresent(const Platform& platform, std::string_view driverKey) {
    DeviceInfoSet set;
    DevInfoData device;
    return FindDevice(platform, set, device, driverKey, "IsAdapterDevicePresent");
}

bool IsAdapterDeviceEnabled(const Platform& platform, std::string_view driverKey) {
    DeviceInfoSet set;
    DevInfoData device;
    GetDevice(platform, set, device, driverKey);
    return GetDeviceState(platform, set.Get(), device);
}

void SetAdapterDeviceEnabled(const Platform& platform, std::string_view driverKey, bool enabled) {
    DeviceInfoSet set;
    DevInfoData device;
    GetDevice(platform, set, device, driverKey);
    if (GetDeviceState(platform, set.Get(), device) != enabled) {
        SetDeviceState(platform, set.Get(), device, enabled);
    }
}

platform::Guid GetNetClassGuid() {
    return platform::Guid{
        0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
}

}  // namespace vexav6::DeviceManager
