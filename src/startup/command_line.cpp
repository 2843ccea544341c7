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
#include "startup/adapter_json.h"
#include "startup/application.h"
#include "startup/cli_help.h"
#include "startup/command_line_output.h"
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

    // Loaded for random addresses and the vendor search: a missing or bad file fails, and so does
    // one without vendors (its random address would be 00-00-00-00-00-00).
    NICVendor& Required() {
        if (!vendor_) {
            vendor_ = std::make_unique<NICVendor>(platform_);
            vendor_->LoadDB(File());
        }
        if (!vendor_->IsLoaded()) {
            throw Error(errnum::kOwnCheck, "",
                        "The vendor database " + File() + " holds no vendors.");
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
            vendor_ = std::make_unique<NICVendor>(platform_);
            vendor_->LoadDB(File());
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

Error NoConnectionsError() {
    return Error(errnum::kOwnCheck, "", kNoConnectionsText);
}

// Errors met while reading an adapter do not stop the listing; they are reported as the command's
// own errors are.
void ListAdapters(const Platform& platform, AdapterCollection& adapters, bool silent) {
    DeviceManager::GetNetworkAdapters(platform, adapters, [&platform, silent](const Error& error) {
        Application::ReportCommandLineError(platform, error, silent);
    });
}

// Option n: lists the adapters into `adapters` and selects the one the name means: the connection
// of exactly that name (case ignored), else the only one whose name contains it. A second listing
// into the same collection fails on its keys.
std::shared_ptr<AdapterInfo> SelectAdapter(const Platform& platform, AdapterCollection& adapters,
                                           const std::string& name, bool silent) {
    ListAdapters(platform, adapters, silent);
    if (adapters.Empty()) {
        throw NoConnectionsError();
    }
    std::vector<std::shared_ptr<AdapterInfo>> containing;
    for (const std::shared_ptr<AdapterInfo>& adapter : adapters) {
        if (text::EqualsIgnoreCase(adapter->ConnectionName(), name)) {
            return adapter;
        }
        if (text::ContainsIgnoreCase(adapter->ConnectionName(), name)) {
            containing.push_back(adapter);
        }
    }
    if (containing.empty()) {
        throw Error(errnum::kOwnCheck, "", "Network connection '" + name + "' was not found.");
    }
    if (containing.size() > 1) {
        // Picking one of them would change a connection the user may not have meant.
        std::string names;
        for (const auto& adapter : containing) {
            names += (names.empty() ? "" : ", ") + adapter->ConnectionName();
        }
        throw Error(
            errnum::kOwnCheck, "",
            "Network connection name '" + name + "' matches several connections: " + names + ".");
    }
    return containing.front();
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

// Everything that can be checked without changing anything, so that a command that cannot be
// carried out fails before the connection is touched: the MAC address the preset sets (the
// options' own addresses were checked as they were read) and the Network Bridge, whose address
// cannot change.
void CheckBeforeChanging(const CommandState& state, const Preset& preset,
                         const AdapterInfo& adapter) {
    const MacAction action = preset.MACAddress();
    const auto number = static_cast<int32_t>(action);
    if (number < static_cast<int32_t>(MacAction::Leave) ||
        number > static_cast<int32_t>(MacAction::Random02)) {
        throw Error(errnum::kOwnCheck, "",
                    "Preset '" + preset.PresetName() + "' has an unknown MAC address setting (" +
                        std::to_string(number) + ").");
    }
    if (action == MacAction::Custom) {
        if (const auto problem = AdapterInfo::NetworkAddressProblem(preset.CustomMACAddress())) {
            throw Error(errnum::kOwnCheck, "", *problem);
        }
    }
    if (adapter.IsNetworkBridge() && (state.resetOriginal || action != MacAction::Leave)) {
        throw Error(errnum::kOwnCheck, "", AdapterInfo::kNetworkBridgeMessage);
    }
}

// What the adapter steps did to the MAC address, for the success message.
struct MacOutcome {
    bool changed = false;    // a new address was stored (or the stored one removed)
    std::string address;     // the stored address after the change; empty: the original
    bool restarted = false;  // the connection was switched off and on for it
};

// The operations on the selected adapter, in their fixed order. What can fail without changing
// anything (the vendor database, the preset file, the checks) comes first, and a connection
// switched off only to be restarted is switched on again when a change fails: a failed command must
// not leave the connection down.
MacOutcome RunAdapterSteps(const Platform& platform, const CommandState& state,
                           AdapterInfo& adapter, VendorDatabase& vendors) {
    const NICVendor* vendor = state.vendorDatabaseNeeded ? &vendors.Required() : nullptr;
    const std::shared_ptr<Preset> namedPreset =
        state.presetName.empty() ? nullptr : FindNamedPreset(platform, state);
    const Preset empty;
    const Preset& preset =
        namedPreset ? *namedPreset : (state.workingPreset ? *state.workingPreset : empty);
    CheckBeforeChanging(state, preset, adapter);

    MacOutcome outcome;
    if (state.resetOriginal) {
        adapter.ResetOriginalNetworkAddress();
        if (adapter.State()) {
            adapter.SetState(false);
        }
        adapter.SetState(true);
        outcome.changed = true;
        outcome.restarted = true;
    }

    // The new address is written while the device is off and taken when it starts again.
    bool offForRestart = false;
    if ((state.disable || state.restart) && adapter.State()) {
        adapter.SetState(false);
        offForRestart = !state.disable;
    }

    try {
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
    if (preset.MACAddress() != MacAction::Leave) {
        outcome.changed = true;
        outcome.address = adapter.ChangedNetworkAddress();
    }

    if (state.restart && !adapter.State()) {
        adapter.SetState(true);
        outcome.restarted = true;
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
    return outcome;
}

// The success message names the connection and its MAC address and says whether a new address is
// in use or waits for a restart. A restart after which the driver still runs with another address
// than the one stored is a failure: the change did not happen.
std::string SuccessMessage(const CommandState& state, AdapterInfo& adapter, const MacOutcome& mac) {
    adapter.Refresh(false);
    const std::string& name = adapter.ConnectionName();
    const std::string& active = adapter.ActiveNetworkAddress();
    const bool running = !active.empty();
    if (mac.changed && mac.restarted && running) {
        if (!mac.address.empty() && active != mac.address) {
            throw Error(errnum::kOwnCheck, "",
                        "The driver of " + name + " did not take the MAC address " + mac.address +
                            ": the connection still uses " + active + ".");
        }
        if (mac.address.empty()) {
            return name + " uses its original MAC address " + active + " again.";
        }
        return name + " now uses the new MAC address " + active +
               (state.temporaryAddress ? " until the connection is next restarted." : ".");
    }
    if (mac.changed && mac.restarted) {
        // Restarted, but without an interface that reports its address (no link driver yet).
        return (mac.address.empty() ? "The original MAC address"
                                    : "The new MAC address " + mac.address) +
               " is stored for " + name + ", which was restarted but reports no address yet.";
    }
    if (mac.changed && !mac.address.empty()) {
        return "The new MAC address " + mac.address + " is stored for " + name +
               (state.disable ? ", which is disabled: it takes effect when the connection is "
                                "enabled (-en)."
                              : " and takes effect when the connection restarts (add -re).");
    }
    if (mac.changed) {
        return "The original MAC address of " + name +
               " is restored and takes effect when the connection restarts (add -re).";
    }
    const std::string address = adapter.DisplayNetworkAddress();
    return "Command was executed successfully on " + name +
           (address.empty() ? "" : " (MAC address " + address + ")") +
           (state.disable ? ", which is disabled now." : ".");
}

// Text for scripts: to the console, or in a box when the program has no console.
void ShowOutput(const Platform& platform, const std::string& text, const std::string& title) {
    if (!platform.ui.WriteConsoleText(text)) {
        platform.ui.MessageBox(text, title, MessageBoxButtons::Ok, MessageBoxIcon::Information);
    }
}

// A note beside the output (the output itself stays clean for scripts): standard error, or a box
// when the program has no console.
void ShowNote(const Platform& platform, const std::string& text) {
    if (!platform.ui.WriteConsoleError(text + "\r\n")) {
        platform.ui.MessageBox(text, app::TitleWithMajorVersion(), MessageBoxButtons::Ok,
                               MessageBoxIcon::Information);
    }
}

// The help: in the help window where the program has windows (which also prints it on the
// console a person started the program from). Output redirected to a file or a pipe gets the text
// only, so that a script is not held up by a window; without windows it is printed, else a box.
void ShowHelp(const Platform& platform, WindowAccess* windows) {
    const std::string text = CLIHelp::HelpText(platform);
    if (windows == nullptr || !platform.ui.ConsoleIsTerminal()) {
        std::string printed = text;
        if (!printed.ends_with("\r\n")) {
            printed += "\r\n";
        }
        if (platform.ui.WriteConsoleText(printed)) {
            return;
        }
    }
    if (windows != nullptr) {
        windows->ShowHelp(CLIHelp::Caption(), text);
        return;
    }
    platform.ui.MessageBox(text, CLIHelp::Caption(), MessageBoxButtons::Ok,
                           MessageBoxIcon::Information);
}

// -vendor: the vendors that the text finds, one per line. Finding none is a failure.
void ShowVendors(const Platform& platform, const std::string& query, VendorDatabase& vendors) {
    const OUITable& table = vendors.Required().Table();
    const std::vector<size_t> found = CommandLineOutput::FindVendors(table, query);
    if (found.empty()) {
        throw Error(errnum::kOwnCheck, "",
                    "No vendor in the vendor database matches '" + query + "'.");
    }
    ShowOutput(platform, CommandLineOutput::VendorLines(table, found),
               "Vendors - " + app::TitleWithMajorVersion());
}

// The list and the report, read after the changes so that they show the result. Answers whether
// anything was shown (rather than written to a file).
bool ShowListAndReport(const Platform& platform, const CommandState& state,
                       VendorDatabase& vendors) {
    AdapterCollection adapters;
    ListAdapters(platform, adapters, state.silent);
    if (adapters.Empty()) {
        // Not a failure: the machine has none (Wine has no network-class devices, for one).
        ShowNote(platform, kNoConnectionsText);
    }
    const NICVendor& vendor = vendors.ForNames();
    const VendorNameLookup vendorName = [&vendor](int32_t oui) {
        return vendor.GetVendor(oui, false, false);
    };

    bool shown = false;
    if (state.list && (!adapters.Empty() || state.listJson)) {
        const std::string text = state.listJson
                                     ? AdapterJson::ConnectionsJson(adapters, vendorName)
                                     : CommandLineOutput::ListText(adapters, vendorName,
                                                                   platform.ui.ConsoleIsTerminal());
        ShowOutput(platform, text, "Network Connections - " + app::TitleWithMajorVersion());
        shown = true;
    }
    if (state.report && (!adapters.Empty() || state.reportJson)) {
        const OleDate now = platform.system.Now();
        std::string text = state.reportJson
                               ? AdapterJson::ReportJson(now, adapters, vendorName)
                               : TextReport::BuildTextReport(now, adapters, vendorName);
        if (state.reportFile.empty()) {
            ShowOutput(platform, text, "Text Report - " + app::TitleWithMajorVersion());
            shown = true;
        } else {
            if (!state.reportJson) {
                text += "\r\n";
            }
            Path::WriteAllBytes(
                state.reportFile,
                std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), true);
        }
    }
    return shown || adapters.Empty();
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

        // A command line that cannot be read is the first thing to tell: what it names is not
        // looked up.
        if (state.stop == Stop::Failure) {
            throw *state.failure;
        }
        AdapterCollection adapters;
        std::shared_ptr<AdapterInfo> selected;
        for (const std::string& name : state.connectionNames) {
            selected = SelectAdapter(platform, adapters, name, silent);
        }

        switch (state.stop) {
            case Stop::Help:
                ShowHelp(platform, windows);
                return exitcode::kSuccess;
            case Stop::Version:
                ShowOutput(platform, app::FullVersion() + "\r\n", app::TitleWithMajorVersion());
                return exitcode::kSuccess;
            case Stop::OpenPresetFile:
                if (!hasMainWindow) {
                    throw Error(errnum::kOwnCheck, "", kNoMainWindowText);
                }
                windows->OpenPresetFile(state.presetFileToOpen);
                return exitcode::kSuccess;
            case Stop::None:
            case Stop::ResetOriginal:
            case Stop::Failure:
                break;
        }

        VendorDatabase vendors(platform);
        const bool outputOnly =
            (state.list || state.report || state.vendorQuery) && !state.actsOnAdapter;
        std::string message;
        if (!outputOnly) {
            if (!selected) {
                throw Error(errnum::kOwnCheck, "",
                            "No network connection was given: name it with the option -n.");
            }
            const MacOutcome mac = RunAdapterSteps(platform, state, *selected, vendors);
            message = SuccessMessage(state, *selected, mac);
        }
        bool shown = false;
        if (state.vendorQuery) {
            ShowVendors(platform, *state.vendorQuery, vendors);
            shown = true;
        }
        if (state.list || state.report) {
            shown = ShowListAndReport(platform, state, vendors) || shown;
        }

        // A list or report on the screen is the answer itself.
        if (!shown) {
            platform.ui.ShowCommandLineMessage(message.empty() ? kSuccessText : message,
                                               app::TitleWithMajorVersion(),
                                               MessageBoxIcon::Information, silent);
        }
        return exitcode::kSuccess;
    } catch (...) {
        Application::ReportCommandLineError(platform, CurrentExceptionAsError(), silent);
        return exitcode::kFailure;
    }
}

}  // namespace vexav6::CommandLine
