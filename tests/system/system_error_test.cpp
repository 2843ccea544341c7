#include "system/system_error.h"

#include <gtest/gtest.h>

#include "platform/sim/machine.h"

namespace vexav6 {
namespace {

namespace status = platform::status;

// Only a Win32 status code is taken for one: a call's TRUE (1, which would read as a failure) and
// a signed HRESULT are refused when the program is built.
template <class Code>
concept TakenAsStatus = requires(const Platform& platform, Code code) {
    ThrowIfFailed(platform, code, "");
};
static_assert(TakenAsStatus<platform::Status>);
static_assert(!TakenAsStatus<bool>);
static_assert(!TakenAsStatus<int32_t>);

TEST(SystemError, AFailedCallRaisesItsStatusWithTheSystemTextAndTheCallersSource) {
    sim::Machine machine;
    const Platform platform = machine.GetPlatform();
    EXPECT_NO_THROW(ThrowIfFailed(platform, status::kSuccess, "Unused"));
    try {
        ThrowIfFailed(platform, status::kAccessDenied, "IEProxy.SetProxySettings");
        ADD_FAILURE() << "no error raised";
    } catch (const Error& error) {
        EXPECT_EQ(error.Number(), 5);
        EXPECT_EQ(error.Source(), "IEProxy.SetProxySettings");
        EXPECT_EQ(error.Description(), "Access is denied.");
    }

    // The device installer answers FALSE and keeps the reason as its last error.
    machine.devices.InjectFailure(sim::SimDevices::Call::GetClassDevs, status::kNotEnoughMemory);
    EXPECT_EQ(platform.devices.GetClassDevs(platform::Guid{}, platform::digcf::kPresent),
              platform::kInvalidDevInfoSet);
    try {
        ThrowLastDeviceError(platform, "GetNetworkAdapters");
    } catch (const Error& error) {
        EXPECT_EQ(error.Number(), 8);
        EXPECT_EQ(error.Source(), "GetNetworkAdapters");
        EXPECT_EQ(error.Description(),
                  "Not enough memory resources are available to process this command.");
    }
}

}  // namespace
}  // namespace vexav6
