#include "ipconfig/ipv6_gateway.h"

#include <algorithm>

#include "base/error.h"
#include "ipconfig/convert.h"
#include "ipconfig/ip_config_support.h"
#include "ipconfig/ipv6_support.h"
#include "system/registry.h"
#include "system/system_error.h"

namespace vexav6 {

namespace {

using platform::RootKey;

constexpr size_t kValueSize = 56;
constexpr size_t kMetricOffset = 12;

}  // namespace

void IPv6Gateway::Init(std::span<const uint8_t> nextHop, int32_t metric, int32_t ifIndex,
                       uint64_t luid, IpConfigOwner* adapter) {
    if (nextHop.size() != 16) {
        throw Error(errnum::kOwnCheck, "IPv6Gateway.Init",
                    "Invalid IPv6 address was passed as next hop.");
    }
    IpConfigSupport::CheckNotInitialised(initDone_, "IPv6Gateway");
    if (adapter != nullptr) {
        adapter->GetPlatform().ipHelper.InitializeIpForwardEntry(row_);
        row_.ifIndex = static_cast<uint32_t>(ifIndex);
        row_.luid = luid;
    } else {
        row_.ifIndex = static_cast<uint32_t>(ifIndex);
    }
    // A default route (::/0) through the next hop.
    row_.nextHop.family = platform::af::kInet6;
    std::copy(nextHop.begin(), nextHop.end(), row_.nextHop.ipv6.begin());
    row_.destinationPrefix.prefix.family = platform::af::kInet6;
    if (metric > 0) {
        row_.metric = static_cast<uint32_t>(metric);
    }
    adapter_ = adapter;
    initDone_ = true;
}

void IPv6Gateway::Init2(const platform::ForwardRow2& ipFwdRow, IpConfigOwner* adapter) {
    IpConfigSupport::CheckNotInitialised(initDone_, "IPv6Gateway.Init");
    row_ = ipFwdRow;
    adapter_ = adapter;
    initDone_ = true;
}

std::string IPv6Gateway::NextHop() const {
    return IPv6Support::CompressIPv6Text(IPv6Support::IPv6BytesToText(row_.nextHop.ipv6));
}

void IPv6Gateway::Add(bool persistent) {
    constexpr const char* kSource = "IPv6Gateway.Add";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    if (adapter_->State()) {
        ThrowIfFailed(platform, platform.ipHelper.CreateIpForwardEntry2(row_), kSource);
    }
    if (persistent) {
        AddGatewayInRegistry();
    }
}

void IPv6Gateway::Remove(bool persistent) {
    constexpr const char* kSource = "IPv6Gateway.Remove";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    if (adapter_->State()) {
        ThrowIfFailed(platform, platform.ipHelper.DeleteIpForwardEntry2(row_), kSource);
    }
    if (persistent) {
        RemoveGatewayFromRegistry();
    }
}

std::string IPv6Gateway::RegistryValueName() const {
    const std::string luid = Convert::BytesToHex(IpConfigSupport::LuidBytes(row_.luid));
    return std::string(80, '0') + luid + luid + Convert::BytesToHex(row_.nextHop.ipv6);
}

std::vector<uint8_t> IPv6Gateway::RegistryValueData() const {
    std::vector<uint8_t> data(kValueSize, 0xFF);
    IpConfigSupport::PutUint32(data, kMetricOffset, row_.metric);
    return data;
}

void IPv6Gateway::AddGatewayInRegistry() {
    constexpr const char* kSource = "IPv6Gateway.AddGatewayInRegistry";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    const std::vector<uint8_t> data = RegistryValueData();
    Registry::CreateKey(platform, RootKey::LocalMachine, IpConfigSupport::kIpv6RoutesKey);
    ThrowIfFailed(
        platform,
        Registry::WriteRawValue(platform, RootKey::LocalMachine, IpConfigSupport::kIpv6RoutesKey,
                                RegistryValueName(), data.data(),
                                static_cast<uint32_t>(data.size()), platform::regtype::kBinary),
        kSource);
}

void IPv6Gateway::RemoveGatewayFromRegistry() {
    // The source names the address class; callers and logs know the failure by this name.
    constexpr const char* kSource = "IPv6Address.RemoveGatewayFromRegistry";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    const std::string name = RegistryValueName();
    std::vector<uint8_t> data;
    uint32_t type = 0;
    platform::Status result = Registry::ReadBinaryValue(
        platform, RootKey::LocalMachine, IpConfigSupport::kIpv6RoutesKey, name, data, type);
    if (result == platform::status::kFileNotFound) {
        return;  // not stored: nothing to remove
    }
    if (result == platform::status::kSuccess) {
        result = Registry::DeleteValue(platform, RootKey::LocalMachine,
                                       IpConfigSupport::kIpv6RoutesKey, name);
    }
    ThrowIfFailed(platform, result, kSource);
}

}  // namespace vexav6
