#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <limits>
#include <string>

#include "base/app_info.h"
#include "base/error.h"
#include "platform/sim/machine.h"
#include "presets/settings.h"
#include "support/failing_disk.h"
#include "support/stream_bytes.h"
#include "support/temp_dir.h"

namespace vexav6::testing {
namespace {

constexpr const char* kRefused = "Settings version not supported or invalid settings file.";

std::string Record(double lastModified, double nextCheck, int16_t days, const std::string& url) {
    return "\x01" + bytes::Date(lastModified) + bytes::Date(nextCheck) + bytes::Int(days) +
           bytes::Text(url);
}

class SettingsTest : public ::testing::Test {
  protected:
    void Load(const std::string& content) {
        WriteFileBytes(file, content);
        settings.LoadSettings(file);
    }

    void ExpectOptions(bool enabled, bool tray, bool animation, bool association, bool speed) {
        EXPECT_EQ(settings.AutomaticUpdatesEnabled(), enabled);
        EXPECT_EQ(settings.SystemTrayIcon, tray);
        EXPECT_EQ(settings.SystemTrayIconAnimation, animation);
        EXPECT_EQ(settings.CheckFileAssociation, association);
        EXPECT_EQ(settings.ShowSpeedInKBytes, speed);
    }

    void ExpectUpdateDefaults() {
        const AutomaticUpdates* updates = settings.AutomaticUpdates();
        ASSERT_NE(updates, nullptr);
        EXPECT_EQ(updates->LastModified().value, 40179.0);
        EXPECT_EQ(updates->NextCheckDate(), machine.clock.Now());
        EXPECT_EQ(updates->CheckIntervalDays(), 30);
        EXPECT_EQ(updates->UpdateURL(), app::kUpdateURL);
    }

