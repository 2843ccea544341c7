// The real program under Wine, on Wine's own machine (which has no network adapters the program
// lists): it opens its window, a second start hands over to it, and Exit ends it cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_include.h"

#include <commctrl.h>

#include "presets/preset_support.h"
#include "support/dashless_dir.h"
#include "support/temp_dir.h"
#include "ui/main_menu.h"
#include "ui/win32/preset_panel_window.h"

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

// How many presets the running window's preset list shows, once it shows `count` (or after the
// time-out, what it shows then).
int WaitForPresetCount(HWND window, int count, DWORD milliseconds) {
    struct Search {
        HWND list = nullptr;
    } search;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            if (::GetDlgCtrlID(child) == ui::win32::PresetPanelWindow::kListId) {
                reinterpret_cast<Search*>(data)->list = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    int shown = -1;
    for (DWORD waited = 0; search.list != nullptr && waited < milliseconds; waited += 100) {
        shown = static_cast<int>(::SendMessageW(search.list, LVM_GETITEMCOUNT, 0, 0));
        if (shown == count) {
            break;
        }
        ::Sleep(100);
    }
    return shown;
}

void WritePresets(const std::string& file, int count) {
    PresetCollection presets;
    for (int i = 1; i <= count; ++i) {
        auto preset = std::make_shared<Preset>();
        preset->SetPresetName("Preset " + std::to_string(i));
        presets.Add(preset, preset->PresetName());
    }
    PresetSupport::SavePresetFile(file, presets, true);
}

TEST(Program, OpensThePresetFileOfItsCommandLineAndOfASecondStart) {
    ProgramCopy copy;
    const std::filesystem::path program = copy.Program();
    DashlessTempDir presets;
    WritePresets(presets.File("two.kpf"), 2);
    WritePresets(presets.File("three.kpf"), 3);

    Process first(program, L"-o " + win32::Widen(presets.File("two.kpf")));
    ASSERT_TRUE(first.Started());
    const HWND window = WaitForMainWindow(60000);
    ASSERT_NE(window, nullptr) << "the main window did not appear";
    // Wine's machine has no association for preset files: the start-up asks to make it, and the
    // file opens once the question is answered.
    if (const HWND question = WaitForWindow(L"#32770", 10000)) {
        ::PostMessageW(question, WM_COMMAND, IDNO, 0);
    }
    EXPECT_EQ(WaitForPresetCount(window, 2, 10000), 2);

    // A second start with another file hands it over and ends; the running window opens it.
    {
        Process second(program, L"-o " + win32::Widen(presets.File("three.kpf")));
        ASSERT_TRUE(second.Started());
        EXPECT_EQ(second.Wait(30000), 0);
    }
    EXPECT_EQ(WaitForPresetCount(window, 3, 10000), 3);

    ::PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(ui::MainMenu::FileExit), 0);
    EXPECT_EQ(first.Wait(30000), 0);
}

}  // namespace
}  // namespace vexav6::testing
