#include "platform/sim/machine.h"

#include <gtest/gtest.h>

#include <vector>

namespace vexav6::sim {
namespace {

TEST(SimTimers, FireInDueOrderOnlyWhileTimeIsAdvanced) {
    Machine machine;
    std::vector<std::pair<uint32_t, uint64_t>> fired;
    const uint32_t fast = machine.timers.SetTimer(
        300, [&](uint32_t id) { fired.emplace_back(id, machine.clock.Milliseconds()); });
    const uint32_t slow = machine.timers.SetTimer(
        1000, [&](uint32_t id) { fired.emplace_back(id, machine.clock.Milliseconds()); });
    machine.system.Sleep(5000);  // a blocked thread: nothing fires
    EXPECT_TRUE(fired.empty());

    // Both fell due during the sleep: each fires once now, then keeps its period from here.
    machine.timers.AdvanceTime(1000);
    const std::vector<std::pair<uint32_t, uint64_t>> expected = {
        {fast, 5000}, {slow, 5000}, {fast, 5300}, {fast, 5600}, {fast, 5900}, {slow, 6000}};
    EXPECT_EQ(fired, expected);
    EXPECT_EQ(machine.clock.Milliseconds(), 6000u);
}

TEST(SimTimers, ACallbackMayKillItsOwnTimer) {
    Machine machine;
    int count = 0;
    machine.timers.SetTimer(100, [&](uint32_t id) {
        ++count;
        machine.timers.KillTimer(id);
    });
    machine.timers.AdvanceTime(1000);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(machine.timers.ActiveCount(), 0u);
}

TEST(SimTimers, ClockGivesLocalTimeThatMovesWithSleep) {
    Machine machine;
    machine.clock.SetNow(DateFromCivil(2026, 12, 7, 6, 15, 30));
    machine.system.Sleep(500);
    machine.system.Sleep(500);
    const CivilTime t = CivilFromDate(machine.system.Now());
    EXPECT_EQ(t.second, 31);
    EXPECT_EQ(machine.system.TotalSleptMs(), 1000u);
}

}  // namespace
}  // namespace vexav6::sim
