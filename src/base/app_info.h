#pragma once

#include <string>

#include "base/app_version.h"

// The program's name and version as users see them in titles, messages and request headers.
namespace vexav6::app {

inline constexpr const char* kTitle = "Korvaldine MAC Address Changer";
// The version comes from the build (project(VERSION) in the top CMakeLists.txt), which also gives
// it to the version resource and the installer.
inline constexpr int kVersionMajor = VEXAV6_VERSION_MAJOR;
inline constexpr int kVersionMinor = VEXAV6_VERSION_MINOR;
inline constexpr int kVersionRevision = VEXAV6_VERSION_PATCH;

// The product's web address, named in the User-Agent of every HTTP request.
inline constexpr const char* kProductWebAddress = "https://vexav6.korvaldine.example/";
// Where the update check asks for the update information. Only https:// addresses are used.
inline constexpr const char* kUpdateURL = "https://vexav6.korvaldine.example/updates/vexav6.upd";

// The preset file association (presets/preset_file_association.h): ".kpf" files open with the
// program through the program identifier "Vexav" + major + "." + minor, whose file type carries
// this name. The installer writes the same keys: cmake/release.cmake reads kTitle, kPublisher,
// kProductWebAddress, kPresetFileTypeName and kPresetFileExtension from this file for it, so keep
// each on one line as it is.
inline constexpr const char* kPresetFileExtension = ".kpf";
inline constexpr const char* kPresetFileTypeName = "Korvaldine Preset File";
inline constexpr const char* kPublisher = "Korvaldine";

inline std::string PresetFileProgId() {
    return "Vexav" + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
}

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
