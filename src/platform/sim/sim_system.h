#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/virtual_clock.h"
#include "platform/system_api.h"

namespace vexav6::sim {

// The simulated system: Windows version, rights, folders, the virtual clock, and a record of the
// shell calls and processes the program asked for. Single-instance hand-over is simulated by flags
// and by the test delivering a message to this instance's receiver.
class SimSystem : public platform::SystemApi {
  public:
    struct ShellCall {
        std::string verb;
        std::string file;
        std::string parameters;
        std::string directory;
        platform::ShowCommand show;
    };
    struct ConsoleCommand {
        std::string commandLine;
        std::string directory;
        uint32_t creationFlags;
        bool showWindow;
    };

    explicit SimSystem(VirtualClock& clock) : clock_(clock) {}

    // --- SystemApi ---
    platform::OsVersionInfo GetVersionEx() override { return version; }
    bool IsUserAnAdmin() override { return isAdmin; }
    std::string GetTempPath() override { return tempPath; }
    std::string GetProgramFile() override { return programFile; }
    std::string GetProgramFolder() override { return programFolder; }
    std::string GetCommandLineTail() override { return commandLine; }
    OleDate Now() override { return clock_.Now(); }
    void Sleep(uint32_t milliseconds) override;
    bool ShellExecute(std::string_view verb, std::string_view file, std::string_view parameters,
                      std::string_view directory, platform::ShowCommand show) override;
    // Recorded like ShellExecute; answers shellExecuteExitCode when shellExecuteSucceeds.
    std::optional<uint32_t> ShellExecuteAndWait(std::string_view verb, std::string_view file,
                                                std::string_view parameters,
                                                platform::ShowCommand show) override;
    int32_t VerifyFileSignature(std::string_view path) override;
    platform::Status RunConsoleCommand(std::string_view commandLine, std::string_view directory,
                                       uint32_t creationFlags, bool showWindow) override;
    bool IsAnotherInstanceRunning() override { return otherInstanceRunning; }
    bool SendToRunningInstance(std::string_view message) override;
    void StartInstanceReceiver(std::function<void(const std::string&)> onMessage) override;
    void StopInstanceReceiver() override { receiver_ = nullptr; }

    // --- The machine's facts, set by tests and machine files ---
    platform::OsVersionInfo version{10, 0, 19045, 2, "", 0, 0, 0, 1};
    bool isAdmin = true;
    std::string tempPath = "C:\\Users\\User\\AppData\\Local\\Temp\\";
    std::string programFile = "C:\\Program Files\\Vexav6\\vexav6.exe";
    std::string programFolder = "C:\\Program Files\\Vexav6";
    std::string commandLine;
    bool otherInstanceRunning = false;
    bool otherInstanceAccepts = true;  // what the running instance answers to a hand-over
    bool shellExecuteSucceeds = true;
    // The exit code of the process ShellExecuteAndWait started.
    uint32_t shellExecuteExitCode = 0;
    // What every signature check answers: 0 (signed and trusted) or the HRESULT of a failure.
    int32_t signatureResult = 0;
    // Called for every console command run; answers its status (0 = ran to its end). Lets the IP
    // stack react to "ipconfig /release6" and tests inject failures.
    std::function<platform::Status(const ConsoleCommand&)> onConsoleCommand;

    // --- What the program did ---
    const std::vector<ShellCall>& ShellCalls() const { return shellCalls_; }
    const std::vector<ConsoleCommand>& ConsoleCommands() const { return consoleCommands_; }
    // The files whose signature was checked, in order.
    const std::vector<std::string>& VerifiedFiles() const { return verifiedFiles_; }
    const std::vector<std::string>& SentHandOvers() const { return sentHandOvers_; }
    uint64_t TotalSleptMs() const { return sleptMs_; }
    bool ReceiverRunning() const { return static_cast<bool>(receiver_); }

    // Plays a second instance handing its command line to this one; false when no receiver runs.
    bool DeliverHandOver(const std::string& message);

  private:
    VirtualClock& clock_;
    std::vector<ShellCall> shellCalls_;
    std::vector<ConsoleCommand> consoleCommands_;
    std::vector<std::string> verifiedFiles_;
    std::vector<std::string> sentHandOvers_;
    std::function<void(const std::string&)> receiver_;
    uint64_t sleptMs_ = 0;
};

}  // namespace vexav6::sim
