#include "ipconfig/ipv4_address.h"

#include <vector>

#include "base/error.h"
#include "ipconfig/ip_config_support.h"
#include "ipconfig/ipv4_support.h"
#include "system/registry.h"
#include "system/system_error.h"

namespace vexav6 {

namespace {

using platform::RootKey;
namespace regtype = platform::regtype;

constexpr int32_t kOperational = 5;
constexpr const char* kPlaceholder = "0.0.0.0";

// Reads a stored list value as text; a failed read is raised with `source`.
std::string ReadListText(const Platform& platform, const std::string& key, const char* name,
                         const char* source) {
    std::string text;
    ThrowIfFailed(platform,
                  Registry::ReadStringValue(platform, RootKey::LocalMachine, key, name, text),
                  source);
    return text;
}

void WriteListText(const Platform& platform, const std::string& key, const char* name,
                   const std::string& text, const char* source) {
    ThrowIfFailed(platform,
                  Registry::WriteStringValue(platform, RootKey::LocalMachine, key, name, text,
                                             regtype::kMultiSz),
                  source);
}

bool EmptyOrSingleZero(const std::string& text) {
    return text.empty() || text == std::string(1, '\0');
}

}  // namespace

void IPv4Address::Init(const std::string& ipAddress, const std::string& subnetMask,
                       int32_t nteContext, int32_t ifIndex, const std::string& netCfgInstanceId,
                       IpConfigOwner* adapter) {
    IpConfigSupport::CheckNotInitialised(initDone_, "IPv4Address.Init");
    ipAddress_ = ipAddress.empty() ? kPlaceholder : ipAddress;
    subnetMask_ = subnetMask.empty() ? kPlaceholder : subnetMask;
    nteContext_ = nteContext;
    ifIndex_ = ifIndex;
    netCfgInstanceId_ = netCfgInstanceId;
    adapter_ = adapter;
    initDone_ = true;
}

void IPv4Address::Add(bool persistent) {
    constexpr const char* kSource = "IPv4Address.Add";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    // An address can only be put on an interface that runs (cable in); otherwise it only goes
    // into the stored configuration, which Windows applies when the interface comes up.
    if (adapter_->OperationalStatus() == kOperational && adapter_->State()) {
        if (nteContext_ != 0) {
            throw Error(errnum::kOwnCheck, kSource, "IPv4 address already added.");
        }
        uint32_t context = 0;
        uint32_t instance = 0;
        ThrowIfFailed(platform,
                      platform.ipHelper.AddIPAddress(
                          IPv4Support::InetAddr(ipAddress_), IPv4Support::InetAddr(subnetMask_),
                          static_cast<uint32_t>(ifIndex_), context, instance),
                      kSource);
        nteContext_ = static_cast<int32_t>(context);
    }
    if (persistent) {
        AddIPInRegistry();
    }
}

void IPv4Address::Remove(bool persistent) {
    constexpr const char* kSource = "IPv4Address.Remove";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    // The "0.0.0.0" entry the system lists for an interface without any address (a DHCP adapter
    // without a lease) stands for no address: there is nothing live to remove.
    const bool placeholder = nteContext_ == 0 && ipAddress_ == "0.0.0.0";
    if (adapter_->State() && !placeholder) {
        if (nteContext_ == 0) {
            throw Error(errnum::kOwnCheck, kSource, "IPv4 address does not exist.");
        }
        ThrowIfFailed(platform,
                      platform.ipHelper.DeleteIPAddress(static_cast<uint32_t>(nteContext_)),
                      kSource);
        // The context died with the address.
        nteContext_ = 0;
    }
    if (persistent) {
        RemoveIPFromRegistry();
    }
}

void IPv4Address::AddIPInRegistry() {
    constexpr const char* kSource = "IPv4Address.AddIPInRegistry";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    const std::string key = IpConfigSupport::Ipv4InterfaceKey(netCfgInstanceId_);

    std::string addressText = ReadListText(platform, key, "IPAddress", kSource);
    if (EmptyOrSingleZero(addressText)) {
        addressText = kPlaceholder;
    }
    std::vector<std::string> addresses = IpConfigSupport::SplitList(addressText);
    std::string maskText = ReadListText(platform, key, "SubnetMask", kSource);
    if (EmptyOrSingleZero(maskText)) {
        maskText = kPlaceholder;
    }
    std::vector<std::string> masks = IpConfigSupport::SplitList(maskText);
    IpConfigSupport::FitList(masks, addresses.size());

    // "0.0.0.0" means the list holds no address at all.
    IpConfigSupport::PlacePair(addresses, masks, ipAddress_, subnetMask_, kPlaceholder);

    WriteListText(platform, key, "IPAddress", IpConfigSupport::MultiStringText(addresses), kSource);
    WriteListText(platform, key, "SubnetMask", IpConfigSupport::MultiStringText(masks), kSource);
}

void IPv4Address::RemoveIPFromRegistry() {
    constexpr const char* kSource = "IPv4Address.RemoveIPFromRegistry";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    const std::string key = IpConfigSupport::Ipv4InterfaceKey(netCfgInstanceId_);

    // The interface key of an adapter on DHCP often holds no "IPAddress" at all: nothing is
    // stored, so there is nothing to remove (and nothing to write).
    std::string stored;
    platform::Status result =
        Registry::ReadStringValue(platform, RootKey::LocalMachine, key, "IPAddress", stored);
    if (result == platform::status::kFileNotFound) {
        return;
    }
    ThrowIfFailed(platform, result, kSource);
    const std::vector<std::string> addresses = IpConfigSupport::SplitList(stored);
    std::string storedMasks;
    result =
        Registry::ReadStringValue(platform, RootKey::LocalMachine, key, "SubnetMask", storedMasks);
    if (result != platform::status::kFileNotFound) {
        ThrowIfFailed(platform, result, kSource);
    }
    std::vector<std::string> masks = IpConfigSupport::SplitList(storedMasks);
    IpConfigSupport::FitList(masks, addresses.size());

    // Every copy of the address goes, whatever its mask.
    auto [addressText, maskText] = IpConfigSupport::DropPair(addresses, masks, ipAddress_);
    if (EmptyOrSingleZero(addressText)) {
        // No address left: Windows keeps "0.0.0.0" in both lists.
        addressText = std::string(kPlaceholder) + std::string(2, '\0');
        maskText = addressText;
    }

    WriteListText(platform, key, "IPAddress", addressText, kSource);
    WriteListText(platform, key, "SubnetMask", maskText, kSource);
}

}  // namespace vexav6
