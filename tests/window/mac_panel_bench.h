#pragma once

#include "platform/win32/windows_include.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "adapters/adapter_info.h"
#include "adapters/device_manager.h"
#include "base/keyed_collection.h"
#include "platform/sim/machine.h"
#include "platform/win32/wide_text.h"
#include "startup/application.h"
#include "ui/win32/change_mac_address_window.h"

namespace vexav6::testing {

inline constexpr const char* kEthernetGuid = "{3F2A6C1E-8B4D-4E21-9A7C-5D1E2F3A4B01}";
inline constexpr const char* kWifiGuid = "{7C1B9E44-2D6A-4F0B-8E35-A1C2D3E4F502}";
inline constexpr const char* kEthernetClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";

// Runs every message waiting for this thread.
inline void Pump() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

inline std::string WindowText(HWND window) {
    wchar_t buffer[1024] = {};
    ::GetWindowTextW(window, buffer, 1024);
    return win32::Narrow(buffer);
}

// Saves what the screen shows of a window as build-windows/screenshots/<name>.png.
void Photograph(HWND window, const std::string& name);

// A top-level window on the simulated demo machine that hosts the windows under test, the way the
// main window hosts them.
class WindowBench : public ::testing::Test {
  protected:
    WindowBench();
    ~WindowBench() override;

    std::shared_ptr<AdapterInfo> Adapter(const char* guid) { return adapters.Item(guid); }

    sim::Machine machine;
    Platform platform = machine.GetPlatform();
    KeyedCollection<std::shared_ptr<AdapterInfo>> adapters;
    HWND host = nullptr;
    HFONT font = nullptr;
};

}  // namespace vexav6::testing
