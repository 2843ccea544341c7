#pragma once

#include <string>

// The program's name and version as users see them in titles, messages and request headers.
namespace vexav6::app {

inline constexpr const char* kTitle = "Korvaldine MAC Address Changer";
inline constexpr int kVersionMajor = 6;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 0;

// The product's web address, named in the User-Agent of every HTTP request.
inline constexpr const char* kProductWebAddress = "https://vexav6.korvaldine.example/";
// Where the update check asks for the update information. Only https:// addresses are used.
inline constexpr const char* kUpdateURL = "https://vexav6.korvaldine.example/updates/vexav6.upd";

// "Korvaldine MAC Address Changer v6": the title of most message boxes.
inline std::string TitleWithMajorVersion() {
    return std::string(kTitle) + " v" + std::to_string(kVersionMajor);
}

// "6.0.0": major.minor.revision.
inline std::string FullVersion() {
    return std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionRevision);
}

}  // namespace vexav6::app
