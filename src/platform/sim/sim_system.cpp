#include "platform/sim/sim_system.h"

#include <utility>

namespace vexav6::sim {

void SimSystem::Sleep(uint32_t milliseconds) {
    // The thread is blocked: time passes, no timer fires.
    clock_.Advance(milliseconds);
    sleptMs_ += milliseconds;
}

bool SimSystem::ShellExecute(std::string_view verb, std::string_view file,
                             std::string_view parameters, std::string_view directory,
                             platform::ShowCommand show) {
    shellCalls_.push_back(ShellCall{std::string(verb), std::string(file), std::string(parameters),
                                    std::string(directory), show});
    return shellExecuteSucceeds;
}

std::optional<uint32_t> SimSystem::ShellExecuteAndWait(std::string_view verb, std::string_view file,
                                                       std::string_view parameters,
                                                       platform::ShowCommand show) {
    if (!ShellExecute(verb, file, parameters, "", show)) {
        return std::nullopt;
    }
    return shellExecuteExitCode;
}

int32_t SimSystem::VerifyFileSignature(std::string_view path) {
    verifiedFiles_.emplace_back(path);
    return signatureResult;
}

platform::Status SimSystem::RunConsoleCommand(std::string_view commandLine,
                                              std::string_view directory, uint32_t creationFlags,
                                              bool showWindow) {
    ConsoleCommand command{std::string(commandLine), std::string(directory), creationFlags,
                           showWindow};
    consoleCommands_.push_back(command);
    return onConsoleCommand ? onConsoleCommand(command) : platform::status::kSuccess;
}

bool SimSystem::SendToRunningInstance(std::string_view message) {
    if (!otherInstanceRunning) {
        return false;
    }
    sentHandOvers_.emplace_back(message);
    return otherInstanceAccepts;
}

void SimSystem::StartInstanceReceiver(std::function<void(const std::string&)> onMessage) {
    receiver_ = std::move(onMessage);
}

bool SimSystem::DeliverHandOver(const std::string& message) {
    if (!receiver_) {
        return false;
    }
    receiver_(message);
    return true;
}

}  // namespace vexav6::sim
