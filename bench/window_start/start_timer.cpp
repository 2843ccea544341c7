// Times programs from their start to their main window shown and answering: starts the program,
// waits until a visible window of the given class exists and has handled a message sent to it,
// then closes it. Runs the programs in turn, A B A B ..., and prints every time and the medians.
//
//   start_timer <runs> <program A> <window class A> [<program B> <window class B>]
#include "platform/win32/windows_include.h"

#include <algorithm>
#include <cstdio>
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

// Milliseconds to the window shown and answering, or a negative number on failure.
double TimeOne(const std::wstring& program, const std::wstring& windowClass) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const double started = Now();
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process)) {
        return -1;
    }
    double shown = -1;
    for (int waited = 0; waited < 120000; waited += 1) {
        const HWND window = ::FindWindowW(windowClass.c_str(), nullptr);
        if (window != nullptr && ::IsWindowVisible(window)) {
            DWORD_PTR answer = 0;
            if (::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer)) {
                shown = Now() - started;
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
    std::vector<std::vector<double>> times(static_cast<size_t>(programs));
    // One start of each first, not counted: it warms the system's caches.
    for (int p = 0; p < programs; ++p) {
        TimeOne(argv[2 + 2 * p], argv[3 + 2 * p]);
    }
    for (int run = 0; run < runs; ++run) {
        for (int p = 0; p < programs; ++p) {
            const double ms = TimeOne(argv[2 + 2 * p], argv[3 + 2 * p]);
            if (ms < 0) {
                std::fwprintf(stderr, L"%ls did not show its window\n", argv[2 + 2 * p]);
                return 1;
            }
            times[static_cast<size_t>(p)].push_back(ms);
            std::wprintf(L"run %d  %ls: %.0f ms\n", run + 1, argv[2 + 2 * p], ms);
        }
    }
    for (int p = 0; p < programs; ++p) {
        const auto& t = times[static_cast<size_t>(p)];
        std::wprintf(L"median %ls: %.0f ms (min %.0f, max %.0f)\n", argv[2 + 2 * p], Median(t),
                     *std::min_element(t.begin(), t.end()), *std::max_element(t.begin(), t.end()));
    }
    if (programs == 2) {
        std::wprintf(L"ratio of the medians: %.2f\n", Median(times[0]) / Median(times[1]));
    }
    return 0;
}
