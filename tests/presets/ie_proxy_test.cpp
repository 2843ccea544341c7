#include "presets/ie_proxy.h"

#include <gtest/gtest.h>

#include "platform/sim/machine.h"
#include "presets/preset_test_support.h"
#include "system/registry.h"

namespace vexav6::testing {
namespace {

using platform::RootKey;
using Op = sim::SimRegistry::Op;
constexpr const char* kKey = IEProxy::kInternetSettingsKey;

class IEProxyTest : public ::testing::Test {
  protected:
    IEProxyTest() { machine.registry.CreateKeyDirect(RootKey::CurrentUser, kKey); }

    std::optional<uint32_t> Switch() {
        return machine.registry.GetDword(RootKey::CurrentUser, kKey, "ProxyEnable");
    }

    sim::Machine machine;
    Platform platform = machine.GetPlatform();
};

TEST_F(IEProxyTest, EnablingWritesServerAndPortThenTheSwitch) {
    IEProxy::SetProxySettings(platform, true, "proxy.example.com", 8080);
    const auto server = machine.registry.Get(RootKey::CurrentUser, kKey, "ProxyServer");
    ASSERT_TRUE(server);
    EXPECT_EQ(server->type, platform::regtype::kSz);
    EXPECT_EQ(IEProxy::GetProxyServer(platform), "proxy.example.com:8080");
    EXPECT_EQ(machine.registry.Get(RootKey::CurrentUser, kKey, "ProxyEnable")->type,
              platform::regtype::kDword);
    EXPECT_EQ(Switch(), 1u);
    EXPECT_TRUE(IEProxy::IsProxyEnabled(platform));

    // Disabling keeps the server for the next time; only 1 means enabled.
    IEProxy::SetProxySettings(platform, false, "other", 1);
    EXPECT_EQ(Switch(), 0u);
    EXPECT_EQ(IEProxy::GetProxyServer(platform), "proxy.example.com:8080");
    machine.registry.PutDword(RootKey::CurrentUser, kKey, "ProxyEnable", 2);
    EXPECT_FALSE(IEProxy::IsProxyEnabled(platform));
}

TEST_F(IEProxyTest, FailuresCarryTheRegistryStatus) {
    // Nothing stored: the switch fails to read, the server reads as empty.
    ExpectError([&] { IEProxy::IsProxyEnabled(platform); }, 2, "IEProxy.IsProxyEnabled",
                Registry::GetSystemErrorMessage(platform, 2));
    EXPECT_EQ(IEProxy::GetProxyServer(platform), "");

    // A server that cannot be written leaves the switch alone.
    machine.registry.PutDword(RootKey::CurrentUser, kKey, "ProxyEnable", 0);
    machine.registry.InjectFailure(Op::Set, RootKey::CurrentUser, kKey, "ProxyServer", 5);
    ExpectError([&] { IEProxy::SetProxySettings(platform, true, "p", 80); }, 5,
                "IEProxy.SetProxySettings", Registry::GetSystemErrorMessage(platform, 5));
    EXPECT_EQ(Switch(), 0u);
    machine.registry.InjectFailure(Op::Set, RootKey::CurrentUser, kKey, "ProxyEnable", 5);
    ExpectError([&] { IEProxy::SetProxySettings(platform, false, "", 0); }, 5,
                "IEProxy.SetProxySettings");
}

}  // namespace
}  // namespace vexav6::testing
