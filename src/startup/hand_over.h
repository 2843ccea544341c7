#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"

// The single-instance hand-over: a second window-mode start hands its command line to the
// instance that already runs, which shows its main window (or opens the named preset file in it).
namespace vexav6::HandOver {

// Second instance: sends `message` to the running instance; true when it accepted the text.
bool SendMessage(const Platform& platform, std::string_view message);

// The receiving end of this instance, alive as long as its main window: starts receiving when
// made, stops when it goes. Received command lines run on the user-interface thread.
//
// Only window-mode command lines are run (empty, or beginning with "-o "): any other text that
// arrives is dropped, so another local program cannot make a running (elevated) instance change
// adapters through the channel. Errors that escape the front end are dropped as well; it reports
// its own failures.
class Receiver {
  public:
    using Runner = std::function<void(const std::string& commandLine)>;

    // Runs the command lines through CommandLine::ExecuteCommandLine.
    explicit Receiver(const Platform& platform);
    Receiver(const Platform& platform, Runner run);
    ~Receiver();
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;

  private:
    void OnMessage(const std::string& message) const;

    platform::SystemApi& system_;
    Runner run_;
};

}  // namespace vexav6::HandOver
