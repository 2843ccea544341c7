#pragma once

#include <string>

#include "platform/status.h"

namespace vexav6::win32 {

// FormatMessage text of a Win32 status code from the system table in the default language, as
// the system returns it (normally with CR LF at the end); empty when there is none.
std::string SystemMessage(platform::Status code);

}  // namespace vexav6::win32
