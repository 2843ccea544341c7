#pragma once

#include "platform/device_api.h"
#include "platform/http_api.h"
#include "platform/ip_helper_api.h"
#include "platform/registry_api.h"
#include "platform/system_api.h"
#include "platform/timer_api.h"
#include "platform/ui_api.h"

namespace vexav6 {

// The machine the program runs on, as the core sees it. `app/` builds the one real Platform at
// start-up and hands it down; a test builds a simulated machine and hands down its Platform. There
// is no global way to reach it.
struct Platform {
    platform::RegistryApi& registry;
    platform::DeviceApi& devices;
    platform::IpHelperApi& ipHelper;
    platform::SystemApi& system;
    platform::HttpApi& http;
    platform::TimerApi& timers;
    platform::UiApi& ui;
};

}  // namespace vexav6
