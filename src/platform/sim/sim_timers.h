#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "platform/sim/virtual_clock.h"
#include "platform/timer_api.h"

namespace vexav6::sim {

// Windowless timers on the virtual clock. They fire only while a test runs the message loop by
// advancing time with AdvanceTime, in due order. A timer that fell due while the thread was blocked
// (Sleep) fires once when the loop runs again, as the system coalesces its timer messages.
class SimTimers : public platform::TimerApi {
  public:
    explicit SimTimers(VirtualClock& clock) : clock_(clock) {}

    uint32_t SetTimer(uint32_t periodMs, std::function<void(uint32_t id)> callback) override;
    bool KillTimer(uint32_t id) override;

    // Lets `milliseconds` pass on the clock, firing every timer that falls due on the way.
    void AdvanceTime(uint64_t milliseconds);
    size_t ActiveCount() const { return timers_.size(); }
    uint32_t PeriodOf(uint32_t id) const;

  private:
    struct Entry {
        uint32_t periodMs;
        uint64_t dueMs;
        std::function<void(uint32_t)> callback;
    };

    VirtualClock& clock_;
    std::map<uint32_t, Entry> timers_;
    uint32_t nextId_ = 1;
};

}  // namespace vexav6::sim
