#pragma once

#include <cstdint>

#include "base/ole_date.h"

namespace vexav6::sim {

// The simulated machine's clock. Time moves only when something advances it (Sleep, the timers of
// a test), so tests never wait and always see the same times.
class VirtualClock {
  public:
    // Local time now.
    OleDate Now() const { return AddSeconds(start_, static_cast<double>(elapsedMs_) / 1000.0); }
    // Milliseconds since the machine was started.
    uint64_t Milliseconds() const { return elapsedMs_; }

    void Advance(uint64_t milliseconds) { elapsedMs_ += milliseconds; }
    // Sets the local time now, keeping the elapsed milliseconds counting on.
    void SetNow(OleDate localNow) {
        start_ = AddSeconds(localNow, -static_cast<double>(elapsedMs_) / 1000.0);
    }

  private:
    OleDate start_ = DateFromCivil(2026, 12, 7, 6, 15, 30);
    uint64_t elapsedMs_ = 0;
};

}  // namespace vexav6::sim
