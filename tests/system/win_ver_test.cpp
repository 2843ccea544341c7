#include "system/win_ver.h"

#include <gtest/gtest.h>

#include "platform/sim/machine.h"

namespace vexav6 {
namespace {

TEST(WinVer, TheNamedChecksAnswerAsTheVersionNumberComparesWithTheirThreshold) {
    struct Case {
        uint32_t major, minor;
        double number;
        bool windows2000, xp, vista;
    };
    const Case cases[] = {
        {4, 90, 4.9, false, false, false},  // Windows Me
        {5, 0, 5.0, true, false, false},   {5, 1, 5.1, true, true, false},
        {5, 2, 5.2, true, true, false},    {6, 0, 6.0, true, true, true},
        {6, 1, 6.1, true, true, true},     {10, 0, 10.0, true, true, true},
        {6, 10, 6.1, true, true, true},  // read as text: a minor version of 10 reads as 6.1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
        sim::Machine machine;
        machine.system.version.major = c.major;
        machine.system.version.minor = c.minor;
        const Platform platform = machine.GetPlatform();
        EXPECT_DOUBLE_EQ(WinVer::GetWindowsVersion(platform), c.number);
        EXPECT_EQ(WinVer::IsWindows2000OrLater(platform), c.windows2000);
        EXPECT_EQ(WinVer::IsXPOrLater(platform), c.xp);
        EXPECT_EQ(WinVer::IsVistaOrLater(platform), c.vista);
    }
}

}  // namespace
}  // namespace vexav6
