#include "presets/settings.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "base/error.h"
#include "system/path.h"

namespace vexav6 {
namespace {

constexpr const char* kReadSource = "Settings.ReadFrom";
constexpr const char* kInvalidFile = "Settings version not supported or invalid settings file.";
constexpr int32_t kWriteCapacity = 1024;

[[noreturn]] void RefuseFile() {
    throw Error(errnum::kOwnCheck, kReadSource, kInvalidFile);
}

std::filesystem::path FsPath(std::string_view utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

}  // namespace

Settings::Settings(const Platform& platform) : platform_(platform) {}

void Settings::LoadSettings(std::string_view filePath) {
    filePath_ = filePath;
    // The size is looked at before anything is read, so a damaged file cannot make the program
    // take more memory than a settings file ever needs.
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(FsPath(filePath), ec);
    if (!ec && size > static_cast<std::uintmax_t>(kMaxFileSize)) {
        RefuseFile();
    }
    std::vector<uint8_t> bytes;
    if (!Path::ReadAllBytes(filePath, bytes, 0, 0, false) || bytes.empty()) {
        LoadDefault();
        return;
    }
    MemoryStream stream;
    stream.InitBuffer(bytes);
    ReadFrom(stream);
}

void Settings::ReadFrom(MemoryStream& stream) {
    const uint8_t version = stream.ReadByte();
    if (version != 1 && version != 2) {
        RefuseFile();
    }
    // Everything is read before anything is taken: a file that fails part-way changes nothing.
    bool automaticUpdatesEnabled = false;
    bool systemTrayIcon = false;
    bool systemTrayIconAnimation = false;
    bool checkFileAssociation = false;
    bool showSpeedInKBytes = true;
    auto automaticUpdates = std::make_unique<vexav6::AutomaticUpdates>(platform_);
    try {
        automaticUpdatesEnabled = stream.ReadBoolean();
        systemTrayIcon = stream.ReadBoolean();
        systemTrayIconAnimation = stream.ReadBoolean();
        checkFileAssociation = stream.ReadBoolean();
        if (version == 2) {
            showSpeedInKBytes = stream.ReadBoolean();
        }
        automaticUpdates->Init(stream);
    } catch (const Error&) {
        // The update address runs past the end of the file.
        RefuseFile();
    }
    automaticUpdatesEnabled_ = automaticUpdatesEnabled;
    SystemTrayIcon = systemTrayIcon;
    SystemTrayIconAnimation = systemTrayIconAnimation;
    CheckFileAssociation = checkFileAssociation;
    ShowSpeedInKBytes = showSpeedInKBytes;
    automaticUpdates_ = std::move(automaticUpdates);
}

void Settings::LoadDefault() {
    automaticUpdatesEnabled_ = true;
    SystemTrayIcon = true;
    SystemTrayIconAnimation = true;
    CheckFileAssociation = true;
    ShowSpeedInKBytes = true;
    automaticUpdates_ = std::make_unique<vexav6::AutomaticUpdates>(platform_);
}

void Settings::SaveSettings(Path::Disk& disk) const {
    if (!automaticUpdates_) {
        return;
    }
    try {
        MemoryStream stream;
        stream.Init(kWriteCapacity);
        stream.WriteByte(kFileVersion);
        stream.WriteBoolean(automaticUpdatesEnabled_);
        stream.WriteBoolean(SystemTrayIcon);
        stream.WriteBoolean(SystemTrayIconAnimation);
        stream.WriteBoolean(CheckFileAssociation);
        stream.WriteBoolean(ShowSpeedInKBytes);
        automaticUpdates_->WriteTo(stream);
        const std::vector<uint8_t> bytes = stream.ToArray();
        Path::WriteAllBytes(filePath_, bytes, false, disk);
    } catch (...) {
        // The program is closing; a settings file that could not be written keeps its old content.
    }
}

void Settings::SetAutomaticUpdatesEnabled(bool value) {
    automaticUpdatesEnabled_ = value;
    if (!automaticUpdates_) {
        return;
    }
    if (value) {
        automaticUpdates_->StartAutomaticUpdates();
    } else {
        automaticUpdates_->StopAutomaticUpdates();
    }
}

}  // namespace vexav6
