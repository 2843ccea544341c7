// Times programs from their start to their main window shown and answering: starts the program,
// waits until a visible window of the given class exists and has handled a message sent to it,
// then closes it. Runs the programs in turn, A B A B ..., and prints every time and the medians:
// the wall-clock time, and the processor time the program had used by then (which a busy machine
// disturbs less; under Wine read from the program's Linux process).
//
//   start_timer <runs> <program A> <window class A> [<program B> <window class B>]
#include "platform/win32/windows_include.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <sstream>
#include <string>
#include <vector>

namespace {

double Now() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER counter{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Sample {
    double wallMs = -1;  // negative: the window did not show
    double cpuMs = 0;
};

double Milliseconds(const FILETIME& time) {
    ULARGE_INTEGER value{};
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 10000.0;
}

// A small file read whole (the files of /proc have no size to ask for).
std::string ReadSmallFile(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        content.append(buffer, read);
    }
    ::CloseHandle(file);
    return content;
}

// Under Wine, GetProcessTimes answers with the calling process's own times whatever process it
// is given. There the program's Linux process is found in /proc by the program's file name in
// its first argument, and the clock ticks (10 ms) it used in user and kernel mode are read.
// Negative when there is no /proc (Windows itself).
double LinuxProcessorMs(const std::wstring& program) {
    std::wstring name = program.substr(program.find_last_of(L"\\/") + 1);
    std::transform(name.begin(), name.end(), name.begin(), ::towlower);
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) {
        return -1;
    }
    double result = -1;
    do {
        if (!std::iswdigit(found.cFileName[0])) {
            continue;
        }
        const std::wstring folder = L"Z:\\proc\\" + std::wstring(found.cFileName);
        const std::string cmdline = ReadSmallFile(folder + L"\\cmdline");
        std::wstring first(cmdline.c_str(), cmdline.c_str() + std::strlen(cmdline.c_str()));
        std::transform(first.begin(), first.end(), first.begin(), ::towlower);
        if (first.find(name) == std::wstring::npos ||
            first.find(L"start_timer") != std::wstring::npos) {
            continue;
        }
        const std::string stat = ReadSmallFile(folder + L"\\stat");
        const size_t close = stat.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        // After the name: the state (field 3) up to the minor faults of the children (13), then
        // the user time (14) and the kernel time (15).
        std::istringstream fields(stat.substr(close + 1));
        std::string skipped;
        for (int field = 3; field <= 13; ++field) {
            fields >> skipped;
        }
        double user = 0;
        double kernel = 0;
        if (fields >> user >> kernel) {
            result = (user + kernel) * 10.0;
            break;
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return result;
}

// The time to the window shown and answering, and the processor time used until then.
Sample TimeOne(const std::wstring& program, const std::wstring& windowClass) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const double started = Now();
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process)) {
        return {};
    }
    Sample shown;
    for (int waited = 0; waited < 120000; waited += 1) {
        const HWND window = ::FindWindowW(windowClass.c_str(), nullptr);
        if (window != nullptr && ::IsWindowVisible(window)) {
            DWORD_PTR answer = 0;
            if (::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer)) {
                shown.wallMs = Now() - started;
                shown.cpuMs = LinuxProcessorMs(program);
                FILETIME created{};
                FILETIME exited{};
                FILETIME kernel{};
                FILETIME user{};
                if (shown.cpuMs < 0 &&
                    ::GetProcessTimes(process.hProcess, &created, &exited, &kernel, &user)) {
                    shown.cpuMs = Milliseconds(kernel) + Milliseconds(user);
                }
            }
            ::PostMessageW(window, WM_CLOSE, 0, 0);
            break;
        }
        ::Sleep(1);
    }
    if (::WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 1);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return shown;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : (n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4 && argc != 6) {
        std::fprintf(stderr, "usage: start_timer <runs> <program> <class> [<program> <class>]\n");
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[1]));
    const int programs = (argc - 2) / 2;
    std::vector<std::vector<double>> wall(static_cast<size_t>(programs));
    std::vector<std::vector<double>> cpu(static_cast<size_t>(programs));
    // One start of each first, not counted: it warms the system's caches.
    for (int p = 0; p < programs; ++p) {
        TimeOne(argv[2 + 2 * p], argv[3 + 2 * p]);
    }
    for (int run = 0; run < runs; ++run) {
        for (int p = 0; p < programs; ++p) {
            const Sample sample = TimeOne(argv[2 + 2 * p], argv[3 + 2 * p]);
            if (sample.wallMs < 0) {
                std::fwprintf(stderr, L"%ls did not show its window\n", argv[2 + 2 * p]);
                return 1;
            }
            wall[static_cast<size_t>(p)].push_back(sample.wallMs);
            cpu[static_cast<size_t>(p)].push_back(sample.cpuMs);
            std::wprintf(L"run %d  %ls: %.0f ms (processor %.0f ms)\n", run + 1, argv[2 + 2 * p],
                         sample.wallMs, sample.cpuMs);
        }
    }
    for (int p = 0; p < programs; ++p) {
        const auto& w = wall[static_cast<size_t>(p)];
        std::wprintf(L"median %ls: %.0f ms (min %.0f, max %.0f), processor %.0f ms\n",
                     argv[2 + 2 * p], Median(w), *std::min_element(w.begin(), w.end()),
                     *std::max_element(w.begin(), w.end()), Median(cpu[static_cast<size_t>(p)]));
    }
    if (programs == 2) {
        std::wprintf(L"ratio of the medians: %.2f (processor time: %.2f)\n",
                     Median(wall[0]) / Median(wall[1]), Median(cpu[0]) / Median(cpu[1]));
    }
    return 0;
}
