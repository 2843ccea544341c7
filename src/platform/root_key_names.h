#pragma once

#include <string_view>

#include "platform/registry_api.h"

namespace vexav6::platform {

// "HKEY_LOCAL_MACHINE" and the other root names, as machine files and messages write them.
std::string_view RootKeyName(RootKey root);
bool RootKeyFromName(std::string_view name, RootKey& root);

}  // namespace vexav6::platform
