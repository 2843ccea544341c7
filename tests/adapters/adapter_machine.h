#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "adapters/adapter_info.h"
#include "adapters/device_manager.h"
#include "base/keyed_collection.h"
#include "platform/sim/adapter_setup.h"
#include "platform/sim/machine.h"
#include "startup/application.h"

namespace vexav6::testing {

inline constexpr const char* kGuidA = "{1A2B3C4D-0000-4000-8000-00000000000A}";
inline constexpr const char* kGuidB = "{1A2B3C4D-0000-4000-8000-00000000000B}";
inline constexpr const char* kDriverKeyA = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";
inline constexpr const char* kDriverKeyB = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0002";
inline constexpr const char* kClassKeyA =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";
inline constexpr const char* kInterfaceKeyA =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{1A2B3C4D-0000-4000-8000-"
    "00000000000A}";
inline constexpr const char* kNsiKey =
    "SYSTEM\\CurrentControlSet\\Control\\Nsi\\{eb004a01-9b1a-11d4-9123-0050047759bc}\\";
inline constexpr platform::RootKey kHklm = platform::RootKey::LocalMachine;

// A simulated machine with the adapters under test; `List` enumerates them as the program does.
class AdapterMachineTest : public ::testing::Test {
  protected:
    sim::AdapterSetup Setup(const char* guid = kGuidA, const char* driverKey = kDriverKeyA) {
        sim::AdapterSetup setup;
        setup.guid = guid;
        setup.driverKey = driverKey;
        return setup;
    }

    void Install(const sim::AdapterSetup& setup) { sim::AddNetworkAdapter(machine, setup); }

    void Load(const char* fixture) {
        machine.Load(std::string(VEXAV6_FIXTURES_DIR) + "/machines/" + fixture);
    }

    // A fresh adapter list, as the main window loads it.
    KeyedCollection<std::shared_ptr<AdapterInfo>> List() {
        KeyedCollection<std::shared_ptr<AdapterInfo>> adapters;
        DeviceManager::GetNetworkAdapters(platform, adapters, [this](const Error& error) {
            Application::ReportError(platform, error);
        });
        return adapters;
    }

    std::shared_ptr<AdapterInfo> Adapter(const std::string& guid = kGuidA) {
        return List().Item(guid);
    }

    // Restarts the device the way the callers of a MAC address change do.
    static void Restart(AdapterInfo& adapter) {
        if (adapter.State()) {
            adapter.SetState(false);
        }
        adapter.SetState(true);
    }

    sim::Machine machine;
    Platform platform = machine.GetPlatform();
};

}  // namespace vexav6::testing
