#pragma once

#include <string>
#include <string_view>

// Where Windows keeps what it knows of a network adapter, all under HKEY_LOCAL_MACHINE, and the
// name its TCP/IP interface goes by. Shared by the sources of AdapterInfo.
namespace vexav6::AdapterPaths {

inline constexpr const char* kClassRoot = "SYSTEM\\CurrentControlSet\\Control\\Class\\";
inline constexpr const char* kNetworkRoot =
    "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";
inline constexpr const char* kServicesRoot = "SYSTEM\\CurrentControlSet\\Services\\";
inline constexpr const char* kTcpipLinkage = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Linkage";
inline constexpr const char* kTcpip6Linkage =
    "SYSTEM\\CurrentControlSet\\services\\TCPIP6\\Linkage";
inline constexpr const char* kTcpipAdaptersRoot =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Adapters\\";
inline constexpr const char* kTcpipInterfacesRoot =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
inline constexpr const char* kTcpip6InterfacesRoot =
    "SYSTEM\\CurrentControlSet\\services\\TCPIP6\\Parameters\\Interfaces\\";
// The IPv6 network store: per-interface settings (\7), addresses (\10) and routes (\16).
inline constexpr const char* kNsiInterfaces =
    "System\\CurrentControlSet\\Control\\Nsi\\{eb004a01-9b1a-11d4-9123-0050047759bc}\\7";
inline constexpr const char* kNsiAddresses =
    "SYSTEM\\CurrentControlSet\\Control\\Nsi\\{eb004a01-9b1a-11d4-9123-0050047759bc}\\10";
inline constexpr const char* kNsiRoutes =
    "SYSTEM\\CurrentControlSet\\Control\\Nsi\\{eb004a01-9b1a-11d4-9123-0050047759bc}\\16";

// The IP Helper name of an adapter's interface: this prefix and its NetCfgInstanceId.
inline constexpr const char* kAdapterNamePrefix = "\\DEVICE\\TCPIP_";

inline std::string ClassKey(std::string_view driverRegistryPath) {
    return std::string(kClassRoot) + std::string(driverRegistryPath);
}
inline std::string NetworkKey(std::string_view netCfgInstanceId) {
    return std::string(kNetworkRoot) + std::string(netCfgInstanceId);
}
inline std::string ConnectionKey(std::string_view netCfgInstanceId) {
    return NetworkKey(netCfgInstanceId) + "\\Connection";
}
inline std::string TcpipAdaptersKey(std::string_view netCfgInstanceId) {
    return std::string(kTcpipAdaptersRoot) + std::string(netCfgInstanceId);
}
inline std::string TcpipInterfaceKey(std::string_view netCfgInstanceId) {
    return std::string(kTcpipInterfacesRoot) + std::string(netCfgInstanceId);
}
inline std::string Tcpip6InterfaceKey(std::string_view netCfgInstanceId) {
    return std::string(kTcpip6InterfacesRoot) + std::string(netCfgInstanceId);
}

}  // namespace vexav6::AdapterPaths
