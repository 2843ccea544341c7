#pragma once

#include <optional>
#include <string>

#include "platform/sim/machine_file_reader.h"
#include "platform/sim/sim_devices.h"

namespace vexav6::sim::machinefile {

struct DeviceEntry {
    SimDevice device;
    bool hasIndex = false;
    std::optional<Json> live;
    std::string where;
};

// One entry of "devices", checked; its "live" part is read later, against the registry.
DeviceEntry ReadDevice(const Reader& reader, const Json& json, const std::string& where);
Json DeviceToJson(const SimDevice& device);

}  // namespace vexav6::sim::machinefile
