// AdapterInfo: switching DHCP on and off (stored settings) and releasing or renewing leases (at
// once: through the IP Helper interface for IPv4, through ipconfig for IPv6).

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "adapters/adapter_info.h"
#include "adapters/adapter_paths.h"
#include "base/error.h"
#include "base/text.h"
#include "ipconfig/ipv4_gateways.h"
#include "system/exec_pipe.h"
#include "system/registry.h"
#include "system/system_error.h"

namespace vexav6 {

using platform::RootKey;
namespace status = platform::status;
namespace regtype = platform::regtype;

namespace {

constexpr RootKey kHklm = RootKey::LocalMachine;
constexpr size_t kInterfaceRecordSize = 368;
// "0.0.0.0" and the two closing zeros of a one-entry list; a list with no entry.
constexpr std::string_view kNoAddressList("0.0.0.0\0\0", 9);
constexpr std::string_view kEmptyList("\0", 1);

}  // namespace

void AdapterInfo::EnableDHCPv4(bool enabled) {
    constexpr const char* kSource = "AdapterInfo.EnableDHCPv4";
    const std::string key = AdapterPaths::TcpipInterfaceKey(netCfgInstanceId_);
    const std::array<uint8_t, 4> flag = {static_cast<uint8_t>(enabled ? 1 : 0), 0, 0, 0};
    ThrowIfFailed(
        platform_,
        Registry::WriteBinaryValue(platform_, kHklm, key, "EnableDHCP", flag, regtype::kDword),
        kSource);
    dhcpv4Enabled_ = enabled;

    // Either way the static configuration goes: switched off, the adapter has no address until
    // one is added.
    ThrowIfFailed(platform_,
                  Registry::WriteStringValue(platform_, kHklm, key, "IPAddress", kNoAddressList,
                                             regtype::kMultiSz),
                  kSource);
    ThrowIfFailed(platform_,
                  Registry::WriteStringValue(platform_, kHklm, key, "SubnetMask", kNoAddressList,
                                             regtype::kMultiSz),
                  kSource);
    ThrowIfFailed(platform_,
                  Registry::WriteStringValue(platform_, kHklm, key, "DefaultGateway", kEmptyList,
                                             regtype::kMultiSz),
                  kSource);
    ThrowIfFailed(platform_,
                  Registry::WriteStringValue(platform_, kHklm, key, "DefaultGatewayMetric",
                                             kEmptyList, regtype::kMultiSz),
                  kSource);
    ipv4Gateways_->RemoveAllPersistentRoutes();
}

void AdapterInfo::EnableDHCPv6(bool enabled) {
    constexpr const char* kSource = "AdapterInfo.EnableDHCPv6";
    const std::string name = LuidText();
    if (!enabled) {
        ThrowIfFailed(platform_,
                      Registry::DeleteValue(platform_, kHklm, AdapterPaths::kNsiInterfaces, name),
                      kSource);
        dhcpv6Enabled_ = false;
        return;
    }

    Registry::CreateKey(platform_, kHklm, AdapterPaths::kNsiInterfaces);
    std::array<uint8_t, kInterfaceRecordSize> record{};
    uint32_t type = 0;
    if (Registry::ReadRawValue(platform_, kHklm, AdapterPaths::kNsiInterfaces, name, record.data(),
                               static_cast<uint32_t>(record.size()), type) != status::kSuccess) {
        // A new record as Windows makes one: all bytes set except three zeroed fields.
        record.fill(0xFF);
        std::fill(record.begin() + 32, record.begin() + 44, uint8_t{0});
        std::fill(record.begin() + 120, record.begin() + 124, uint8_t{0});
    }
    record[0] = 0;   // router advertisement off
    record[10] = 1;  // managed address configuration: DHCPv6 on
    std::fill(record.begin() + 20, record.begin() + 24, uint8_t{0});  // router discovery off
    ThrowIfFailed(platform_,
                  Registry::WriteBinaryValue(platform_, kHklm, AdapterPaths::kNsiInterfaces, name,
                                             record, regtype::kBinary),
                  kSource);
    dhcpv6Enabled_ = true;
}

void AdapterInfo::DHCPv4Action(int32_t action) {
    constexpr const char* kSource = "AdapterInfo.DHCPv4Action";
    std::vector<platform::IpAdapterIndexMap> interfaces;
    const platform::Status result = platform_.ipHelper.GetInterfaceInfo(interfaces);
    // No interface at all is the same answer as none of this adapter.
    if (result != status::kNoData) {
        ThrowIfFailed(platform_, result, kSource);
    }
    const platform::IpAdapterIndexMap* entry = nullptr;
    if (result == status::kSuccess && ifIndex_ != 0) {
        for (const platform::IpAdapterIndexMap& candidate : interfaces) {
            if (candidate.index == static_cast<uint32_t>(ifIndex_)) {
                entry = &candidate;
                break;
            }
        }
    }
    if (entry == nullptr) {
        throw Error(errnum::kOwnCheck, kSource, "Device not found.");
    }
    if (action == 0) {
        ThrowIfFailed(platform_, platform_.ipHelper.IpReleaseAddress(*entry), kSource);
    } else if (action == 1) {
        ThrowIfFailed(platform_, platform_.ipHelper.IpRenewAddress(*entry), kSource);
    }
}

AdapterInfo::DHCPv4LeaseInfo AdapterInfo::DHCPv4Lease() const {
    DHCPv4LeaseInfo lease;
    const std::string key = AdapterPaths::TcpipInterfaceKey(netCfgInstanceId_);
    std::string text;
    if (Registry::ReadStringValue(platform_, kHklm, key, "DhcpIPAddress", text) ==
            status::kSuccess &&
        !text.empty() && text.front() != '\0') {
        // A string, or a multi-string on some systems: the first entry.
        lease.address = text.substr(0, text.find('\0'));
        if (lease.address == "0.0.0.0") {
            lease.address.clear();  // released
        }
    }
    text.clear();
    if (!lease.address.empty() &&
        Registry::ReadStringValue(platform_, kHklm, key, "DhcpDefaultGateway", text) ==
            status::kSuccess) {
        for (const std::string& gateway : text::Split(text, std::string_view("\0", 1))) {
            if (!gateway.empty()) {
                lease.gateways.push_back(gateway);
            }
        }
    }
    return lease;
}

void AdapterInfo::DHCPv6Action(int32_t action) {
    constexpr uint32_t kNormalPriority = 32;
    if (action == 0) {
        ExecPipe::RunConsoleCommand(platform_, "ipconfig /release6", "", kNormalPriority, false);
    } else if (action == 1) {
        ExecPipe::RunConsoleCommand(platform_, "ipconfig /renew6", "", kNormalPriority, false);
    }
}

}  // namespace vexav6
