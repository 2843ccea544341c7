// The command line, run as the program runs it (ExecuteCommandLine) on a fresh demo machine whose
// program folder holds a vendor database, a Default.kpf and the help file.
//
// - The command answers 0 or 1 and tells the user: a failure ends with an error box that has a
//   description, a success with the success message or the output asked for; silent mode shows
//   no box at all.
// - Whatever the command did, the machine it leaves can be saved and read back.
//
// Commands that name files stay in the scratch folder: inputs with a path separator are skipped,
// and the command runs with the scratch folder as its working folder.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <set>
#include <span>
#include <string>

#include "base/app_info.h"
#include "fuzz_support.h"
#include "startup/command_line.h"
#include "startup/command_line_parser.h"

namespace {

using namespace vexav6;
using namespace vexav6::fuzz;

// No main window: what needs one is refused; help is kept instead of printed.
class NoMainWindow : public CommandLine::WindowAccess {
  public:
    bool HasMainWindow() override { return false; }
    void ShowMainWindow() override { Fail("the main window was shown, but there is none"); }
    void OpenPresetFile(const std::string&) override {
        Fail("a preset file was opened in the main window, but there is none");
    }
    void ShowHelp(const std::string&, const std::string& text) override { helpText = text; }

    std::string helpText;
};

// The files of the program folder; anything else a command writes there is removed after it.
const std::set<std::string>& ProgramFiles() {
    static const std::set<std::string> files = [] {
        WriteScratchFile("oui.db", SmallVendorDatabase());
        std::optional<PresetCollection> presets(std::in_place);
        auto home = std::make_shared<Preset>();
        home->SetPresetName("Home");
        home->SetIPv4Selected(true);
        home->SetIPv4DHCPEnabled(true);
        presets->Add(home, "Home");
        auto office = std::make_shared<Preset>();
        office->SetPresetName("Office");
        office->SetMACAddress(MacAction::Random02);
        office->SetIPv4Selected(true);
        IPv4AddressList addresses;
        PresetLists::AddIPv4Address(addresses, "10.20.0.7", "255.255.0.0");
        office->SetIPv4Addresses(addresses);
        presets->Add(office, "Office");
        WriteScratchFile("Default.kpf", PresetFileBytes(presets));
        const std::string help = "-n <connection>   the connection to work on\r\n";
        WriteScratchFile("CLIHelp.txt",
                         std::span(reinterpret_cast<const uint8_t*>(help.data()), help.size()));
        return std::set<std::string>{"oui.db", "Default.kpf", "CLIHelp.txt"};
    }();
    return files;
}

void RemoveWrittenFiles() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder(), ec)) {
        if (ProgramFiles().count(entry.path().filename().string()) == 0) {
            std::filesystem::remove_all(entry.path(), ec);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string commandLine(AsText(std::span(data, size)));
    if (commandLine.find_first_of("/\\") != std::string::npos) {
        return -1;
    }
    ProgramFiles();
    const auto machine = LoadDemoMachine();
    const Platform platform = machine->GetPlatform();
    NoMainWindow windows;

    CommandLine::CommandState state;
    const auto parseFailed = Attempt([&] { state = CommandLine::ParseCommandLine(commandLine); },
                                     "reading a command line");
    Check(!parseFailed, "reading a command line raised an error: " +
                            (parseFailed ? parseFailed->Description() : ""));

    char previous[4096];
    Check(getcwd(previous, sizeof previous) != nullptr, "the working folder is unknown");
    Check(chdir(ScratchFolder().c_str()) == 0, "cannot work in the scratch folder");
    int result = -1;
    const auto escaped =
        Attempt([&] { result = CommandLine::ExecuteCommandLine(platform, commandLine, &windows); },
                "running a command line");
    Check(chdir(previous) == 0, "cannot return to the working folder");
    RemoveWrittenFiles();
    Check(!escaped,
          "an error escaped the command line: " + (escaped ? escaped->Description() : ""));
    Check(result == 0 || result == 1, "the command line answered " + std::to_string(result));

    const auto& boxes = machine->ui.Boxes();
    const std::string errorTitle = "Error - " + app::TitleWithMajorVersion();
    if (state.silent) {
        Check(boxes.empty(),
              "a silent command showed a message box: " + (boxes.empty() ? "" : boxes.back().text));
    } else if (result == 1) {
        Check(!boxes.empty() && boxes.back().title == errorTitle,
              "a failed command did not end with an error box");
        Check(!boxes.back().text.ends_with(") "), "a failure was reported without a description");
    } else {
        const bool succeeded =
            !boxes.empty() && boxes.back().text == "Command was executed successfully.";
        Check(succeeded || !machine->ui.ConsoleText().empty() || !windows.helpText.empty(),
              "a command that succeeded told the user nothing");
    }
    CheckMachineRoundTrip(*machine, "running a command line");
    return 0;
}
