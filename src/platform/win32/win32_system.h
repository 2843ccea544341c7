#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The gate first: it undoes the macros of <windows.h> that share names with SystemApi members.
#include "platform/win32/windows_include.h"

#include "platform/system_api.h"
#include "platform/win32/instance_channel.h"

namespace vexav6::win32 {

// The system facts and services of the real Windows machine. Facts that cannot change while the
// program runs (version, temp folder, program file, command line) are asked once and kept.
// Everything runs on the user-interface thread.
class Win32System : public platform::SystemApi {
  public:
    // The version from RtlGetVersion, which tells the truth: GetVersionExW answers 6.2 on
    // Windows 8.1 and later unless the program's manifest lists those systems. GetVersionExW is
    // the fall-back where ntdll has no RtlGetVersion.
    platform::OsVersionInfo GetVersionEx() override;
    bool IsUserAnAdmin() override;
    std::string GetTempPath() override;
    std::string GetProgramFile() override;
    std::string GetProgramFolder() override;
    // The text of GetCommandLineW after the program name (quoted or not) and the blanks that
    // follow it; the rest exactly as it came, trailing blanks and quotes included.
    std::string GetCommandLineTail() override;
    // Local time to the second.
    OleDate Now() override;
    void Sleep(uint32_t milliseconds) override;
    bool ShellExecute(std::string_view verb, std::string_view file, std::string_view parameters,
                      std::string_view directory, platform::ShowCommand show) override;
    std::optional<uint32_t> ShellExecuteAndWait(std::string_view verb, std::string_view file,
                                                std::string_view parameters,
                                                platform::ShowCommand show) override;
    int32_t VerifyFileSignature(std::string_view path) override;
    platform::Status RunConsoleCommand(std::string_view commandLine, std::string_view directory,
                                       uint32_t creationFlags, bool showWindow) override;
    bool IsAnotherInstanceRunning() override;
    bool SendToRunningInstance(std::string_view message) override;
    void StartInstanceReceiver(std::function<void(const std::string&)> onMessage) override;
    void StopInstanceReceiver() override;

  private:
    std::optional<platform::OsVersionInfo> version_;
    std::optional<std::string> tempPath_;
    std::optional<std::string> programFile_;
    InstanceChannel channel_;
};

// The command-line tail of a full command line: what follows the program name (in quotes or up to
// the first blank or tab) and the blanks after it.
std::wstring CommandLineTail(std::wstring_view commandLine);

}  // namespace vexav6::win32
