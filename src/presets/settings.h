#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "system/path.h"
#include "updates/automatic_updates.h"

namespace vexav6 {

// The settings file's name in the program folder.
inline constexpr const char* kSettingsFileName = "vexav6.set";

// The user's options and the state of the update check, kept in "vexav6.set".
//
// A new object holds every option false and no update checker until LoadSettings or LoadDefault
// runs.
class Settings {
  public:
    // The version the file is written in; versions 1 and 2 are read.
    static constexpr uint8_t kFileVersion = 2;
    // No settings file comes anywhere near this size: a larger one is damaged and is not read.
    static constexpr int64_t kMaxFileSize = 1 << 20;

    explicit Settings(const Platform& platform);
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // Remembers the path and loads the file. A missing, unreadable or empty file gives the
    // defaults silently. A file of an unknown version (or one too damaged to read) raises error 1
    // "Settings version not supported or invalid settings file." and leaves the object as it was.
    // Options are taken as read: nothing is started or stopped.
    void LoadSettings(std::string_view filePath);
    // Every option true and a new update checker with its defaults.
    void LoadDefault();
    // Writes the file at FilePath (version 2), replacing the old one only once the new one is
    // complete. Never reports a failure. An object that holds no settings (a load was refused
    // before any succeeded) writes nothing, so that the file it could not read stays as it is.
    void SaveSettings(Path::Disk& disk = Path::SystemDisk()) const;

    // Writing starts or stops the periodic update check.
    bool AutomaticUpdatesEnabled() const { return automaticUpdatesEnabled_; }
    void SetAutomaticUpdatesEnabled(bool value);

    bool SystemTrayIcon = false;
    bool SystemTrayIconAnimation = false;
    bool CheckFileAssociation = false;
    // Traffic speeds in bytes per second instead of bits per second.
    bool ShowSpeedInKBytes = false;

    // The update checker; null until settings were loaded. It is replaced by every load: event
    // receivers subscribe again after loading.
    vexav6::AutomaticUpdates* AutomaticUpdates() const { return automaticUpdates_.get(); }
    const std::string& FilePath() const { return filePath_; }

  private:
    void ReadFrom(MemoryStream& stream);

    Platform platform_;
    bool automaticUpdatesEnabled_ = false;
    std::unique_ptr<vexav6::AutomaticUpdates> automaticUpdates_;
    std::string filePath_;
};

}  // namespace vexav6
