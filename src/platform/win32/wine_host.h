#pragma once

namespace vexav6::win32 {

// True when the program runs under Wine instead of Windows: Wine's ntdll exports
// "wine_get_version". Wine exports some calls only as stubs that end the process when called
// (SetupDiChangeState, the IP Helper calls that create and delete IPv6 rows); the back-ends refuse
// those calls there with ERROR_CALL_NOT_IMPLEMENTED instead of calling them.
bool RunningUnderWine();

}  // namespace vexav6::win32
