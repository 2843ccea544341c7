#pragma once

#include <string_view>

#include "platform/registry_api.h"

namespace vexav6::platform {

// "HKEY_LOCAL_MACHINE" and the other root names, as machine files and messages write them.
std::string_view RootKeyName(RootKey root);
// The root of one of those names, in any letter case; false for any other text.
bool RootKeyFromName(std::string_view name, RootKey& root);

}  // namespace vexav6::platform
