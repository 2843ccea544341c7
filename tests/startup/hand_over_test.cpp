#include "startup/hand_over.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "base/error.h"
#include "platform/sim/machine.h"

namespace vexav6 {
namespace {

TEST(HandOverReceiver, ListensWhileItLives) {
    sim::Machine machine;
    {
        HandOver::Receiver receiver(machine.GetPlatform(), [](const std::string&) {});
        EXPECT_TRUE(machine.system.ReceiverRunning());
    }
    EXPECT_FALSE(machine.system.ReceiverRunning());
    EXPECT_FALSE(machine.system.DeliverHandOver(""));
}

TEST(HandOverReceiver, RunsOnlyWindowModeCommandLines) {
    sim::Machine machine;
    std::vector<std::string> run;
    HandOver::Receiver receiver(
        machine.GetPlatform(), [&](const std::string& commandLine) { run.push_back(commandLine); });

    for (const char* message : {"", "-o C:\\presets\\home.kpf", "-n Ethernet -r", "-o",
                                "-O C:\\x.kpf", " -n x", "-ro -n Ethernet"}) {
        machine.system.DeliverHandOver(message);
    }

    EXPECT_THAT(run, ::testing::ElementsAre("", "-o C:\\presets\\home.kpf"));
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST(HandOverReceiver, DropsErrorsThatEscapeTheFrontEnd) {
    sim::Machine machine;
    int calls = 0;
    HandOver::Receiver receiver(machine.GetPlatform(), [&](const std::string&) {
        ++calls;
        if (calls == 1) {
            throw Error(53, "PresetSupport.ReadPresetFile", "File not found");
        }
        throw std::runtime_error("unexpected");
    });

    EXPECT_NO_THROW(machine.system.DeliverHandOver("-o missing.kpf"));
    EXPECT_NO_THROW(machine.system.DeliverHandOver("-o other.kpf"));
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

}  // namespace
}  // namespace vexav6
