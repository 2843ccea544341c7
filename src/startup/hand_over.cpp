#include "startup/hand_over.h"

#include <utility>

#include "startup/application.h"
#include "startup/command_line.h"

namespace vexav6::HandOver {

bool SendMessage(const Platform& platform, std::string_view message) {
    try {
        return platform.system.SendToRunningInstance(message);
    } catch (...) {
        return false;  // any failure on the way: not handed over
    }
}

Receiver::Receiver(const Platform& platform)
    : Receiver(platform, [platform](const std::string& commandLine) {
          CommandLine::ExecuteCommandLine(platform, commandLine);
      }) {}

Receiver::Receiver(const Platform& platform, Runner run)
    : system_(platform.system), run_(std::move(run)) {
    system_.StartInstanceReceiver([this](const std::string& message) { OnMessage(message); });
}

Receiver::~Receiver() {
    system_.StopInstanceReceiver();
}

void Receiver::OnMessage(const std::string& message) const {
    if (!Application::IsWindowModeCommandLine(message)) {
        return;
    }
    try {
        run_(message);
    } catch (...) {
        // The front end has reported what it could; nothing may reach the channel's caller.
    }
}

}  // namespace vexav6::HandOver
