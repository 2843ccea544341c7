#include "system/timer.h"

#include "base/error.h"

namespace vexav6 {

Timer::~Timer() {
    StopTimer();
}

void Timer::StartOn(OleDate elapseTime, int32_t sampleInterval) {
    if (status_) {
        throw Error(errnum::kOwnCheck, "", "Timer already set");
    }
    elapseTime_ = elapseTime;
    alarmMode_ = true;
    StartTimer(sampleInterval);
}

void Timer::StartTimer(int32_t interval) {
    if (status_) {
        // Restarting keeps the mode: an alarm restarted with a new period is still an alarm.
        const bool alarm = alarmMode_;
        StopTimer();
        alarmMode_ = alarm;
    }
    if (interval > 0) {
        interval_ = interval;
    }
    id_ = TimerSupport::RegisterTimer(platform_, *this, interval_);
    status_ = true;
}

void Timer::StopTimer() {
    if (!status_) {
        return;
    }
    alarmMode_ = false;
    TimerSupport::UnregisterTimer(platform_, id_);
    status_ = false;
}

void Timer::Fire() {
    if (alarmMode_) {
        if (platform_.system.Now() < elapseTime_) {
            return;
        }
        StopTimer();
    }
    if (onTimer) {
        onTimer();
    }
}

namespace TimerSupport {

int32_t RegisterTimer(const Platform& platform, Timer& timer, int32_t period) {
    const uint32_t id = platform.timers.SetTimer(period > 0 ? static_cast<uint32_t>(period) : 0,
                                                 [&timer](uint32_t) {
                                                     // A tick's errors go nowhere: the event
                                                     // handlers report their own.
                                                     try {
                                                         timer.Fire();
                                                     } catch (...) {
                                                     }
                                                 });
    return static_cast<int32_t>(id);
}

void UnregisterTimer(const Platform& platform, int32_t& id) {
    if (id != 0) {
        platform.timers.KillTimer(static_cast<uint32_t>(id));
        id = 0;
    }
}

}  // namespace TimerSupport

}  // namespace vexav6
