#include "platform/win32/wine_host.h"

#include "platform/win32/windows_include.h"

namespace vexav6::win32 {

bool RunningUnderWine() {
    static const bool underWine = [] {
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return underWine;
}

}  // namespace vexav6::win32
