#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace vexav6 {

// What the IP configuration objects need from the adapter that owns them: the machine to change,
// whether the device is enabled, whether its interface runs, and its interface index. The adapter
// object implements it; objects made without an adapter (presets, the preset editor) hold a null
// owner and only carry values.
class IpConfigOwner {
  public:
    virtual ~IpConfigOwner() = default;
    virtual const Platform& GetPlatform() const = 0;
    // The device is enabled; asks the device each time.
    virtual bool State() = 0;
    // The interface's operational status; 5 is operational.
    virtual int32_t OperationalStatus() const = 0;
    virtual int32_t IfIndex() const = 0;
};

}  // namespace vexav6
