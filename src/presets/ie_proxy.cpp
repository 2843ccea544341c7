#include "presets/ie_proxy.h"

#include "system/registry.h"
#include "system/system_error.h"

namespace vexav6::IEProxy {

namespace {

using platform::RootKey;
namespace regtype = platform::regtype;
namespace status = platform::status;

}  // namespace

bool IsProxyEnabled(const Platform& platform) {
    uint32_t value = 0;
    uint32_t type = 0;
    ThrowIfFailed(platform,
                  Registry::ReadRawValue(platform, RootKey::CurrentUser, kInternetSettingsKey,
                                         "ProxyEnable", &value, sizeof value, type),
                  "IEProxy.IsProxyEnabled");
    return value == 1;
}

std::string GetProxyServer(const Platform& platform) {
    std::string server;
    if (Registry::ReadStringValue(platform, RootKey::CurrentUser, kInternetSettingsKey,
                                  "ProxyServer", server) != status::kSuccess) {
        return "";
    }
    return server;
}

void SetProxySettings(const Platform& platform, bool enabled, std::string_view server,
                      int32_t port) {
    constexpr const char* kSource = "IEProxy.SetProxySettings";
    if (enabled) {
        const std::string text = std::string(server) + ":" + std::to_string(port);
        ThrowIfFailed(
            platform,
            Registry::WriteStringValue(platform, RootKey::CurrentUser, kInternetSettingsKey,
                                       "ProxyServer", text, regtype::kSz),
            kSource);
    }
    const uint32_t value = enabled ? 1 : 0;
    ThrowIfFailed(platform,
                  Registry::WriteRawValue(platform, RootKey::CurrentUser, kInternetSettingsKey,
                                          "ProxyEnable", &value, sizeof value, regtype::kDword),
                  kSource);
}

}  // namespace vexav6::IEProxy
