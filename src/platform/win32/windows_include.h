#pragma once

// The one gate to <windows.h>: every Win32 file includes this header instead.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601  // Windows 7: the IP Helper calls of the Vista family are declared
#endif
#ifndef UNICODE
#define UNICODE
#endif

#include <windows.h>

// <windows.h> maps these names to their W functions; in this program they are also member names
// of the platform interfaces and presenters (SystemApi::GetVersionEx, UiApi::MessageBox,
// frmTray::LoadIcon ...). Win32 code calls the W functions by their full names. (<shellapi.h>
// defines ShellExecute again: undefine it after including that header.)
#undef GetVersionEx
#undef LoadIcon
#undef GetTempPath
#undef MessageBox
#undef ShellExecute
