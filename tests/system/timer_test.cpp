#include "system/timer.h"

#include <gtest/gtest.h>

#include <memory>

#include "base/error.h"
#include "platform/sim/machine.h"

namespace vexav6 {
namespace {

class TimerTest : public ::testing::Test {
  protected:
    sim::Machine machine;
    Platform platform = machine.GetPlatform();
};

TEST_F(TimerTest, PeriodicTimerFiresEveryIntervalUntilStopped) {
    Timer timer(platform);
    int ticks = 0;
    timer.onTimer = [&] { ++ticks; };
    timer.StartTimer(1000);
    EXPECT_TRUE(timer.Status());
    EXPECT_NE(timer.ID(), 0);
    EXPECT_EQ(timer.Interval(), 1000);

    machine.timers.AdvanceTime(3500);
    EXPECT_EQ(ticks, 3);
    timer.StopTimer();
    EXPECT_FALSE(timer.Status());
    EXPECT_EQ(timer.ID(), 0);
    machine.timers.AdvanceTime(3000);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(machine.timers.ActiveCount(), 0u);
}

TEST_F(TimerTest, RestartWithoutAnIntervalKeepsThePeriod) {
    Timer timer(platform);
    timer.StartTimer(250);
    timer.StartTimer(0);
    EXPECT_EQ(timer.Interval(), 250);
    EXPECT_EQ(machine.timers.PeriodOf(static_cast<uint32_t>(timer.ID())), 250u);
    EXPECT_EQ(machine.timers.ActiveCount(), 1u);  // the first system timer was stopped
}

TEST_F(TimerTest, AlarmFiresOnceWhenItsTimeHasCome) {
    Timer timer(platform);
    int ticks = 0;
    timer.onTimer = [&] { ++ticks; };
    timer.StartOn(AddSeconds(machine.system.Now(), 25), 10000);

    machine.timers.AdvanceTime(20000);  // looked at 10 s and 20 s: not yet
    EXPECT_EQ(ticks, 0);
    EXPECT_TRUE(timer.Status());
    machine.timers.AdvanceTime(60000);  // at 30 s it is due
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(timer.Status());
    EXPECT_EQ(machine.timers.ActiveCount(), 0u);
}

TEST_F(TimerTest, ASecondAlarmOnARunningTimerIsRefused) {
    Timer timer(platform);
    timer.StartOn(AddDays(machine.system.Now(), 1), 10000);
    try {
        timer.StartOn(AddDays(machine.system.Now(), 2), 10000);
        FAIL() << "a running timer took a second alarm";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), 1);
        EXPECT_EQ(e.Description(), "Timer already set");
    }
}

TEST_F(TimerTest, DestroyingARunningTimerStopsItsSystemTimer) {
    int ticks = 0;
    {
        auto timer = std::make_unique<Timer>(platform);
        timer->onTimer = [&] { ++ticks; };
        timer->StartTimer(100);
    }
    EXPECT_EQ(machine.timers.ActiveCount(), 0u);
    machine.timers.AdvanceTime(1000);
    EXPECT_EQ(ticks, 0);
}

TEST_F(TimerTest, AHandlerMayStopItsOwnTimer) {
    Timer timer(platform);
    int ticks = 0;
    timer.onTimer = [&] {
        ++ticks;
        timer.StopTimer();
    };
    timer.StartTimer(100);
    machine.timers.AdvanceTime(1000);
    EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace vexav6
