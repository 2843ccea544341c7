// The real program under Wine, started as a script starts it: its standard output and error
// redirected to files. Wine has no network-class devices, so the program finds no connections.
#ifdef _WIN32

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "base/app_info.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_include.h"
#include "support/temp_dir.h"

namespace vexav6::win32 {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

struct Outcome {
    DWORD status = 0;
    std::string out;
    std::string err;
};

HANDLE InheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{};
    inherit.nLength = sizeof(inherit);
    inherit.bInheritHandle = TRUE;
    return ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Runs vexav6.exe with the arguments. A program that does not end within the time-out waits for
// someone to close a message box: that is a failure of its own.
Outcome RunProgram(const std::string& arguments) {
    testing::TempDir dir;
    Outcome outcome;
    {
        const ScopedFileHandle out(InheritableFile(dir.File("out")));
        const ScopedFileHandle err(InheritableFile(dir.File("err")));
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out.Get();
        startup.hStdError = err.Get();
        std::wstring command = L"\"" + Widen(VEXAV6_PROGRAM) + L"\" " + Widen(arguments);
        PROCESS_INFORMATION started{};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                              &startup, &started)) {
            ADD_FAILURE() << "cannot start the program: " << ::GetLastError();
            return outcome;
        }
        const ScopedKernelHandle process(started.hProcess);
        const ScopedKernelHandle thread(started.hThread);
        if (::WaitForSingleObject(process.Get(), 60000) != WAIT_OBJECT_0) {
            ::TerminateProcess(process.Get(), 99);
            ADD_FAILURE() << "the program did not end (a message box?): " << arguments;
        }
        ::GetExitCodeProcess(process.Get(), &outcome.status);
    }
    outcome.out = testing::ReadFileBytes(dir.File("out"));
    outcome.err = testing::ReadFileBytes(dir.File("err"));
    return outcome;
}

TEST(Win32Program, ScriptsReadTheOutcomeOnRedirectedStandardOutputAndError) {
    Outcome outcome = RunProgram("-version");
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.out, app::FullVersion() + "\r\n");

    // Output and notes apart: the list is empty, the note says why.
    outcome = RunProgram("-list");
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "No network connections were found.\r\n");
    outcome = RunProgram("-list json");
    EXPECT_EQ(outcome.out, "[]\r\n");

    // Silent: no box, and the error on standard error all the same.
    outcome = RunProgram("-n Ethernet -r -re -s");
    EXPECT_EQ(outcome.status, 1u);
    EXPECT_EQ(outcome.out, "");
    EXPECT_THAT(outcome.err, StartsWith("Error - Korvaldine MAC Address Changer v6\r\n"));
    EXPECT_THAT(outcome.err, HasSubstr("Error: (1) No network connections were found.\r\n"));
    outcome = RunProgram("-n Ethernet -mac 001122334455 -s");
    EXPECT_EQ(outcome.status, 1u);
    EXPECT_THAT(outcome.err, HasSubstr("Error: (1) Unknown option '-mac'."));

    // The help goes to the console where there is one, not into a box.
    outcome = RunProgram("-help");
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_THAT(outcome.out, StartsWith("Korvaldine MAC Address Changer v6\r\n\r\nCommand line"));
}

}  // namespace
}  // namespace vexav6::win32

#endif
