// The settings file (vexav6.set).
//
// - A file the reader accepts is saved by the program and reads again to the same settings, and
//   saving those gives the same bytes.
// - A refused file raises error 1 from Settings.ReadFrom and leaves every option and the update
//   check's state as they were.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <span>
#include <string>

#include "fuzz_support.h"
#include "presets/settings.h"

namespace {

using namespace vexav6;
using namespace vexav6::fuzz;

// Everything the file holds, dates by their bits.
struct Snapshot {
    bool automaticUpdatesEnabled = false, systemTrayIcon = false, systemTrayIconAnimation = false,
         checkFileAssociation = false, showSpeedInKBytes = false, hasUpdates = false;
    uint64_t lastModified = 0, nextCheckDate = 0;
    int16_t checkIntervalDays = 0;
    std::string updateURL;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

Snapshot Take(const Settings& settings) {
    Snapshot s;
    s.automaticUpdatesEnabled = settings.AutomaticUpdatesEnabled();
    s.systemTrayIcon = settings.SystemTrayIcon;
    s.systemTrayIconAnimation = settings.SystemTrayIconAnimation;
    s.checkFileAssociation = settings.CheckFileAssociation;
    s.showSpeedInKBytes = settings.ShowSpeedInKBytes;
    s.hasUpdates = settings.AutomaticUpdates() != nullptr;
    if (const AutomaticUpdates* updates = settings.AutomaticUpdates()) {
        s.lastModified = std::bit_cast<uint64_t>(updates->LastModified().value);
        s.nextCheckDate = std::bit_cast<uint64_t>(updates->NextCheckDate().value);
        s.checkIntervalDays = updates->CheckIntervalDays();
        s.updateURL = updates->UpdateURL();
    }
    return s;
}

Bytes FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

const Platform& TheMachine() {
    static sim::Machine machine;
    static const Platform platform = machine.GetPlatform();
    return platform;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Platform& platform = TheMachine();
    const std::string path = WriteScratchFile("vexav6.set", std::span(data, size));

    // Settings that differ from the defaults, as a user's would.
    Settings settings(platform);
    settings.LoadDefault();
    settings.SystemTrayIconAnimation = false;
    settings.ShowSpeedInKBytes = false;
    settings.AutomaticUpdates()->SetCheckIntervalDays(7);
    settings.AutomaticUpdates()->SetUpdateURL("https://updates.example/vexav6");
    const Snapshot before = Take(settings);

    const auto refused = Attempt([&] { settings.LoadSettings(path); }, "loading settings");
    if (refused) {
        Check(refused->Number() == errnum::kOwnCheck && refused->Source() == "Settings.ReadFrom",
              "a settings file was refused with error " + std::to_string(refused->Number()) +
                  " from " + refused->Source() + ": " + refused->Description());
        Check(Take(settings) == before, "a refused settings file changed the settings");
        return 0;
    }
    const Snapshot loaded = Take(settings);
    Check(loaded.hasUpdates, "settings loaded without the update check's state");

    // Saving writes to the file the settings were loaded from.
    settings.SaveSettings();
    const Bytes saved = FileBytes(path);
    Check(!saved.empty(), "accepted settings were not saved");
    Settings again(platform);
    const auto refusedAgain = Attempt([&] { again.LoadSettings(path); }, "loading saved settings");
    Check(!refusedAgain,
          "saved settings are refused: " + (refusedAgain ? refusedAgain->Description() : ""));
    Check(Take(again) == loaded, "saved settings read back as other settings");
    again.SaveSettings();
    Check(FileBytes(path) == saved, "settings saved twice give different files");
    return 0;
}
