#pragma once

#include "platform/platform.h"

// The Windows version as the program compares it: major.minor read as a number.
namespace vexav6::WinVer {

// Reads the platform's version record (the back-end asks the system once and keeps the answer).
platform::OsVersionInfo DetectWindowsVersion(const Platform& platform);

// The text major & "." & minor read as a number: 5 for Windows 2000, 5.1 for XP, 6 for Vista, 6.1
// for Windows 7, 10 for Windows 10 and 11. Callers compare it with >= against 5, 5.1, 6 and so on.
double GetWindowsVersion(const Platform& platform);

// The comparisons the program makes, by name: GetWindowsVersion() >= 5, >= 5.1 and >= 6.
bool IsWindows2000OrLater(const Platform& platform);
bool IsXPOrLater(const Platform& platform);
bool IsVistaOrLater(const Platform& platform);

}  // namespace vexav6::WinVer
