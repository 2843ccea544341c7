#include "platform/win32/win32_system.h"

#include <shellapi.h>
#include <shlobj.h>
#include <softpub.h>
#include <wintrust.h>
#undef ShellExecute  // <shellapi.h> maps it to ShellExecuteW again

#include <utility>
#include <vector>

#include "base/error.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/system_message.h"
#include "platform/win32/wide_text.h"

namespace vexav6::win32 {
namespace {

using platform::Status;

// The last error of a failed call; never 0, so a failure is never taken for success.
Status LastError() {
    const DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_INVALID_FUNCTION;
}

[[noreturn]] void RaiseLastError(const char* source) {
    const Status code = LastError();
    std::string message = SystemMessage(code);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    throw Error(static_cast<int32_t>(code), source, message);
}

platform::OsVersionInfo FromRecord(const OSVERSIONINFOEXW& record) {
    platform::OsVersionInfo info;
    info.major = record.dwMajorVersion;
    info.minor = record.dwMinorVersion;
    info.build = record.dwBuildNumber;
    info.platformId = record.dwPlatformId;
    info.servicePack = Narrow(record.szCSDVersion);
    info.servicePackMajor = record.wServicePackMajor;
    info.servicePackMinor = record.wServicePackMinor;
    info.suiteMask = record.wSuiteMask;
    info.productType = record.wProductType;
    return info;
}

// Calls `fill(buffer, capacity)`, which answers the characters written or the size it needs,
// with a growing buffer until the answer fits.
template <class Fill>
std::wstring FillGrowing(Fill fill, const char* source) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            RaiseLastError(source);
        }
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(std::max<size_t>(length + 1, buffer.size() * 2));
    }
}

}  // namespace

std::wstring CommandLineTail(std::wstring_view commandLine) {
    size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const size_t closing = commandLine.find(L'"', 1);
        i = closing == std::wstring_view::npos ? commandLine.size() : closing + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != L' ' && commandLine[i] != L'\t') {
            ++i;
        }
    }
    while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t')) {
        ++i;
    }
    return std::wstring(commandLine.substr(i));
}

platform::OsVersionInfo Win32System::GetVersionEx() {
    if (!version_) {
        OSVERSIONINFOEXW record{};
        record.dwOSVersionInfoSize = sizeof(record);
        using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        const FARPROC procedure =
            ntdll != nullptr ? ::GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
        bool known = false;
        if (procedure != nullptr) {
            const auto rtlGetVersion =
                reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void (*)()>(procedure));
            known = rtlGetVersion(&record) == 0;
        }
        if (!known && !::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&record))) {
            RaiseLastError("GetVersionEx");
        }
        version_ = FromRecord(record);
    }
    return *version_;
}

bool Win32System::IsUserAnAdmin() {
    return ::IsUserAnAdmin() != FALSE;
}

std::string Win32System::GetTempPath() {
    if (!tempPath_) {
        std::wstring path = FillGrowing(
            [](wchar_t* buffer, DWORD capacity) { return ::GetTempPathW(capacity, buffer); },
            "GetTempPath");
        if (path.back() != L'\\') {
            path += L'\\';
        }
        tempPath_ = Narrow(path);
    }
    return *tempPath_;
}

std::string Win32System::GetProgramFile() {
    if (!programFile_) {
        programFile_ = Narrow(FillGrowing(
            [](wchar_t* buffer, DWORD capacity) {
                const DWORD length = ::GetModuleFileNameW(nullptr, buffer, capacity);
                // A cut-off name fills the whole buffer: ask for a bigger one.
                return length >= capacity ? capacity : length;
            },
            "GetProgramFile"));
    }
    return *programFile_;
}

std::string Win32System::GetProgramFolder() {
    const std::string file = GetProgramFile();
    const size_t last = file.rfind('\\');
    return last == std::string::npos ? std::string() : file.substr(0, last);
}

std::string Win32System::GetCommandLineTail() {
    return Narrow(CommandLineTail(::GetCommandLineW()));
}

OleDate Win32System::Now() {
    SYSTEMTIME time{};
    ::GetLocalTime(&time);
    return DateFromCivil(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
                         time.wSecond);
}

