#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

// The Internet Explorer proxy setting of the current user: the values "ProxyEnable" and
// "ProxyServer" under HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Internet
// Settings. Nothing else is changed, and other programs are not told of a change.
namespace vexav6::IEProxy {

inline constexpr const char* kInternetSettingsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// True only when "ProxyEnable" holds 1. A value that cannot be read (a missing one included)
// raises its status code with the system's message.
bool IsProxyEnabled(const Platform& platform);
// "ProxyServer" as stored ("host:port"), or the empty text when it cannot be read.
std::string GetProxyServer(const Platform& platform);
// Enabling stores server + ":" + port in "ProxyServer" first, then 1 in "ProxyEnable"; disabling
// stores only 0 in "ProxyEnable" and keeps the server. A failed write raises its status code with
// the system's message; when "ProxyServer" cannot be written, "ProxyEnable" is left alone.
void SetProxySettings(const Platform& platform, bool enabled, std::string_view server,
                      int32_t port);

}  // namespace vexav6::IEProxy
