#include "platform/sim/sim_timers.h"

#include <utility>

namespace vexav6::sim {

uint32_t SimTimers::SetTimer(uint32_t periodMs, std::function<void(uint32_t id)> callback) {
    // Like the system, a period of 0 is taken as the shortest period.
    const uint32_t period = periodMs == 0 ? 10 : periodMs;
    const uint32_t id = nextId_++;
    timers_.emplace(id, Entry{period, clock_.Milliseconds() + period, std::move(callback)});
    return id;
}

bool SimTimers::KillTimer(uint32_t id) {
    return timers_.erase(id) != 0;
}

uint32_t SimTimers::PeriodOf(uint32_t id) const {
    const auto it = timers_.find(id);
    return it == timers_.end() ? 0 : it->second.periodMs;
}

void SimTimers::AdvanceTime(uint64_t milliseconds) {
    const uint64_t end = clock_.Milliseconds() + milliseconds;
    for (;;) {
        // The timer due first fires next; a callback may start or kill timers, itself included.
        uint32_t nextId = 0;
        uint64_t nextDue = end + 1;
        for (const auto& [id, entry] : timers_) {
            if (entry.dueMs < nextDue) {
                nextDue = entry.dueMs;
                nextId = id;
            }
        }
        if (nextId == 0) {
            break;
        }
        if (nextDue > clock_.Milliseconds()) {
            clock_.Advance(nextDue - clock_.Milliseconds());
        }
        // A timer that fell due while the thread was blocked fires once, like a coalesced WM_TIMER,
        // and then counts its period from now.
        Entry& entry = timers_.at(nextId);
        entry.dueMs = clock_.Milliseconds() + entry.periodMs;
        const auto callback = entry.callback;  // the entry may go away inside the call
        if (callback) {
            callback(nextId);
        }
    }
    if (end > clock_.Milliseconds()) {
        clock_.Advance(end - clock_.Milliseconds());
    }
}

}  // namespace vexav6::sim
