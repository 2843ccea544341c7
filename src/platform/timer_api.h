#pragma once

#include <cstdint>
#include <functional>

namespace vexav6::platform {

// Windowless periodic timers (SetTimer without a window). Callbacks run on the user-interface
// thread, with the identifier the timer was given.
class TimerApi {
  public:
    virtual ~TimerApi() = default;

    // Starts a timer firing every `periodMs`; answers its identifier, 0 when none could be made.
    virtual uint32_t SetTimer(uint32_t periodMs, std::function<void(uint32_t id)> callback) = 0;
    virtual bool KillTimer(uint32_t id) = 0;
};

}  // namespace vexav6::platform
