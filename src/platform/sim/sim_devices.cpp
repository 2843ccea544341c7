#include "platform/sim/sim_devices.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"
#include "platform/registry_api.h"
#include "platform/sim/sim_net_text.h"
#include "platform/sim/sim_registry.h"

namespace vexav6::sim {

namespace status = platform::status;
namespace regtype = platform::regtype;
using platform::DevInfoData;
using platform::DevInfoSet;
using platform::RootKey;

namespace {

constexpr const char* kClassRoot = "SYSTEM\\CurrentControlSet\\Control\\Class\\";
constexpr uint32_t kDevInfoDataSize = 28;
constexpr uint32_t kDigcfAllClasses = 0x4;
constexpr uint32_t kDigcfDeviceInterface = 0x10;
constexpr uint32_t kDicsPropChange = 3;
constexpr uint32_t kDicsStart = 4;
constexpr uint32_t kDicsStop = 5;
constexpr uint32_t kSpdrpClass = 7;
constexpr uint32_t kSpdrpClassGuid = 8;
constexpr uint32_t kSpdrpMaximum = 0x25;
// NetLuidIndex values Windows hands out start here.
constexpr uint32_t kFirstLuidIndex = 0x8000;

}  // namespace

const platform::Guid SimDevices::kNetClassGuid{
    0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

std::string_view DriverProfileName(DriverProfile profile) {
    switch (profile) {
        case DriverProfile::Wired:
            return "wired";
        case DriverProfile::Wireless:
            return "wireless";
        case DriverProfile::IgnoresNetworkAddress:
            return "ignores-network-address";
        case DriverProfile::Bridge:
            return "bridge";
    }
    return "";
}

bool DriverProfileFromName(std::string_view name, DriverProfile& profile) {
    for (const DriverProfile candidate :
         {DriverProfile::Wired, DriverProfile::Wireless, DriverProfile::IgnoresNetworkAddress,
          DriverProfile::Bridge}) {
        if (text::EqualsIgnoreCase(name, DriverProfileName(candidate))) {
            profile = candidate;
            return true;
        }
    }
    return false;
}

// --- The machine's side ---

size_t SimDevices::Add(SimDevice device, bool start) {
    devices_.push_back(std::move(device));
    runningGuids_.emplace_back();
    running_.push_back(false);
    const size_t position = devices_.size() - 1;
    const SimDevice& added = devices_[position];
    if (added.present) {
        if (const auto spec = InterfaceOf(added)) {
            ipStack_.Register(*spec, added.burnedInAddress);
        }
        if (start && !added.Disabled()) {
            Start(position);
        }
    }
    return position;
}

const SimDevice* SimDevices::Find(std::string_view driverKey) const {
    for (const SimDevice& device : devices_) {
        if (text::EqualsIgnoreCase(device.driverKey, driverKey)) {
            return &device;
        }
    }
    return nullptr;
}

bool SimDevices::IsRunning(std::string_view driverKey) const {
    for (size_t i = 0; i < devices_.size(); ++i) {
        if (text::EqualsIgnoreCase(devices_[i].driverKey, driverKey)) {
            return running_[i];
        }
    }
    return false;
}

std::optional<SimIpStack::InterfaceSpec> SimDevices::InterfaceOf(const SimDevice& device) const {
    if (!device.interface) {
        return std::nullopt;
    }
    const std::string classKey = kClassRoot + device.driverKey;
    const auto guid = registry_.GetString(RootKey::LocalMachine, classKey, "NetCfgInstanceId");
    if (!guid || guid->empty()) {
        return std::nullopt;
    }
    SimIpStack::InterfaceSpec spec = *device.interface;
    spec.guid = *guid;
    const uint32_t defaultType = device.driver == DriverProfile::Wireless
                                     ? platform::iftype::kIeee80211
                                     : platform::iftype::kEthernet;
    spec.type =
        registry_.GetDword(RootKey::LocalMachine, classKey, "*IfType").value_or(defaultType);
    // Without a NetLuidIndex value the device's place in the machine decides.
    uint32_t position = 0;
    for (size_t i = 0; i < devices_.size(); ++i) {
        if (&devices_[i] == &device) {
            position = static_cast<uint32_t>(i);
        }
    }
    const uint32_t luidIndex = registry_.GetDword(RootKey::LocalMachine, classKey, "NetLuidIndex")
                                   .value_or(kFirstLuidIndex + position);
    // NET_LUID: interface type in the upper 16 bits, the index below it, 24 reserved bits.
    spec.luid = (uint64_t{spec.type & 0xFFFF} << 48) | (uint64_t{luidIndex & 0xFFFFFF} << 24);
    if (spec.description.empty()) {
        spec.description = device.description;
    }
    return spec;
}

std::array<uint8_t, 6> SimDevices::AddressDriverReads(const SimDevice& device) const {
    if (device.driver == DriverProfile::IgnoresNetworkAddress ||
        device.driver == DriverProfile::Bridge) {
        return device.burnedInAddress;
    }
    const auto value =
        registry_.GetString(RootKey::LocalMachine, kClassRoot + device.driverKey, "NetworkAddress");
    nettext::MacBytes mac{};
    // Drivers take exactly twelve hex digits, no separators.
    if (!value || value->size() != 12 ||
        !std::all_of(value->begin(), value->end(), [](char c) { return text::IsHexDigit(c); }) ||
        !nettext::ParseMac(*value, mac)) {
        return device.burnedInAddress;
    }
    const bool multicast = (mac[0] & 0x01) != 0;
    const bool zero = std::all_of(mac.begin(), mac.end(), [](uint8_t b) { return b == 0; });
    if (multicast || zero) {
        return device.burnedInAddress;
    }
    if (device.driver == DriverProfile::Wireless && (mac[0] & 0x02) == 0) {
        return device.burnedInAddress;  // wireless drivers insist on a locally administered address
    }
    return mac;
}

void SimDevices::AdoptRestored(size_t position, bool running) {
    running_[position] = running;
    runningGuids_[position].clear();
    if (running) {
        if (const auto spec = InterfaceOf(devices_[position])) {
            runningGuids_[position] = spec->guid;
        }
    }
}

void SimDevices::Start(size_t position) {
    SimDevice& device = devices_[position];
    if (!device.present || device.Disabled() || running_[position]) {
        return;
    }
    running_[position] = true;
    if (const auto spec = InterfaceOf(device)) {
        ipStack_.BringUp(*spec, AddressDriverReads(device));
        runningGuids_[position] = spec->guid;
    }
}

void SimDevices::Stop(size_t position) {
    running_[position] = false;
    if (!runningGuids_[position].empty()) {
        ipStack_.TakeDown(runningGuids_[position]);
        runningGuids_[position].clear();
    }
}

void SimDevices::SetPresent(std::string_view driverKey, bool present) {
    for (size_t i = 0; i < devices_.size(); ++i) {
        if (!text::EqualsIgnoreCase(devices_[i].driverKey, driverKey)) {
            continue;
        }
        if (present == devices_[i].present) {
            return;
        }
        devices_[i].present = present;
        if (present) {
            if (const auto spec = InterfaceOf(devices_[i])) {
                ipStack_.Register(*spec, devices_[i].burnedInAddress);
            }
            Start(i);
        } else {
            const std::string guid = runningGuids_[i];
            Stop(i);
            if (const auto spec = InterfaceOf(devices_[i])) {
                ipStack_.Unregister(spec->guid);
            } else if (!guid.empty()) {
                ipStack_.Unregister(guid);
            }
        }
        return;
    }
}

void SimDevices::InjectFailure(Call call, Status code, int times, std::string_view driverKey) {
    failures_.push_back(Failure{call, code, times < 0 ? -1 : times, std::string(driverKey)});
}

std::optional<platform::Status> SimDevices::Injected(Call call, std::string_view driverKey) {
    for (auto it = failures_.begin(); it != failures_.end(); ++it) {
        if (it->call != call ||
            (!it->driverKey.empty() && !text::EqualsIgnoreCase(it->driverKey, driverKey))) {
            continue;
        }
        const Status code = it->status;
        if (it->remaining > 0 && --it->remaining == 0) {
            failures_.erase(it);
        }
        return code;
    }
    return std::nullopt;
}

// --- DeviceApi ---

DevInfoSet SimDevices::GetClassDevs(const platform::Guid& classGuid, uint32_t flags) {
    if (const auto failure = Injected(Call::GetClassDevs, "")) {
        lastError_ = *failure;
        return platform::kInvalidDevInfoSet;
    }
    Set set;
    const bool classMatches = (flags & kDigcfAllClasses) != 0 || classGuid == kNetClassGuid;
    if (classMatches && (flags & kDigcfDeviceInterface) == 0) {
        for (size_t i = 0; i < devices_.size(); ++i) {
            if ((flags & platform::digcf::kPresent) == 0 || devices_[i].present) {
                set.devices.push_back(i);
            }
        }
    }
    const DevInfoSet handle = nextSet_++;
    sets_.emplace(handle, std::move(set));
    lastError_ = status::kSuccess;
    return handle;
}

bool SimDevices::EnumDeviceInfo(DevInfoSet set, uint32_t index, DevInfoData& device) {
    const auto it = sets_.find(set);
    if (it == sets_.end()) {
        return Fail(status::kInvalidHandle);
    }
    if (device.size != kDevInfoDataSize) {
        return Fail(status::kInvalidUserBuffer);
    }
    if (index >= it->second.devices.size()) {
        return Fail(status::kNoMoreItems);
    }
    const size_t position = it->second.devices[index];
    if (const auto failure = Injected(Call::EnumDeviceInfo, devices_[position].driverKey)) {
        return Fail(*failure);
    }
    device.classGuid = kNetClassGuid;
    device.devInst = static_cast<uint32_t>(position + 1);
    device.reserved = set;
    lastError_ = status::kSuccess;
    return true;
}

const size_t* SimDevices::Resolve(DevInfoSet set, const DevInfoData& device) {
    const auto it = sets_.find(set);
    if (it == sets_.end()) {
        Fail(status::kInvalidHandle);
        return nullptr;
    }
    const auto& members = it->second.devices;
    const auto found =
        std::find(members.begin(), members.end(), static_cast<size_t>(device.devInst) - 1);
    if (device.size != kDevInfoDataSize || device.reserved != set || device.devInst == 0 ||
        found == members.end()) {
        Fail(status::kInvalidParameter);
        return nullptr;
    }
    return &*found;
}

bool SimDevices::GetDeviceRegistryProperty(DevInfoSet set, const DevInfoData& device,
                                           uint32_t property, uint32_t* regType, uint8_t* buffer,
                                           uint32_t bufferSize, uint32_t* requiredSize) {
    const size_t* position = Resolve(set, device);
    if (position == nullptr) {
        return false;
    }
    const SimDevice& dev = devices_[*position];
    if (const auto failure = Injected(Call::GetDeviceRegistryProperty, dev.driverKey)) {
        return Fail(*failure);
    }
    if (property >= kSpdrpMaximum) {
        return Fail(status::kInvalidRegProperty);
    }
    if (buffer == nullptr && bufferSize != 0) {
        return Fail(status::kInvalidUserBuffer);
    }
    uint32_t type = regtype::kSz;
    std::vector<uint8_t> data;
    const auto text = [&](const std::string& value) {
        if (!value.empty()) {
            data = StringData(value);
        }
    };
    switch (property) {
        case platform::spdrp::kDeviceDesc:
            text(dev.description);
            break;
        case platform::spdrp::kHardwareId:
            if (!dev.hardwareIds.empty()) {
                type = regtype::kMultiSz;
                data = MultiStringData(dev.hardwareIds);
            }
            break;
        case platform::spdrp::kDriver:
            text(dev.driverKey);
            break;
        case platform::spdrp::kConfigFlags:
            type = regtype::kDword;
            data = {static_cast<uint8_t>(dev.configFlags),
                    static_cast<uint8_t>(dev.configFlags >> 8),
                    static_cast<uint8_t>(dev.configFlags >> 16),
                    static_cast<uint8_t>(dev.configFlags >> 24)};
            break;
        case platform::spdrp::kMfg:
            text(dev.manufacturer);
            break;
        case platform::spdrp::kFriendlyName:
            text(dev.friendlyName);
            break;
        case kSpdrpClass:
            text("Net");
            break;
        case kSpdrpClassGuid:
            text("{4d36e972-e325-11ce-bfc1-08002be10318}");
            break;
        default:
            break;
    }
    if (data.empty()) {
        return Fail(status::kInvalidData);  // the device has no such property
    }
    const auto size = static_cast<uint32_t>(data.size());
    if (requiredSize != nullptr) {
        *requiredSize = size;
    }
    if (bufferSize < size) {
        return Fail(status::kInsufficientBuffer);
    }
    if (regType != nullptr) {
        *regType = type;
    }
    std::memcpy(buffer, data.data(), size);
    lastError_ = status::kSuccess;
    return true;
}

bool SimDevices::SetClassInstallParams(DevInfoSet set, const DevInfoData& device,
                                       const platform::PropChangeParams& params) {
    const size_t* position = Resolve(set, device);
    if (position == nullptr) {
        return false;
    }
    if (const auto failure = Injected(Call::SetClassInstallParams, devices_[*position].driverKey)) {
        return Fail(*failure);
    }
    if (params.headerSize != 8) {
        return Fail(status::kInvalidUserBuffer);
    }
    if (params.installFunction != 0x12 || params.stateChange < platform::dics::kEnable ||
        params.stateChange > kDicsStop || params.scope < 1 || params.scope > 2) {
        return Fail(status::kInvalidParameter);
    }
    sets_[set].params[*position] = params;
    lastError_ = status::kSuccess;
    return true;
}

bool SimDevices::ChangeState(DevInfoSet set, const DevInfoData& device) {
    const size_t* found = Resolve(set, device);
    if (found == nullptr) {
        return false;
    }
    const size_t position = *found;
    SimDevice& dev = devices_[position];
    if (const auto failure = Injected(Call::ChangeState, dev.driverKey)) {
        return Fail(*failure);
    }
    const auto& params = sets_[set].params;
    const auto requested = params.find(position);
    if (requested == params.end()) {
        return Fail(status::kInvalidParameter);
    }
    if (isAdmin && !isAdmin()) {
        return Fail(status::kAccessDenied);
    }
    if (!dev.present) {
        return Fail(status::kNoSuchDevInst);
    }
    const uint32_t change = requested->second.stateChange;
    switch (change) {
        case platform::dics::kEnable:
            dev.configFlags &= ~platform::kConfigFlagDisabled;
            Start(position);
            break;
        case platform::dics::kDisable:
            dev.configFlags |= platform::kConfigFlagDisabled;
            Stop(position);
            break;
        case kDicsPropChange:
            if (running_[position]) {
                Stop(position);
                Start(position);
            }
            break;
        case kDicsStart:
            Start(position);
            break;
        case kDicsStop:
            Stop(position);
            break;
        default:
            break;
    }
    stateChanges_.push_back(StateChange{dev.driverKey, change});
    lastError_ = status::kSuccess;
    return true;
}

bool SimDevices::DestroyDeviceInfoList(DevInfoSet set) {
    if (sets_.erase(set) == 0) {
        return Fail(status::kInvalidHandle);
    }
    lastError_ = status::kSuccess;
    return true;
}

}  // namespace vexav6::sim
