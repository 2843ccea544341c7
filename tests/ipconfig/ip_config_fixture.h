#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/error.h"
#include "ipconfig/ip_config_owner.h"
#include "platform/sim/adapter_setup.h"
#include "platform/sim/machine.h"

namespace vexav6::testing {

// The adapter as the IP configuration objects see it, over a simulated machine; the test sets what
// the adapter reports.
class TestOwner : public IpConfigOwner {
  public:
    explicit TestOwner(sim::Machine& machine) : platform_(machine.GetPlatform()) {}
    const Platform& GetPlatform() const override { return platform_; }
    bool State() override { return state; }
    int32_t OperationalStatus() const override { return operStatus; }
    int32_t IfIndex() const override { return index; }

    bool state = true;
    int32_t operStatus = 5;
    int32_t index = 0;

  private:
    Platform platform_;
};

// One wired adapter with interface index 12 on a simulated Windows 10 machine.
class IpConfigTest : public ::testing::Test {
  protected:
    static constexpr const char* kGuid = "{6A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9}";
    static constexpr int32_t kIndex = 12;
    static constexpr const char* kInterfaceKey =
        "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\"
        "{6A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9}";
    static constexpr const char* kRoutesKey =
        "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\PersistentRoutes";

    // A static adapter; `enabled` false installs it disabled and the owner says so.
    void Install(bool enabled = true,
                 std::vector<std::pair<std::string, std::string>> addresses = {},
                 std::vector<std::pair<std::string, std::string>> gateways = {}) {
        sim::AdapterSetup setup;
        setup.guid = kGuid;
        setup.driverKey = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0007";
        setup.index = kIndex;
        setup.enabled = enabled;
        setup.dhcp = false;
        setup.addresses = std::move(addresses);
        setup.gateways = std::move(gateways);
        sim::AddNetworkAdapter(machine, setup);
        owner.state = enabled;
        owner.index = kIndex;
    }

    const sim::SimIpStack::Interface& Interface() {
        const auto* iface = machine.ipStack.FindInterface(kGuid);
        EXPECT_NE(iface, nullptr);
        return *iface;
    }

    // A value's data as bytes in a string ("" when absent), so that zeros show in failures.
    std::string Data(const std::string& key, const std::string& name) {
        const auto value = machine.registry.Get(platform::RootKey::LocalMachine, key, name);
        return value ? std::string(value->data.begin(), value->data.end())
                     : std::string("<absent>");
    }
    std::string Stored(const std::string& name) { return Data(kInterfaceKey, name); }
    void PutList(const std::string& name, const std::vector<std::string>& entries) {
        machine.registry.PutMultiString(platform::RootKey::LocalMachine, kInterfaceKey, name,
                                        entries);
    }

    sim::Machine machine;
    TestOwner owner{machine};
};

// Runs `action` and checks the error it raises (an empty source or description is not checked).
template <class Action>
void ExpectError(Action action, int32_t number, const std::string& source,
                 const std::string& description = "") {
    try {
        action();
        ADD_FAILURE() << "no error raised, expected " << number << " from " << source;
    } catch (const Error& error) {
        EXPECT_EQ(error.Number(), number);
        if (!source.empty()) {
            EXPECT_EQ(error.Source(), source);
        }
        if (!description.empty()) {
            EXPECT_EQ(error.Description(), description);
        }
    }
}

}  // namespace vexav6::testing
