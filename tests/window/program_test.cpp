// The real program under Wine, on Wine's own machine (which has no network adapters the program
// lists): it opens its window, a second start hands over to it, and Exit ends it cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_include.h"
#include "support/temp_dir.h"
#include "ui/main_menu.h"

namespace vexav6::testing {
namespace {

// A started copy of the program, ended at the end of the test whatever happened.
class Process {
  public:
    Process(const std::filesystem::path& program, const std::wstring& arguments,
            DWORD creationFlags = 0) {
        std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        const std::wstring folder = program.parent_path().wstring();
        started_ =
            ::CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                             creationFlags, nullptr, folder.c_str(), &startup, &info_) != FALSE;
    }
    ~Process() {
        if (started_) {
            if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
                ::TerminateProcess(info_.hProcess, 99);
            }
            ::CloseHandle(info_.hThread);
            ::CloseHandle(info_.hProcess);
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return started_; }
    // The exit code, or -1 when it did not end within the time.
    long Wait(DWORD milliseconds) const {
        if (::WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) {
            return -1;
        }
        DWORD code = 0;
        ::GetExitCodeProcess(info_.hProcess, &code);
        return static_cast<long>(code);
    }

  private:
    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

// A visible window of the class once there is one, or null after the time-out.
HWND WaitForWindow(const wchar_t* windowClass, DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 100) {
        const HWND window = ::FindWindowW(windowClass, nullptr);
        if (window != nullptr && ::IsWindowVisible(window)) {
            return window;
        }
        ::Sleep(100);
    }
    return nullptr;
}

HWND WaitForMainWindow(DWORD milliseconds) {
    return WaitForWindow(L"Vexav6.frmMain", milliseconds);
}

// The program copied into a fresh folder with the vendor database beside it, so that the load
// asks nothing.
class ProgramCopy {
  public:
    ProgramCopy() {
        std::filesystem::copy_file(VEXAV6_PROGRAM, Program());
        std::filesystem::copy_file(VEXAV6_OUI_DB, folder.Path() / "oui.db");
        std::filesystem::copy_file(
            std::filesystem::path(VEXAV6_PROGRAM).parent_path() / "CLIHelp.txt",
            folder.Path() / "CLIHelp.txt");
    }
    std::filesystem::path Program() const { return folder.Path() / "vexav6.exe"; }

    TempDir folder;
};

TEST(Program, OpensItsWindowTakesTheHandOverOfASecondStartAndExits) {
    ProgramCopy copy;
    const std::filesystem::path program = copy.Program();
    TempDir& folder = copy.folder;

    Process first(program, L"");
    ASSERT_TRUE(first.Started());
    const HWND window = WaitForMainWindow(60000);
    ASSERT_NE(window, nullptr) << "the main window did not appear";
    wchar_t caption[128] = {};
    ::GetWindowTextW(window, caption, 128);
    EXPECT_EQ(std::wstring(caption), L"Korvaldine MAC Address Changer v6");
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "Default.kpf"));

    // A second start without options shows the running window and ends at once.
    ::ShowWindow(window, SW_HIDE);
    {
        Process second(program, L"");
        ASSERT_TRUE(second.Started());
        EXPECT_EQ(second.Wait(30000), 0);
    }
    EXPECT_EQ(WaitForMainWindow(10000), window);

    // Exit saves the settings and ends the program.
    ::PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(ui::MainMenu::FileExit), 0);
    EXPECT_EQ(first.Wait(30000), 0);
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "vexav6.set"));
}

TEST(Program, HelpOptionOpensTheHelpWindowAndEndsWhenItCloses) {
    ProgramCopy copy;
    // Without a console of its own to write to: only the window.
    Process help(copy.Program(), L"-help", DETACHED_PROCESS);
    ASSERT_TRUE(help.Started());
    const HWND window = WaitForWindow(L"Vexav6.frmCLIHelp", 60000);
    ASSERT_NE(window, nullptr) << "the help window did not appear";
    EXPECT_EQ(::FindWindowW(L"Vexav6.frmMain", nullptr), nullptr);
    EXPECT_EQ(help.Wait(500), -1);  // it waits for the window
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(help.Wait(30000), 0);
}

}  // namespace
}  // namespace vexav6::testing
