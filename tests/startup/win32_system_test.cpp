// The real Windows back-ends of the system, timers and message boxes (run under Wine).
#ifdef _WIN32

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_timers.h"
#include "platform/win32/win32_ui.h"
#include "support/temp_dir.h"

namespace vexav6::win32 {
namespace {

namespace fs = std::filesystem;
using platform::MessageBoxButtons;
using platform::MessageBoxIcon;
using platform::MessageBoxResult;
using vexav6::testing::TempDir;

// Runs the thread's messages until `done` or the time-out; true when done.
bool PumpUntil(Win32Ui& ui, const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        ui.DoEvents();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

std::wstring HelperPath() {
    Win32System system;
    return Widen(system.GetProgramFolder()) + L"\\hand_over_sender.exe";
}

// Starts the second-instance helper with `tail` after its quoted name and answers its exit code,
// running this thread's messages meanwhile so that the receiver here can answer.
DWORD RunSender(Win32Ui& ui, const std::string& tail) {
    std::wstring command = L"\"" + HelperPath() + L"\" " + Widen(tail);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started)) {
        ADD_FAILURE() << "cannot start the helper: " << ::GetLastError();
        return 99;
    }
    const ScopedKernelHandle process(started.hProcess);
    const ScopedKernelHandle thread(started.hThread);
    const bool ended =
        PumpUntil(ui, [&] { return ::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0; });
    if (!ended) {
        ::TerminateProcess(process.Get(), 98);
        ADD_FAILURE() << "the helper did not end";
        return 98;
    }
    DWORD exitCode = 97;
    ::GetExitCodeProcess(process.Get(), &exitCode);
    return exitCode;
}

TEST(Win32System, ReportsTheFactsOfThisMachine) {
    Win32System system;
    const platform::OsVersionInfo version = system.GetVersionEx();
    EXPECT_GE(version.major, 5u);
    EXPECT_EQ(version.platformId, static_cast<uint32_t>(VER_PLATFORM_WIN32_NT));
    EXPECT_GT(version.build, 0u);

    const std::string temp = system.GetTempPath();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_TRUE(fs::is_directory(fs::path(Widen(temp))));

    const std::string program = system.GetProgramFile();
    EXPECT_THAT(program, ::testing::EndsWith("\\startup_tests.exe"));
    EXPECT_EQ(system.GetProgramFolder() + "\\startup_tests.exe", program);
    EXPECT_TRUE(fs::is_regular_file(fs::path(Widen(program))));

    // Local time, to the second, as the C library sees it.
    const std::time_t cNow = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &cNow);
    const OleDate expected = DateFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                           local.tm_hour, local.tm_min, local.tm_sec);
    EXPECT_NEAR(system.Now().Linear(), expected.Linear(), 3.0 / 86400);
}

TEST(Win32System, CommandLineTailIsWhatFollowsTheProgramName) {
    EXPECT_EQ(CommandLineTail(L"\"C:\\Program Files\\Vexav6\\vexav6.exe\" -o C:\\a b.kpf"),
              L"-o C:\\a b.kpf");
    EXPECT_EQ(CommandLineTail(L"vexav6.exe   -n \"Local Area\" -r  "), L"-n \"Local Area\" -r  ");
    EXPECT_EQ(CommandLineTail(L"vexav6.exe\t-r"), L"-r");
    EXPECT_EQ(CommandLineTail(L"\"C:\\x\\vexav6.exe\""), L"");
    EXPECT_EQ(CommandLineTail(L"vexav6.exe"), L"");
}

TEST(Win32System, RunConsoleCommandDrainsLongOutputUntilTheCommandHasEnded) {
    TempDir dir;
    Win32System system;
    // About 84 KB of output through a pipe of 10 KB: without draining the command would block.
    const std::string marker = dir.File("done.txt");
    const std::string command =
        "cmd.exe /c (for /l %i in (1,1,2000) do @echo "
        "0123456789012345678901234567890123456789) & echo done> " +
        marker;
    EXPECT_EQ(
        system.RunConsoleCommand(command, "", platform::createflags::kNormalPriorityClass, false),
        platform::status::kSuccess);
    EXPECT_TRUE(fs::exists(fs::path(Widen(marker))));  // its last step ran before the return
}

TEST(Win32System, RunConsoleCommandRunsInTheGivenFolderAndReportsAFailedStart) {
    TempDir dir;
    Win32System system;
    EXPECT_EQ(system.RunConsoleCommand("cmd.exe /c echo here> here.txt", dir.Str(),
                                       platform::createflags::kNormalPriorityClass, true),
              platform::status::kSuccess);
    EXPECT_TRUE(fs::exists(dir.Path() / "here.txt"));

    const platform::Status status =
        system.RunConsoleCommand(dir.File("no-such-program.exe"), "", 0, false);
    EXPECT_THAT(status,
                ::testing::AnyOf(platform::status::kFileNotFound, platform::status::kPathNotFound));
}

