#pragma once

#include <string>

#include "platform/sim/machine_file_reader.h"
#include "platform/sim/sim_ip_stack.h"

namespace vexav6::sim::machinefile {

// The running state of an interface ("live"): its addresses, routes, lease and counters.
Json LiveToJson(const SimIpStack& stack, const SimIpStack::Interface& iface);
SimIpStack::Interface LiveFromJson(const Reader& reader, const Json& json, const std::string& where,
                                   const SimIpStack::InterfaceSpec& spec);

}  // namespace vexav6::sim::machinefile
