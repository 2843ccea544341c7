// The association the release's installer wrote, against the one the program writes itself (run
// under Wine by the installer tests).
#ifdef _WIN32

#include "platform/win32/windows_include.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/win32/wide_text.h"
#include "presets/preset_file_association.h"

namespace vexav6::testing {
namespace {

// The default value of a key under HKEY_CLASSES_ROOT, or "<missing>".
std::string ClassesDefault(const std::string& key) {
    wchar_t buffer[1024];
    DWORD size = sizeof(buffer);
    const LSTATUS status = ::RegGetValueW(HKEY_CLASSES_ROOT, win32::Widen(key).c_str(), nullptr,
                                          RRF_RT_REG_SZ, nullptr, buffer, &size);
    return status == ERROR_SUCCESS ? win32::Narrow(buffer) : "<missing>";
}

// tests/installer/installer_test.sh runs this after a silent install, with
// VEXAV6_INSTALLED_PROGRAM naming the installed program.
TEST(InstalledAssociationTest, TheInstallerWroteWhatTheProgramWrites) {
    const char* program = std::getenv("VEXAV6_INSTALLED_PROGRAM");
    if (program == nullptr) {
        GTEST_SKIP() << "run by tests/installer/installer_test.sh";
    }
    for (const auto& [key, value] : PresetFileAssociation::Keys(program)) {
        EXPECT_EQ(ClassesDefault(key), value) << "HKEY_CLASSES_ROOT\\" << key;
    }
}

}  // namespace
}  // namespace vexav6::testing

#endif
