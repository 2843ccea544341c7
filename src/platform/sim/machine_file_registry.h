#pragma once

#include <string>
#include <string_view>

#include "platform/registry_api.h"
#include "platform/sim/machine_file_reader.h"
#include "platform/sim/sim_registry.h"

namespace vexav6::sim::machinefile {

// A registry value in the file's form: plain JSON for the common types, an object with "type"
// and "hex", "text", "value" or "strings" otherwise.
Json ValueToJson(const SimRegistry::Value& value);
SimRegistry::Value ValueFromJson(const Reader& reader, const Json& json, const std::string& where);
// "HKEY_LOCAL_MACHINE\path" (or HKLM and the other short names) split into root and path.
bool SplitRootPath(std::string_view full, platform::RootKey& root, std::string& path);

}  // namespace vexav6::sim::machinefile
