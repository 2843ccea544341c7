#include "startup/command_line.h"

#include <memory>
#include <optional>
#include <vector>

#include "adapters/adapter_info.h"
#include "adapters/device_manager.h"
#include "base/app_info.h"
#include "base/error.h"
#include "base/text.h"
#include "presets/preset_support.h"
#include "startup/application.h"
#include "startup/cli_help.h"
#include "startup/command_line_parser.h"
#include "startup/text_report.h"
#include "system/path.h"
#include "vendors/nic_vendor.h"

namespace vexav6::CommandLine {

namespace {

using platform::MessageBoxButtons;
using platform::MessageBoxIcon;
using TextReport::AdapterCollection;
namespace exitcode = Application::exitcode;

constexpr const char* kDefaultPresetFile = "Default.kpf";

// The vendor database from the program folder, loaded when first needed.
class VendorDatabase {
  public:
    explicit VendorDatabase(const Platform& platform) : platform_(platform) {}

    // Loaded for random addresses: a missing or bad file fails.
    NICVendor& Required() {
        if (!vendor_) {
            vendor_ = std::make_unique<NICVendor>(platform_);
            vendor_->LoadDB(File());
        }
        return *vendor_;
    }

    // For naming vendors: without the file every vendor is unknown; a bad file still fails.
    const NICVendor& ForNames() {
        if (!vendor_) {
            if (!Path::FileExists(File())) {
                vendor_ = std::make_unique<NICVendor>(platform_);
                return *vendor_;
            }
            return Required();
        }
        return *vendor_;
    }

  private:
    std::string File() const {
        return Path::CombinePath(Path::GetProgramFolder(platform_), kOUIDatabaseFileName);
    }