void Win32System::Sleep(uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

bool Win32System::ShellExecute(std::string_view verb, std::string_view file,
                               std::string_view parameters, std::string_view directory,
                               platform::ShowCommand show) {
    const std::wstring wideVerb = Widen(verb);
    const std::wstring wideFile = Widen(file);
    const std::wstring wideParameters = Widen(parameters);
    const std::wstring wideDirectory = Widen(directory);
    const HINSTANCE result = ::ShellExecuteW(
        nullptr, wideVerb.empty() ? nullptr : wideVerb.c_str(), wideFile.c_str(),
        wideParameters.empty() ? nullptr : wideParameters.c_str(),
        wideDirectory.empty() ? nullptr : wideDirectory.c_str(), static_cast<int>(show));
    return reinterpret_cast<INT_PTR>(result) > 32;
}

std::optional<uint32_t> Win32System::ShellExecuteAndWait(std::string_view verb,
                                                         std::string_view file,
                                                         std::string_view parameters,
                                                         platform::ShowCommand show) {
    const std::wstring wideVerb = Widen(verb);
    const std::wstring wideFile = Widen(file);
    const std::wstring wideParameters = Widen(parameters);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = wideVerb.empty() ? nullptr : wideVerb.c_str();
    info.lpFile = wideFile.c_str();
    info.lpParameters = wideParameters.empty() ? nullptr : wideParameters.c_str();
    info.nShow = static_cast<int>(show);
    if (!::ShellExecuteExW(&info) || info.hProcess == nullptr) {
        return std::nullopt;
    }
    const ScopedKernelHandle process(info.hProcess);
    DWORD exitCode = 0;
    if (::WaitForSingleObject(process.Get(), INFINITE) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process.Get(), &exitCode)) {
        return std::nullopt;
    }
    return exitCode;
}

int32_t Win32System::VerifyFileSignature(std::string_view path) {
    const std::wstring widePath = Widen(path);
    WINTRUST_FILE_INFO file{};
    file.cbStruct = sizeof(file);
    file.pcwszFilePath = widePath.c_str();

    WINTRUST_DATA data{};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    // INVALID_HANDLE_VALUE: there is no user to ask; the provider decides on its own.
    const LONG result = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    // The state data of the verification is freed in a second call, whatever the answer was.
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return static_cast<int32_t>(result);
}

Status Win32System::RunConsoleCommand(std::string_view commandLine, std::string_view directory,
                                      uint32_t creationFlags, bool showWindow) {
    constexpr DWORD kPipeSize = 10240;
    SECURITY_ATTRIBUTES inherit{};
    inherit.nLength = sizeof(inherit);
    inherit.bInheritHandle = TRUE;
    ScopedKernelHandle readEnd;
    ScopedKernelHandle writeEnd;
    {
        HANDLE read = nullptr;
        HANDLE write = nullptr;
        if (!::CreatePipe(&read, &write, &inherit, kPipeSize)) {
            return LastError();
        }
        readEnd.Reset(read);
        writeEnd.Reset(write);
    }
    // Only the child's end is handed down; ours stays in this process.
    if (!::SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0)) {
        return LastError();
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    if (!showWindow) {
        startup.dwFlags |= STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        creationFlags |= CREATE_NO_WINDOW;
    }
    std::wstring command = Widen(commandLine);  // CreateProcessW may write into it
    command.push_back(L'\0');
    const std::wstring folder = Widen(directory);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, creationFlags, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &started)) {
        return LastError();
    }
    const ScopedKernelHandle process(started.hProcess);
    const ScopedKernelHandle thread(started.hThread);

    // Drain the pipe while the command runs, so that it never blocks on a full pipe; the output
    // itself is not needed. This end of the write side stays open, so an empty pipe reads as
    // "nothing yet" rather than as broken.
    std::vector<char> buffer(kPipeSize);
    bool ended = false;
    for (;;) {
        DWORD waiting = 0;
        if (!::PeekNamedPipe(readEnd.Get(), nullptr, 0, nullptr, &waiting, nullptr)) {
            return LastError();
        }
        if (waiting == 0) {
            if (ended) {
                break;
            }
            ended = ::WaitForSingleObject(process.Get(), 100) == WAIT_OBJECT_0;
            continue;
        }
        DWORD read = 0;
        if (!::ReadFile(readEnd.Get(), buffer.data(), kPipeSize, &read, nullptr) || read == 0) {
            break;
        }
    }
    return platform::status::kSuccess;
}

bool Win32System::IsAnotherInstanceRunning() {
    return channel_.IsAnotherInstanceRunning();
}

bool Win32System::SendToRunningInstance(std::string_view message) {
    return channel_.Send(message);
}

void Win32System::StartInstanceReceiver(std::function<void(const std::string&)> onMessage) {
    channel_.StartReceiver(std::move(onMessage));
}

void Win32System::StopInstanceReceiver() {
    channel_.StopReceiver();
}

}  // namespace vexav6::win32