TEST(Win32HandOver, ASecondProcessHandsItsRawCommandLineToTheRunningInstance) {
    Win32Ui ui;
    {
        Win32System first;
        ASSERT_FALSE(first.IsAnotherInstanceRunning());
        std::vector<std::string> received;
        first.StartInstanceReceiver([&](const std::string& text) { received.push_back(text); });

        const std::string tail = "-o  C:\\My Presets\\B\xC3\xBCro.kpf \"quoted\"  ";
        EXPECT_EQ(RunSender(ui, tail), 0u);
        EXPECT_TRUE(PumpUntil(ui, [&] { return !received.empty(); }));
        EXPECT_THAT(received, ::testing::ElementsAre(tail));

        // The elevated restart goes through the shell with the same command line.
        received.clear();
        EXPECT_TRUE(first.ShellExecute("runas", Narrow(HelperPath()), "-o via the shell", "",
                                       platform::ShowCommand::Normal));
        EXPECT_TRUE(PumpUntil(ui, [&] { return !received.empty(); }));
        EXPECT_THAT(received, ::testing::ElementsAre("-o via the shell"));

        // An instance that does not listen (yet) does not accept.
        first.StopInstanceReceiver();
        EXPECT_EQ(RunSender(ui, "-o x.kpf"), 1u);
    }
    EXPECT_EQ(RunSender(ui, ""), 2u);  // the last instance has ended
}

TEST(Win32Timers, FireWhileTheThreadRunsItsMessagesUntilKilled) {
    Win32Ui ui;
    Win32Timers timers;
    int fired = 0;
    uint32_t firedId = 0;
    const uint32_t id = timers.SetTimer(20, [&](uint32_t timerId) {
        ++fired;
        firedId = timerId;
    });
    ASSERT_NE(id, 0u);

    EXPECT_TRUE(PumpUntil(ui, [&] { return fired >= 3; }));
    EXPECT_EQ(firedId, id);
    EXPECT_TRUE(timers.KillTimer(id));
    EXPECT_FALSE(timers.KillTimer(id));
    const int afterKill = fired;
    PumpUntil(
        ui, [] { return false; }, std::chrono::milliseconds(150));
    EXPECT_EQ(fired, afterKill);
}

TEST(Win32Timers, AnErrorInACallbackGoesToTheHandlerNotThroughTheSystem) {
    Win32Ui ui;
    Win32Timers timers;
    std::vector<int32_t> errors;
    timers.SetErrorHandler([&](const Error& error) { errors.push_back(error.Number()); });
    timers.SetTimer(10, [&](uint32_t id) {
        timers.KillTimer(id);
        throw Error(5, "Timer.Tick", "Invalid procedure call or argument");
    });
    int otherTicks = 0;
    const uint32_t other = timers.SetTimer(10, [&](uint32_t) { ++otherTicks; });

    EXPECT_TRUE(PumpUntil(ui, [&] { return !errors.empty() && otherTicks >= 2; }));
    EXPECT_THAT(errors, ::testing::ElementsAre(5));
    timers.KillTimer(other);
}

TEST(Win32Ui, MessageBoxShowsTheAskedButtonsAndAnswersThePressedOne) {
    Win32Ui ui;
    Win32Timers timers;
    const std::wstring title = L"Vexav6 test box";
    bool hadYes = false;
    bool hadOk = false;
    // While the box runs its own message loop, press its No button.
    timers.SetTimer(50, [&](uint32_t id) {
        const HWND box = ::FindWindowW(L"#32770", title.c_str());
        if (box == nullptr) {
            return;
        }
        timers.KillTimer(id);
        hadYes = ::GetDlgItem(box, IDYES) != nullptr;
        hadOk = ::GetDlgItem(box, IDOK) != nullptr;
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(box, IDNO)));
    });

    const MessageBoxResult answer = ui.MessageBox(
        "Delete the preset?", Narrow(title), MessageBoxButtons::YesNo, MessageBoxIcon::Question);

    EXPECT_EQ(answer, MessageBoxResult::No);
    EXPECT_TRUE(hadYes);
    EXPECT_FALSE(hadOk);
}

TEST(Win32Ui, DoEventsLeavesAQuitRequestForTheMainLoop) {
    Win32Ui ui;
    ::PostQuitMessage(7);
    ui.DoEvents();
    MSG message{};
    ASSERT_TRUE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
}

}  // namespace
}  // namespace vexav6::win32

#endif  // _WIN32
