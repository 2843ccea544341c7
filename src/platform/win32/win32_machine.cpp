#include "platform/win32/win32_machine.h"

// Win32Machine is assembled in its header; this file makes the Windows program's build see that
// every back-end exists (see src/app/CMakeLists.txt).
