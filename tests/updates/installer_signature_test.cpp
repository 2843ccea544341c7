// The signature check of the real Windows back-end (run under Wine).
#ifdef _WIN32

#include "platform/win32/windows_include.h"

#include <wincrypt.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

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

// The release's installer, signed by ./package, passes the check the update check makes before it
// starts a download, once the signing root is trusted; a byte changed after signing fails it. The
// installer tests (tests/installer) run this with VEXAV6_SIGNED_INSTALLER and
// VEXAV6_SIGNING_ROOT (a DER certificate) naming the files they made, on a Wine prefix of their
// own, whose trusted roots it changes.
TEST(InstallerSignatureTest, TheReleaseInstallerVerifiesOnceItsRootIsTrusted) {
    const char* installer = std::getenv("VEXAV6_SIGNED_INSTALLER");
    const char* root = std::getenv("VEXAV6_SIGNING_ROOT");
    if (installer == nullptr || root == nullptr) {
        GTEST_SKIP() << "run by tests/installer/installer_test.sh";
    }
    // Wine does not insist that the chain ends at a trusted root (Windows does), so the file is not
    // checked before the root is added.
    win32::Win32System system;
    const std::string der = ReadFileBytes(root);
    HCERTSTORE store = ::CertOpenSystemStoreW(0, L"ROOT");
    ASSERT_NE(store, nullptr);
    const BOOL added = ::CertAddEncodedCertificateToStore(
        store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
        static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    ::CertCloseStore(store, 0);
    ASSERT_TRUE(added);
    EXPECT_EQ(system.VerifyFileSignature(installer), 0);

    TempDir dir;
    std::string bytes = ReadFileBytes(installer);
    bytes[bytes.size() / 3] ^= 0x01;  // in the compressed files, which the signature covers
    const std::string tampered = dir.File("setup.exe");
    WriteFileBytes(tampered, bytes);
    EXPECT_NE(system.VerifyFileSignature(tampered), 0);
}

}  // namespace
}  // namespace vexav6::testing

#endif