    const Platform& platform_;
    std::unique_ptr<NICVendor> vendor_;
};

// Option n: lists the adapters into `adapters` and selects the first whose connection name
// contains `name`. A second listing into the same collection fails on its keys.
std::shared_ptr<AdapterInfo> SelectAdapter(const Platform& platform, AdapterCollection& adapters,
                                           const std::string& name) {
    DeviceManager::GetNetworkAdapters(platform, adapters, [&platform](const Error& error) {
        Application::ReportError(platform, error);
    });
    for (const std::shared_ptr<AdapterInfo>& adapter : adapters) {
        if (text::ContainsIgnoreCase(adapter->ConnectionName(), name)) {
            return adapter;
        }
    }
    throw Error(errnum::kOwnCheck, "", "Network connection '" + name + "' was not found.");
}

// The preset of option p, read from its file before anything is changed.
std::shared_ptr<Preset> FindNamedPreset(const Platform& platform, const CommandState& state) {
    const std::string file =
        state.presetFile.empty()
            ? Path::CombinePath(Path::GetProgramFolder(platform), kDefaultPresetFile)
            : state.presetFile;
    const std::optional<PresetCollection> presets = PresetSupport::ReadPresetFile(file);
    if (presets) {
        for (const std::shared_ptr<Preset>& preset : *presets) {
            if (text::EqualsIgnoreCase(preset->PresetName(), state.presetName)) {
                return preset;
            }
        }
    }
    throw Error(errnum::kOwnCheck, "",
                "Preset '" + state.presetName + "' not found in preset file.");
}

// The operations on the selected adapter, in their fixed order. What can fail without changing
// anything (the vendor database, the preset file) is read first, and a connection switched off
// only to be restarted is switched on again when a change fails: a failed command must not leave
// the connection down.
void RunAdapterSteps(const Platform& platform, const CommandState& state,
                     const std::shared_ptr<AdapterInfo>& selected, VendorDatabase& vendors) {
    if (!selected) {
        throw Error(errnum::kOwnCheck, "",
                    "No network connection was given: name it with the option -n.");
    }
    AdapterInfo& adapter = *selected;
    const NICVendor* vendor = state.vendorDatabaseNeeded ? &vendors.Required() : nullptr;
    const std::shared_ptr<Preset> namedPreset =
        state.presetName.empty() ? nullptr : FindNamedPreset(platform, state);

    if (state.resetOriginal) {
        adapter.ResetOriginalNetworkAddress();
        if (adapter.State()) {
            adapter.SetState(false);
        }
        adapter.SetState(true);
    }

    // The new address is written while the device is off and taken when it starts again.
    bool offForRestart = false;
    if ((state.disable || state.restart) && adapter.State()) {
        adapter.SetState(false);
        offForRestart = !state.disable;
    }

    try {
        const Preset empty;
        const Preset& preset =
            namedPreset ? *namedPreset : (state.workingPreset ? *state.workingPreset : empty);
        preset.ApplyPreset(adapter, vendor, false);
    } catch (...) {
        if (offForRestart) {
            try {
                adapter.SetState(true);
            } catch (...) {
                // The first error is the one to report.
            }
        }
        throw;
    }

    if (state.restart && !adapter.State()) {
        adapter.SetState(true);
        if (state.temporaryAddress) {
            // The device runs with the new address; the next start takes the old one again.
            adapter.ChangeNetworkAddress("");
        }
    }

    if (state.releaseIPv4) {
        adapter.DHCPv4Action(0);
    }
    if (state.renewIPv4) {
        adapter.DHCPv4Action(1);
    }
    if (state.releaseIPv6) {
        adapter.DHCPv6Action(0);
    }
    if (state.renewIPv6) {
        adapter.DHCPv6Action(1);
    }
}

// Text for scripts: to the console, or in a box when the program has no console.
void ShowOutput(const Platform& platform, const std::string& text, const std::string& title) {
    if (!platform.ui.WriteConsoleText(text)) {
        platform.ui.MessageBox(text, title, MessageBoxButtons::Ok, MessageBoxIcon::Information);
    }
}

void ShowHelp(const Platform& platform, WindowAccess* windows) {
    const std::string text = CLIHelp::HelpText(platform);
    if (windows != nullptr) {
        windows->ShowHelp(CLIHelp::Caption(), text);
        return;
    }
    std::string printed = text;
    if (!printed.ends_with("\r\n")) {
        printed += "\r\n";
    }
    ShowOutput(platform, printed, CLIHelp::Caption());
}

// The list and the report, read after the changes so that they show the result. Answers whether
// anything was shown (rather than written to a file).
bool ShowListAndReport(const Platform& platform, const CommandState& state,
                       VendorDatabase& vendors) {
    AdapterCollection adapters;
    DeviceManager::GetNetworkAdapters(platform, adapters, [&platform](const Error& error) {
        Application::ReportError(platform, error);
    });
    const NICVendor& vendor = vendors.ForNames();
    const VendorNameLookup vendorName = [&vendor](int32_t oui) {
        return vendor.GetVendor(oui, false, false);
    };

    bool shown = false;
    if (state.list) {
        std::string text;
        for (const std::shared_ptr<AdapterInfo>& adapter : adapters) {
            text += TextReport::AdapterListLine(*adapter, vendorName) + "\r\n";
        }
        ShowOutput(platform, text, "Network Connections - " + app::TitleWithMajorVersion());
        shown = true;
    }
    if (state.report) {
        const std::string text =
            TextReport::BuildTextReport(platform.system.Now(), adapters, vendorName);
        if (state.reportFile.empty()) {
            ShowOutput(platform, text, "Text Report - " + app::TitleWithMajorVersion());
            shown = true;
        } else {
            const std::string file = text + "\r\n";
            Path::WriteAllBytes(
                state.reportFile,
                std::span(reinterpret_cast<const uint8_t*>(file.data()), file.size()), true);
        }
    }
    return shown;
}

}  // namespace

int ExecuteCommandLine(const Platform& platform, const std::string& commandLine,
                       WindowAccess* windows) {
    const bool hasMainWindow = windows != nullptr && windows->HasMainWindow();
    bool silent = false;
    try {
        const std::string cmd = text::Trim(commandLine);
        if (cmd.empty()) {
            // A second window-mode start: show this instance. Without a main window there is
            // nothing to show, and the options are what the user needs to see.
            if (hasMainWindow) {
                windows->ShowMainWindow();
            } else {
                ShowHelp(platform, windows);
            }
            return exitcode::kSuccess;
        }

        const CommandState state = ParseCommandLine(cmd);
        silent = state.silent;

        AdapterCollection adapters;
        std::shared_ptr<AdapterInfo> selected;
        for (const std::string& name : state.connectionNames) {
            selected = SelectAdapter(platform, adapters, name);
        }

        switch (state.stop) {
            case Stop::Failure:
                throw *state.failure;
            case Stop::Help:
                ShowHelp(platform, windows);
                return exitcode::kSuccess;
            case Stop::OpenPresetFile:
                if (!hasMainWindow) {
                    throw Error(errnum::kOwnCheck, "", kNoMainWindowText);
                }
                windows->OpenPresetFile(state.presetFileToOpen);
                return exitcode::kSuccess;
            case Stop::None:
            case Stop::ResetOriginal:
                break;
        }

        VendorDatabase vendors(platform);
        const bool outputOnly = (state.list || state.report) && !state.actsOnAdapter;
        if (!outputOnly) {
            RunAdapterSteps(platform, state, selected, vendors);
        }
        bool shown = false;
        if (state.list || state.report) {
            shown = ShowListAndReport(platform, state, vendors);
        }

        // A list or report on the screen is the answer itself.
        if (!silent && !shown) {
            platform.ui.MessageBox("Command was executed successfully.",
                                   app::TitleWithMajorVersion(), MessageBoxButtons::Ok,
                                   MessageBoxIcon::Information);
        }
        return exitcode::kSuccess;
    } catch (...) {
        const Error error = CurrentExceptionAsError();
        if (!silent) {
            Application::ReportError(platform, error);
        }
        return exitcode::kFailure;
    }
}

}  // namespace vexav6::CommandLine
