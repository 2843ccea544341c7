#ifdef _WIN32

#include "platform/win32/win32_ip_helper.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/ip_helper_include.h"
#include "platform/win32/wine_host.h"

// What only the Windows back-end does; what both back-ends do is checked by
// ip_helper_contract_test.cpp. Nothing is added, removed or released.
namespace vexav6::win32 {
namespace {

namespace status = platform::status;
using platform::af::kUnspec;

uint32_t UnusedInterfaceIndex(Win32IpHelper& ip) {
    std::vector<platform::UnicastRow> rows;
    EXPECT_EQ(ip.GetUnicastIpAddressTable(kUnspec, rows), status::kSuccess);
    uint32_t highest = 0;
    for (const auto& row : rows) {
        highest = std::max(highest, row.ifIndex);
    }
    return highest + 1000;
}

TEST(Win32IpHelper, UnderWineTheStubbedRowCallsAreRefusedInsteadOfEndingTheProcess) {
    if (!RunningUnderWine()) {
        GTEST_SKIP() << "on Windows these calls would change the machine";
    }
    // A stub that Wine exports answers ERROR_CALL_NOT_IMPLEMENTED; a Wine that does not export
    // the call at all answers ERROR_PROC_NOT_FOUND, as Windows would.
    Win32IpHelper ip;
    const auto refused = ::testing::AnyOf(platform::Status{ERROR_CALL_NOT_IMPLEMENTED},
                                          platform::Status{ERROR_PROC_NOT_FOUND});
    EXPECT_THAT(ip.CreateUnicastIpAddressEntry(platform::UnicastRow{}), refused);
    EXPECT_THAT(ip.DeleteIpForwardEntry2(platform::ForwardRow2{}), refused);
    // The Vista calls Wine does implement are used.
    uint64_t luid = 0;
    EXPECT_EQ(ip.ConvertInterfaceIndexToLuid(1, luid), status::kSuccess);
}

TEST(Win32IpHelper, ReleaseAndRenewRefuseNamesTheSystemCannotHold) {
    Win32IpHelper ip;
    platform::IpAdapterIndexMap adapter;
    adapter.index = UnusedInterfaceIndex(ip);
    adapter.name = u"\\DEVICE\\TCPIP_{" + std::u16string(200, u'F') + u"}";
    EXPECT_EQ(ip.IpReleaseAddress(adapter), status::kInvalidParameter);
    EXPECT_EQ(ip.IpRenewAddress(adapter), status::kInvalidParameter);

    // A name that fits reaches the system, which knows no such adapter.
    adapter.name = u"\\DEVICE\\TCPIP_{00000000-DEAD-BEEF-0000-000000000000}";
    EXPECT_NE(ip.IpReleaseAddress(adapter), status::kSuccess);
    EXPECT_NE(ip.IpRenewAddress(adapter), status::kSuccess);
    EXPECT_NE(ip.DeleteIPAddress(0x7FFFFFF0), status::kSuccess);
}

}  // namespace
}  // namespace vexav6::win32

#endif  // _WIN32
