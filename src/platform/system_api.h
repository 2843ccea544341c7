#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/ole_date.h"
#include "platform/status.h"

namespace vexav6::platform {

// OSVERSIONINFOEXW, the parts the program reads.
struct OsVersionInfo {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    uint32_t platformId = 2;  // VER_PLATFORM_WIN32_NT
    std::string servicePack;  // szCSDVersion
    uint16_t servicePackMajor = 0;
    uint16_t servicePackMinor = 0;
    uint16_t suiteMask = 0;
    uint8_t productType = 1;  // VER_NT_WORKSTATION
};

// ShowWindow states used with ShellExecute and process start-up.
enum class ShowCommand : int32_t { Hide = 0, Normal = 1, Minimized = 2, Maximized = 3 };

// Process creation flags the program passes.
namespace createflags {
inline constexpr uint32_t kNormalPriorityClass = 0x20;
inline constexpr uint32_t kCreateNoWindow = 0x08000000;
}  // namespace createflags

// The system facts and services of the kernel and shell that the program uses. The file system is
// not here: it is used directly on every back-end.
class SystemApi {
  public:
    virtual ~SystemApi() = default;

    virtual OsVersionInfo GetVersionEx() = 0;
    virtual bool IsUserAnAdmin() = 0;

    // The user's temporary folder, ending in the path separator.
    virtual std::string GetTempPath() = 0;
    // The full path of the running program file, and its folder (without a trailing separator).
    virtual std::string GetProgramFile() = 0;
    virtual std::string GetProgramFolder() = 0;
    // The raw argument text after the program name, exactly as the process received it.
    virtual std::string GetCommandLineTail() = 0;

    // Local date and time now; Sleep blocks the calling thread.
    virtual OleDate Now() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;

    // ShellExecute: true when the system accepted the request (a result above 32).
    virtual bool ShellExecute(std::string_view verb, std::string_view file,
                              std::string_view parameters, std::string_view directory,
                              ShowCommand show) = 0;
    // ShellExecuteEx that waits for the process it started (SEE_MASK_NOCLOSEPROCESS) and answers
    // its exit code; nothing when no process was started (the user declined the elevation, the
    // file is missing).
    virtual std::optional<uint32_t> ShellExecuteAndWait(std::string_view verb,
                                                        std::string_view file,
                                                        std::string_view parameters,
                                                        ShowCommand show) = 0;

    // Whether the file carries a valid Authenticode signature that chains to a trusted root
    // (WinVerifyTrust with WINTRUST_ACTION_GENERIC_VERIFY_V2, no user interface): 0 when it does,
    // otherwise the HRESULT the check answered (TRUST_E_NOSIGNATURE 0x800B0100 ...).
    virtual int32_t VerifyFileSignature(std::string_view path) = 0;

    // Runs a console command with its standard output and error drained through a pipe and waits
    // for it to end. 0 when it ran to its end; otherwise the status of the step that failed
    // (creating the pipe, starting the process, asking the pipe).
    virtual Status RunConsoleCommand(std::string_view commandLine, std::string_view directory,
                                     uint32_t creationFlags, bool showWindow) = 0;

    // Single instance: whether another instance of the program runs in this session, a message to
    // it (true when it accepted the text), and the receiving end of this instance, whose callback
    // runs on the user-interface thread.
    virtual bool IsAnotherInstanceRunning() = 0;
    virtual bool SendToRunningInstance(std::string_view message) = 0;
    virtual void StartInstanceReceiver(std::function<void(const std::string&)> onMessage) = 0;
    virtual void StopInstanceReceiver() = 0;
};

}  // namespace vexav6::platform
