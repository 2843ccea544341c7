#include "ipconfig/ipv6_address.h"

#include <algorithm>

#include "base/error.h"
#include "ipconfig/convert.h"
#include "ipconfig/ip_config_support.h"
#include "ipconfig/ipv6_support.h"
#include "system/registry.h"
#include "system/system_error.h"
#include "system/win_ver.h"

namespace vexav6 {

namespace {

using platform::RootKey;

constexpr uint32_t kOriginManual = 1;
constexpr size_t kValueSize = 48;
constexpr size_t kFilledFrom = 18;

}  // namespace

void IPv6Address::Init(std::span<const uint8_t> ipv6, uint8_t onLinkPrefixLength, int32_t ifIndex,
                       uint64_t luid, IpConfigOwner* adapter) {
    constexpr const char* kSource = "IPv6Address.Init";
    if (ipv6.size() != 16) {
        throw Error(errnum::kOwnCheck, kSource, "Invalid IPv6 address was passed.");
    }
    IpConfigSupport::CheckNotInitialised(initDone_, kSource);
    if (adapter != nullptr) {
        const Platform& platform = adapter->GetPlatform();
        // Before Windows 6.0 there is no such initialiser (nor the calls that take the row).
        if (WinVer::IsVistaOrLater(platform)) {
            platform.ipHelper.InitializeUnicastIpAddressEntry(row_);
        }
        row_.ifIndex = static_cast<uint32_t>(ifIndex);
        row_.luid = luid;
    } else {
        row_.ifIndex = static_cast<uint32_t>(ifIndex);
    }
    row_.address.family = platform::af::kInet6;
    std::copy(ipv6.begin(), ipv6.end(), row_.address.ipv6.begin());
    row_.onLinkPrefixLength = onLinkPrefixLength;
    row_.prefixOrigin = kOriginManual;
    row_.suffixOrigin = kOriginManual;
    adapter_ = adapter;
    initDone_ = true;
}

void IPv6Address::Init2(const platform::UnicastRow& ipRow, IpConfigOwner* adapter) {
    IpConfigSupport::CheckNotInitialised(initDone_, "IPv6Address.Init");
    row_ = ipRow;
    adapter_ = adapter;
    initDone_ = true;
}

std::string IPv6Address::IPAddress() const {
    std::string text = IPv6Support::IPv6BytesToText(row_.address.ipv6);
    // A link-local address is ambiguous without the interface it lives on.
    if (row_.address.ipv6[0] == 0xFE && row_.address.ipv6[1] == 0x80 && adapter_ != nullptr) {
        text += "%" + std::to_string(adapter_->IfIndex());
    }
    return text;
}

void IPv6Address::Add(bool persistent) {
    constexpr const char* kSource = "IPv6Address.Add";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    if (adapter_->State()) {
        ThrowIfFailed(platform, platform.ipHelper.CreateUnicastIpAddressEntry(row_), kSource);
    }
    if (persistent) {
        AddIPInRegistry();
    }
}

void IPv6Address::Remove(bool persistent) {
    constexpr const char* kSource = "IPv6Address.Remove";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    if (adapter_->State()) {
        ThrowIfFailed(platform, platform.ipHelper.DeleteUnicastIpAddressEntry(row_), kSource);
    }
    if (persistent) {
        RemoveIPFromRegistry();
    }
}

std::string IPv6Address::RegistryValueName() const {
    return Convert::BytesToHex(IpConfigSupport::LuidBytes(row_.luid)) +
           Convert::BytesToHex(row_.address.ipv6);
}

std::vector<uint8_t> IPv6Address::RegistryValueData() const {
    std::vector<uint8_t> data(kValueSize, 0);
    IpConfigSupport::PutUint32(data, 0, row_.validLifetime);
    IpConfigSupport::PutUint32(data, 4, row_.preferredLifetime);
    IpConfigSupport::PutUint32(data, 8, row_.prefixOrigin);
    IpConfigSupport::PutUint32(data, 12, row_.suffixOrigin);
    data[16] = row_.onLinkPrefixLength;
    data[17] = row_.skipAsSource ? 1 : 0;
    std::fill(data.begin() + kFilledFrom, data.end(), uint8_t{0xFF});
    return data;
}

void IPv6Address::AddIPInRegistry() {
    constexpr const char* kSource = "IPv6Address.AddIPInRegistry";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    const std::vector<uint8_t> data = RegistryValueData();
    // The store's key exists once Windows has run IPv6; a failure to create it shows at the write.
    Registry::CreateKey(platform, RootKey::LocalMachine, IpConfigSupport::kIpv6AddressesKey);
    ThrowIfFailed(
        platform,
        Registry::WriteRawValue(platform, RootKey::LocalMachine, IpConfigSupport::kIpv6AddressesKey,
                                RegistryValueName(), data.data(),
                                static_cast<uint32_t>(data.size()), platform::regtype::kBinary),
        kSource);
}

void IPv6Address::RemoveIPFromRegistry() {
    constexpr const char* kSource = "IPv6Address.RemoveIPFromRegistry";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    const std::string name = RegistryValueName();
    std::vector<uint8_t> data;
    uint32_t type = 0;
    platform::Status result = Registry::ReadBinaryValue(
        platform, RootKey::LocalMachine, IpConfigSupport::kIpv6AddressesKey, name, data, type);
    if (result == platform::status::kFileNotFound) {
        return;  // not stored: nothing to remove
    }
    if (result == platform::status::kSuccess) {
        result = Registry::DeleteValue(platform, RootKey::LocalMachine,
                                       IpConfigSupport::kIpv6AddressesKey, name);
    }
    ThrowIfFailed(platform, result, kSource);
}

}  // namespace vexav6
