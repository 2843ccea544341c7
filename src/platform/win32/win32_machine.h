#pragma once

#include "platform/platform.h"
#include "platform/win32/win32_devices.h"
#include "platform/win32/win32_http.h"
#include "platform/win32/win32_ip_helper.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_timers.h"
#include "platform/win32/win32_ui.h"

namespace vexav6::win32 {

// The real Windows machine: one object of every Win32 back-end, made on the user-interface
// thread at start-up by the Windows program and handed down as its Platform.
class Win32Machine {
  public:
    Win32Machine() = default;
    Win32Machine(const Win32Machine&) = delete;
    Win32Machine& operator=(const Win32Machine&) = delete;

    Platform GetPlatform() {
        return Platform{registry, devices, ipHelper, system, http, timers, ui};
    }

    Win32Registry registry;
    Win32Devices devices;
    Win32IpHelper ipHelper;
    Win32System system;
    Win32Http http;
    Win32Timers timers;
    Win32Ui ui;
};

}  // namespace vexav6::win32
