#include "presets/ie_proxy.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "adapters/registry.h"
#include "base/error.h"
#include "platform/sim/machine.h"

namespace vexav6 {
namespace {

using platform::RootKey;
using Op = sim::SimRegistry::Op;

class IEProxyTest : public ::testing::Test {
  protected:
    IEProxyTest() { machine.registry.CreateKeyDirect(RootKey::CurrentUser, kKey); }

    std::optional<sim::SimRegistry::Value> Stored(const char* name) {
        return machine.registry.Get(RootKey::CurrentUser, kKey, name);
    }

    void ExpectError(const std::function<void()>& call, int32_t number, const char* source) {
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), number);
            EXPECT_EQ(e.Source(), source);
            EXPECT_EQ(e.Description(), Registry::GetSystemErrorMessage(platform, number));
            EXPECT_FALSE(e.Description().empty());
        }
    }

    static constexpr const char* kKey = IEProxy::kInternetSettingsKey;
    sim::Machine machine;
    Platform platform = machine.GetPlatform();
};

TEST_F(IEProxyTest, EnablingWritesServerAndPortThenTheSwitch) {
    IEProxy::SetProxySettings(platform, true, "proxy.example.com", 8080);
    EXPECT_EQ(machine.registry.GetString(RootKey::CurrentUser, kKey, "ProxyServer"),
              "proxy.example.com:8080");
    EXPECT_EQ(Stored("ProxyServer")->type, platform::regtype::kSz);
    EXPECT_EQ(machine.registry.GetDword(RootKey::CurrentUser, kKey, "ProxyEnable"), 1u);
    EXPECT_EQ(Stored("ProxyEnable")->type, platform::regtype::kDword);
    EXPECT_TRUE(IEProxy::IsProxyEnabled(platform));
    EXPECT_EQ(IEProxy::GetProxyServer(platform), "proxy.example.com:8080");

    // Disabling keeps the server for the next time.
    IEProxy::SetProxySettings(platform, false, "other", 1);
    EXPECT_EQ(machine.registry.GetDword(RootKey::CurrentUser, kKey, "ProxyEnable"), 0u);
    EXPECT_FALSE(IEProxy::IsProxyEnabled(platform));
    EXPECT_EQ(IEProxy::GetProxyServer(platform), "proxy.example.com:8080");
}

TEST_F(IEProxyTest, OnlyOneMeansEnabled) {
    machine.registry.PutDword(RootKey::CurrentUser, kKey, "ProxyEnable", 2);
    EXPECT_FALSE(IEProxy::IsProxyEnabled(platform));
    machine.registry.PutDword(RootKey::CurrentUser, kKey, "ProxyEnable", 1);
    EXPECT_TRUE(IEProxy::IsProxyEnabled(platform));
}

TEST_F(IEProxyTest, ReadFailures) {
    // No switch stored: reading it fails with the registry's status; the server reads as empty.
    ExpectError([&] { IEProxy::IsProxyEnabled(platform); }, 2, "IEProxy.IsProxyEnabled");
    EXPECT_EQ(IEProxy::GetProxyServer(platform), "");

    machine.registry.PutString(RootKey::CurrentUser, kKey, "ProxyServer", "p:1");
    machine.registry.InjectFailure(Op::Query, RootKey::CurrentUser, kKey, "ProxyServer", 5);
    EXPECT_EQ(IEProxy::GetProxyServer(platform), "");
    EXPECT_EQ(IEProxy::GetProxyServer(platform), "p:1");
}

TEST_F(IEProxyTest, AFailedServerWriteLeavesTheSwitchAlone) {
    machine.registry.PutDword(RootKey::CurrentUser, kKey, "ProxyEnable", 0);
    machine.registry.InjectFailure(Op::Set, RootKey::CurrentUser, kKey, "ProxyServer", 5);
    ExpectError([&] { IEProxy::SetProxySettings(platform, true, "p", 80); }, 5,
                "IEProxy.SetProxySettings");
    EXPECT_EQ(machine.registry.GetDword(RootKey::CurrentUser, kKey, "ProxyEnable"), 0u);
    EXPECT_FALSE(Stored("ProxyServer"));

    machine.registry.InjectFailure(Op::Set, RootKey::CurrentUser, kKey, "ProxyEnable", 5);
    ExpectError([&] { IEProxy::SetProxySettings(platform, false, "", 0); }, 5,
                "IEProxy.SetProxySettings");
    EXPECT_EQ(machine.registry.GetDword(RootKey::CurrentUser, kKey, "ProxyEnable"), 0u);
}

}  // namespace
}  // namespace vexav6
