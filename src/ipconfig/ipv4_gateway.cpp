#include "ipconfig/ipv4_gateway.h"

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

constexpr uint32_t kRouteTypeIndirect = 4;
constexpr uint32_t kProtoNetMgmt = 3;
// The route metric of a gateway when neither it nor its interface has one.
constexpr uint32_t kDefaultRouteMetric = 30;
constexpr const char* kDefaultRoutePrefix = "0.0.0.0,0.0.0.0,";

// A stored list value; a value that cannot be read counts as a list with one empty entry.
std::vector<std::string> ReadListOrEmpty(const Platform& platform, const std::string& key,
                                         const char* name) {
    std::string text;
    if (Registry::ReadStringValue(platform, RootKey::LocalMachine, key, name, text) !=
        platform::status::kSuccess) {
        text.clear();
    }
    return IpConfigSupport::SplitList(text);
}

void WriteListText(const Platform& platform, const std::string& key, const char* name,
                   const std::string& text, const char* source) {
    ThrowIfFailed(platform,
                  Registry::WriteStringValue(platform, RootKey::LocalMachine, key, name, text,
                                             regtype::kMultiSz),
                  source);
}

}  // namespace

void IPv4Gateway::Init(const std::string& gateway, int32_t metric, int32_t ifIndex,
                       const std::string& netCfgInstanceId, int32_t ifMetric,
                       IpConfigOwner* adapter) {
    IpConfigSupport::CheckNotInitialised(initDone_, "IPv4Gateway");
    gateway_ = gateway.empty() ? "0.0.0.0" : gateway;
    metric_ = metric < 1 ? 0 : metric;
    ifIndex_ = ifIndex;
    netCfgInstanceId_ = netCfgInstanceId;
    ifMetric_ = ifMetric;
    adapter_ = adapter;
    initDone_ = true;
}

uint32_t IPv4Gateway::RouteMetric() const {
    if (metric_ != 0) {
        return static_cast<uint32_t>(metric_);
    }
    if (ifMetric_ != 0) {
        return static_cast<uint32_t>(ifMetric_);
    }
    return kDefaultRouteMetric;
}

std::string IPv4Gateway::PersistentRouteName() const {
    return kDefaultRoutePrefix + gateway_ + "," + (metric_ == 0 ? "-1" : std::to_string(metric_));
}

void IPv4Gateway::Add(bool persistent) {
    constexpr const char* kSource = "IPv4Gateway.Add";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    if (adapter_->State()) {
        platform::MibIpForwardRow row;
        row.nextHop = IPv4Support::InetAddr(gateway_);
        row.ifIndex = static_cast<uint32_t>(ifIndex_);
        row.type = kRouteTypeIndirect;
        row.proto = kProtoNetMgmt;
        row.metric1 = RouteMetric();
        ThrowIfFailed(platform, platform.ipHelper.CreateIpForwardEntry(row), kSource);
    }
    if (persistent) {
        AddGatewayInRegistry();
    }
}

void IPv4Gateway::Remove(bool persistent) {
    constexpr const char* kSource = "IPv4Gateway.Remove";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    if (adapter_->State()) {
        platform::MibIpForwardRow row;
        row.nextHop = IPv4Support::InetAddr(gateway_);
        row.ifIndex = static_cast<uint32_t>(ifIndex_);
        row.type = kRouteTypeIndirect;
        row.proto = kProtoNetMgmt;
        ThrowIfFailed(platform, platform.ipHelper.DeleteIpForwardEntry(row), kSource);
    }
    if (persistent) {
        RemoveGatewayFromRegistry();
    }
}

void IPv4Gateway::AddGatewayInRegistry() {
    constexpr const char* kSource = "IPv4Gateway.AddGatewayInRegistry";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    const std::string key = IpConfigSupport::Ipv4InterfaceKey(netCfgInstanceId_);

    std::vector<std::string> gateways = ReadListOrEmpty(platform, key, "DefaultGateway");
    std::vector<std::string> metrics = ReadListOrEmpty(platform, key, "DefaultGatewayMetric");
    IpConfigSupport::FitList(metrics, gateways.size());

    // Gateways have no "no address" placeholder.
    IpConfigSupport::PlacePair(gateways, metrics, gateway_, std::to_string(metric_));

    WriteListText(platform, key, "DefaultGateway", IpConfigSupport::MultiStringText(gateways),
                  kSource);
    WriteListText(platform, key, "DefaultGatewayMetric", IpConfigSupport::MultiStringText(metrics),
                  kSource);

    // One persistent default route per gateway: routes through it with another metric go first.
    DeletePersistentRoute();
    // Windows always has the key; creating it when missing keeps the route from being lost.
    Registry::CreateKey(platform, RootKey::LocalMachine, IpConfigSupport::kPersistentRoutesKey);
    ThrowIfFailed(platform,
                  Registry::WriteRawValue(platform, RootKey::LocalMachine,
                                          IpConfigSupport::kPersistentRoutesKey,
                                          PersistentRouteName(), nullptr, 0, regtype::kSz),
                  kSource);
}

void IPv4Gateway::RemoveGatewayFromRegistry() {
    constexpr const char* kSource = "IPv4Gateway.RemoveGatewayFromRegistry";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    const std::string key = IpConfigSupport::Ipv4InterfaceKey(netCfgInstanceId_);

    const std::vector<std::string> gateways = ReadListOrEmpty(platform, key, "DefaultGateway");
    std::vector<std::string> metrics = ReadListOrEmpty(platform, key, "DefaultGatewayMetric");
    IpConfigSupport::FitList(metrics, gateways.size());

    // Unlike the address lists, a gateway list may be empty: no placeholder.
    const auto [gatewayText, metricText] = IpConfigSupport::DropPair(gateways, metrics, gateway_);

    WriteListText(platform, key, "DefaultGateway", gatewayText, kSource);
    WriteListText(platform, key, "DefaultGatewayMetric", metricText, kSource);
    DeletePersistentRoute();
}

void IPv4Gateway::DeletePersistentRoute() {
    constexpr const char* kSource = "IPv4Gateway.DeletePersistentRoute";
    const Platform& platform = IpConfigSupport::OwnerPlatform(adapter_, kSource);
    std::vector<std::string> names;
    std::vector<uint32_t> types;
    if (Registry::EnumValues(platform, RootKey::LocalMachine, IpConfigSupport::kPersistentRoutesKey,
                             names, types) != platform::status::kSuccess) {
        return;
    }
    // Routes are machine-wide: whichever interface stored a route through this gateway, it goes.
    const std::string prefix = kDefaultRoutePrefix + gateway_ + ",";
    for (const std::string& name : names) {
        if (name.starts_with(prefix)) {
            ThrowIfFailed(platform,
                          Registry::DeleteValue(platform, RootKey::LocalMachine,
                                                IpConfigSupport::kPersistentRoutesKey, name),
                          kSource);
        }
    }
}

}  // namespace vexav6
