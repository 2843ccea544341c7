// The signature check of the real Windows back-end (run under Wine).
#ifdef _WIN32

#include <gtest/gtest.h>

#include "platform/win32/win32_system.h"
#include "support/temp_dir.h"

namespace vexav6::testing {
namespace {

TEST(InstallerSignatureTest, UnsignedOrMissingFilesDoNotVerify) {
    TempDir dir;
    // A program file without any signature, as a tampered download would be.
    const std::string unsigned_ = dir.File("setup.exe");
    WriteFileBytes(unsigned_, std::string("MZ", 2) + std::string(510, '\0'));
    win32::Win32System system;
    EXPECT_NE(system.VerifyFileSignature(unsigned_), 0);
    EXPECT_NE(system.VerifyFileSignature(dir.File("missing.exe")), 0);
}

}  // namespace
}  // namespace vexav6::testing

#endif
