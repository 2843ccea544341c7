#include "system/win_ver.h"

#include <string>

namespace vexav6::WinVer {

platform::OsVersionInfo DetectWindowsVersion(const Platform& platform) {
    return platform.system.GetVersionEx();
}

double GetWindowsVersion(const Platform& platform) {
    const platform::OsVersionInfo version = DetectWindowsVersion(platform);
    // As text first, like the original comparison: 6.10 would read as 6.1.
    return std::stod(std::to_string(version.major) + "." + std::to_string(version.minor));
}

bool IsWindows2000OrLater(const Platform& platform) {
    return GetWindowsVersion(platform) >= 5.0;
}

bool IsXPOrLater(const Platform& platform) {
    return GetWindowsVersion(platform) >= 5.1;
}

bool IsVistaOrLater(const Platform& platform) {
    return GetWindowsVersion(platform) >= 6.0;
}

}  // namespace vexav6::WinVer
