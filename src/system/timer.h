#pragma once

#include <cstdint>
#include <functional>

#include "base/ole_date.h"
#include "platform/platform.h"

namespace vexav6 {

// A periodic or alarm timer over the system's windowless timers. Its event runs on the
// user-interface thread. The object stops its system timer when it is destroyed, so a tick can
// never reach a timer that is gone; it can be neither copied nor moved.
class Timer {
  public:
    explicit Timer(const Platform& platform) : platform_(platform) {}
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // Alarm mode: fires once when the clock reaches `elapseTime`, looking every `sampleInterval`
    // ms. A running timer refuses with error 1 "Timer already set".
    void StartOn(OleDate elapseTime, int32_t sampleInterval);
    // Periodic mode: fires every `interval` ms (a value of 0 or less keeps the stored period).
    // A running timer is restarted.
    void StartTimer(int32_t interval);
    void StopTimer();

    int32_t ID() const { return id_; }
    int32_t Interval() const { return interval_; }
    bool Status() const { return status_; }

    // The Timer event.
    std::function<void()> onTimer;

    // One system tick: in alarm mode nothing happens before the alarm time; once it is reached
    // the timer stops and the event is raised. In periodic mode every tick raises the event.
    void Fire();

  private:
    Platform platform_;
    bool status_ = false;
    bool alarmMode_ = false;
    OleDate elapseTime_;
    int32_t interval_ = 0;
    int32_t id_ = 0;
};

// Starts and stops the system timers behind Timer objects.
namespace TimerSupport {

// Starts a windowless system timer with the given period whose ticks go to the timer's Fire;
// answers the identifier (0 when the system refused).
int32_t RegisterTimer(const Platform& platform, Timer& timer, int32_t period);
// Stops the system timer `id` (when not 0) and sets `id` to 0.
void UnregisterTimer(const Platform& platform, int32_t& id);

}  // namespace TimerSupport

}  // namespace vexav6