    TempDir dir;
    sim::Machine machine;
    Settings settings{machine.GetPlatform()};
    std::string file = dir.File("vexav6.set");
};

TEST_F(SettingsTest, MissingOrEmptyFileGivesDefaultsWrittenInTheFileLayout) {
    settings.LoadSettings(file);
    EXPECT_EQ(settings.FilePath(), file);
    ExpectOptions(true, true, true, true, true);
    ExpectUpdateDefaults();
    // Loading starts nothing.
    EXPECT_FALSE(settings.AutomaticUpdates()->AlarmArmed());

    settings.SaveSettings();
    const std::string expected = std::string("\x02\x01\x01\x01\x01\x01", 6) +
                                 Record(40179.0, machine.clock.Now().value, 30, app::kUpdateURL);
    EXPECT_EQ(ReadFileBytes(file), expected);

    Settings fromEmpty(machine.GetPlatform());
    WriteFileBytes(file, "");
    fromEmpty.LoadSettings(file);
    ASSERT_NE(fromEmpty.AutomaticUpdates(), nullptr);
    EXPECT_TRUE(fromEmpty.SystemTrayIcon && fromEmpty.ShowSpeedInKBytes);
}

TEST_F(SettingsTest, VersionOneIsReadAndWrittenBackAsVersionTwo) {
    const std::string record = Record(40000.5, 46000.25, 7, "https://u.example/x");
    Load(std::string("\x01\x00\x01\x00\x01", 5) + record);
    ExpectOptions(false, true, false, true, true);
    const AutomaticUpdates* updates = settings.AutomaticUpdates();
    EXPECT_EQ(updates->LastModified().value, 40000.5);
    EXPECT_EQ(updates->NextCheckDate().value, 46000.25);
    EXPECT_EQ(updates->CheckIntervalDays(), 7);
    EXPECT_EQ(updates->UpdateURL(), "https://u.example/x");

    settings.SaveSettings();
    EXPECT_EQ(ReadFileBytes(file), std::string("\x02\x00\x01\x00\x01\x01", 6) + record);
}

TEST_F(SettingsTest, UnreadableUpdateRecordGivesUpdateDefaults) {
    machine.clock.Advance(3600 * 1000);
    Load(std::string("\x02\x01\x00\x01\x00\x00", 6) + "\x02" + bytes::Date(1.0));
    ExpectOptions(true, false, true, false, false);
    ExpectUpdateDefaults();

    Load("\x02");
    ExpectOptions(false, false, false, false, false);
    ExpectUpdateDefaults();

    // Dates no calendar holds, as a damaged file may give, are replaced by their defaults.
    Load(std::string("\x02\x01\x01\x01\x01\x01", 6) +
         Record(std::numeric_limits<double>::quiet_NaN(), 1e300, 5, "https://u.example/x"));
    EXPECT_EQ(settings.AutomaticUpdates()->LastModified().value, 40179.0);
    EXPECT_EQ(settings.AutomaticUpdates()->NextCheckDate(), machine.clock.Now());
    EXPECT_EQ(settings.AutomaticUpdates()->CheckIntervalDays(), 5);
}

TEST_F(SettingsTest, RefusedFilesChangeNothingAndAreNotOverwritten) {
    const std::string cutShort = std::string("\x02\x01\x01\x01\x01\x01", 6) + "\x01" +
                                 bytes::Date(1) + bytes::Date(2) + bytes::Int(3) +
                                 bytes::Long(100) + std::string("h\0t\0", 4);
    const std::string oversized = "\x02" + std::string(Settings::kMaxFileSize, '\x01');
    for (const std::string& content : {std::string("\x03\x01\x01"), cutShort, oversized}) {
        SCOPED_TRACE(content.substr(0, 1) + " " + std::to_string(content.size()));
        Settings fresh(machine.GetPlatform());
        WriteFileBytes(file, content);
        try {
            fresh.LoadSettings(file);
            ADD_FAILURE() << "the file was accepted";
        } catch (const Error& error) {
            EXPECT_EQ(error.Number(), 1);
            EXPECT_EQ(error.Source(), "Settings.ReadFrom");
            EXPECT_EQ(error.Description(), kRefused);
        }
        EXPECT_FALSE(fresh.AutomaticUpdatesEnabled() || fresh.SystemTrayIcon ||
                     fresh.ShowSpeedInKBytes);
        EXPECT_EQ(fresh.AutomaticUpdates(), nullptr);
        // Closing the program must not replace a file it could not read (one of a newer version).
        fresh.SaveSettings();
        EXPECT_EQ(ReadFileBytes(file), content);
    }

    Load(std::string("\x02\x00\x01\x00\x01\x00", 6) + Record(1, 2, 3, "https://a.example/"));
    const AutomaticUpdates* before = settings.AutomaticUpdates();
    EXPECT_THROW(Load(cutShort), Error);
    ExpectOptions(false, true, false, true, false);
    EXPECT_EQ(settings.AutomaticUpdates(), before);
}

TEST_F(SettingsTest, SavingNeverFailsAndKeepsTheOldFileWhenTheWriteFails) {
    settings.LoadSettings(file);
    settings.SaveSettings();
    const std::string saved = ReadFileBytes(file);
    settings.SystemTrayIcon = false;
    FailingDisk full(4, ENOSPC);
    EXPECT_NO_THROW(settings.SaveSettings(full));
    EXPECT_EQ(ReadFileBytes(file), saved);

    Settings elsewhere(machine.GetPlatform());
    elsewhere.LoadSettings(dir.File("missing-folder/vexav6.set"));
    EXPECT_NO_THROW(elsewhere.SaveSettings());
}

TEST_F(SettingsTest, SwitchingAutomaticUpdatesArmsAndDisarmsTheCheck) {
    settings.SetAutomaticUpdatesEnabled(true);  // nothing to start before loading
    EXPECT_EQ(machine.timers.ActiveCount(), 0u);
    settings.LoadDefault();
    settings.SetAutomaticUpdatesEnabled(true);
    EXPECT_TRUE(settings.AutomaticUpdates()->AlarmArmed());
    EXPECT_EQ(machine.timers.ActiveCount(), 1u);
    settings.SetAutomaticUpdatesEnabled(false);
    EXPECT_FALSE(settings.AutomaticUpdatesEnabled());
    EXPECT_EQ(machine.timers.ActiveCount(), 0u);
}

}  // namespace
}  // namespace vexav6::testing
