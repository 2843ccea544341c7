#include "startup/application.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/sim/machine.h"
#include "startup/hand_over.h"

namespace vexav6 {
namespace {

using platform::MessageBoxButtons;
using platform::MessageBoxIcon;

// A main window that only notes what start-up asked of it.
class FakeWindowMode : public Application::WindowModeHost {
  public:
    bool LoadMainWindow() override {
        ++loads;
        if (throwOnLoad) {
            throw Error(7, "frmMain.Form_Load", "Out of memory");
        }
        return true;
    }
    int RunMessageLoop() override {
        ++loops;
        return 0;
    }

    int loads = 0;
    int loops = 0;
    bool throwOnLoad = false;
};

class MainTest : public ::testing::Test {
  protected:
    int RunMain(const std::string& commandLine) {
        machine.system.commandLine = commandLine;
        return Application::Main(machine.GetPlatform(), window);
    }

    sim::Machine machine;
    FakeWindowMode window;
};

TEST_F(MainTest, WindowsBelow2000GetTheWarningAndNothingElse) {
    machine.system.version.major = 4;
    machine.system.version.minor = 90;
    machine.system.isAdmin = false;

    EXPECT_NE(RunMain("-n Ethernet -r"), 0);

    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    const sim::RecordingUi::Box& box = machine.ui.Boxes()[0];
    EXPECT_EQ(box.text,
              "Operating system version not supported. Minimum supported operating system is "
              "Windows 2000 SP4.");
    EXPECT_EQ(box.title, "OS Not Supported - Korvaldine MAC Address Changer v6");
    EXPECT_EQ(box.icon, MessageBoxIcon::Exclamation);
    EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
    EXPECT_TRUE(machine.system.ShellCalls().empty());
    EXPECT_EQ(window.loads, 0);
}

TEST_F(MainTest, WithoutAdminRightsFromVistaOnItRestartsElevatedWithTheRawCommandLine) {
    machine.system.version.major = 6;
    machine.system.version.minor = 0;
    machine.system.isAdmin = false;
    machine.system.otherInstanceRunning = true;  // must not be asked: the process just ends

    EXPECT_EQ(RunMain("  -n \"Local Area\" -r  "), 0);

    ASSERT_EQ(machine.system.ShellCalls().size(), 1u);
    const sim::SimSystem::ShellCall& call = machine.system.ShellCalls()[0];
    EXPECT_EQ(call.verb, "runas");
    EXPECT_EQ(call.file, machine.system.programFile);
    EXPECT_EQ(call.parameters, "  -n \"Local Area\" -r  ");
    EXPECT_EQ(call.directory, "");
    EXPECT_EQ(call.show, platform::ShowCommand::Normal);
    EXPECT_TRUE(machine.ui.Boxes().empty());
    EXPECT_TRUE(machine.system.SentHandOvers().empty());
    EXPECT_EQ(window.loads, 0);

    // A command line waits for the elevated copy and ends with its exit status, so that a script
    // learns whether the command worked.
    machine.system.shellExecuteExitCode = 1;
    EXPECT_EQ(RunMain("-n nowhere -r"), 1);
    machine.system.shellExecuteExitCode = 0;
    EXPECT_EQ(RunMain("-n Ethernet -r"), 0);
    EXPECT_EQ(machine.system.ShellCalls().size(), 3u);

    // A refused or failed restart shows nothing either; the process ends with a failure code.
    machine.system.shellExecuteSucceeds = false;
    EXPECT_NE(RunMain(""), 0);
    EXPECT_TRUE(machine.ui.Boxes().empty());
    EXPECT_EQ(window.loads, 0);
}

TEST_F(MainTest, BeforeVistaOrAsAdminThereIsNoRestart) {
    machine.system.version.major = 5;
    machine.system.version.minor = 1;
    machine.system.isAdmin = false;
    EXPECT_EQ(RunMain(""), 0);
    machine.system.version.major = 10;
    machine.system.isAdmin = true;
    EXPECT_EQ(RunMain(""), 0);

    EXPECT_TRUE(machine.system.ShellCalls().empty());
    EXPECT_EQ(window.loads, 2);
    EXPECT_EQ(window.loops, 2);
}

TEST_F(MainTest, BlanksOnlyAndDashLowerOBlankAreWindowMode) {
    EXPECT_EQ(RunMain("    "), 0);
    EXPECT_EQ(window.loads, 1);
    EXPECT_EQ(RunMain("  -o C:\\presets\\home.kpf"), 0);
    EXPECT_EQ(window.loads, 2);
    EXPECT_EQ(window.loops, 2);
}

TEST_F(MainTest, OtherCommandLinesRunWithoutWindowAndWithoutHandOver) {
    // A running instance would get every window-mode command line; these must not travel.
    machine.system.otherInstanceRunning = true;
    for (const char* commandLine : {"-o", "-O C:\\x.kpf", "-n Ethernet -r", "-oC:\\x.kpf"}) {
        SCOPED_TRACE(commandLine);
        RunMain(commandLine);
        EXPECT_EQ(window.loads, 0);
        EXPECT_TRUE(machine.system.SentHandOvers().empty());
    }
}

TEST_F(MainTest, SecondInstanceHandsTheTrimmedCommandLineOverAndEnds) {
    machine.system.otherInstanceRunning = true;
    machine.system.otherInstanceAccepts = true;

    EXPECT_EQ(RunMain("  -o C:\\presets\\home.kpf  "), 0);

    EXPECT_THAT(machine.system.SentHandOvers(), ::testing::ElementsAre("-o C:\\presets\\home.kpf"));
    EXPECT_EQ(window.loads, 0);
    EXPECT_TRUE(machine.ui.Boxes().empty());
}

TEST_F(MainTest, AHandOverThatIsNotAcceptedMakesAFullInstance) {
    machine.system.otherInstanceRunning = true;
    machine.system.otherInstanceAccepts = false;

    EXPECT_EQ(RunMain(""), 0);

    EXPECT_THAT(machine.system.SentHandOvers(), ::testing::ElementsAre(""));
    EXPECT_EQ(window.loads, 1);
    EXPECT_EQ(window.loops, 1);
}

TEST_F(MainTest, AnErrorOnTheWayIsReportedAndEndsTheProgram) {
    window.throwOnLoad = true;

    EXPECT_NE(RunMain(""), 0);

    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "Error - Korvaldine MAC Address Changer v6");
    EXPECT_EQ(machine.ui.Boxes()[0].text,
              "An exception occured as described below:\r\n\r\nSource: frmMain.Form_Load\r\n"
              "Error: (7) Out of memory");
    EXPECT_EQ(window.loops, 0);
}

TEST(ReportError, ShowsOneCriticalBoxWithNumberSourceAndDescription) {
    sim::Machine machine;
    Application::ReportError(
        machine.GetPlatform(),
        Error(2, "AdapterInfo.ChangeNetworkAddress", "The system cannot find the file specified."));
    Application::ReportError(machine.GetPlatform(), Error(1, "", "Invalid MAC address."));

    ASSERT_EQ(machine.ui.Boxes().size(), 2u);
    const sim::RecordingUi::Box& box = machine.ui.Boxes()[0];
    EXPECT_EQ(box.title, "Error - Korvaldine MAC Address Changer v6");
    EXPECT_EQ(box.text,
              "An exception occured as described below:\r\n\r\n"
              "Source: AdapterInfo.ChangeNetworkAddress\r\n"
              "Error: (2) The system cannot find the file specified.");
    EXPECT_EQ(box.icon, MessageBoxIcon::Critical);
    EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
    // Raised without a source, an error names the project.
    EXPECT_THAT(machine.ui.Boxes()[1].text, ::testing::HasSubstr("\r\nSource: Vexav6\r\n"));
}

}  // namespace
}  // namespace vexav6
