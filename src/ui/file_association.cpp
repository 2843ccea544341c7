#include "ui/file_association.h"

#include <vector>

#include "base/app_info.h"
#include "base/error.h"
#include "presets/preset_file_association.h"
#include "startup/application.h"
#include "system/path.h"
#include "system/registry.h"
#include "system/system_error.h"

namespace vexav6::ui::FileAssociation {
namespace {

using platform::MessageBoxButtons;
using platform::MessageBoxIcon;
using platform::MessageBoxResult;
using platform::RootKey;
using platform::Status;

constexpr RootKey kRoot = RootKey::ClassesRoot;
constexpr Status kNotFound = platform::status::kFileNotFound;

// Deletes a key with everything below it. A key that is not there is already what the caller
// wants: the first association of all finds none of them.
void DeleteKey(const Platform& platform, const std::string& path) {
    Status result = 0;
    if (path.find('\\') != std::string::npos) {
        result = Registry::DeleteKeyTree(platform, kRoot, path);
    } else {
        // A key right under the root: empty it of subkeys, then delete it from the root.
        platform::KeyHandle key = 0;
        result = platform.registry.OpenKey(kRoot, path, platform::access::kKeyRead, key);
        if (result == platform::status::kSuccess) {
            std::vector<std::string> subkeys;
            std::string name;
            for (uint32_t index = 0;
                 platform.registry.EnumKey(key, index, 1024, name) == platform::status::kSuccess;
                 ++index) {
                subkeys.push_back(name);
            }
            platform.registry.CloseKey(key);
            for (const std::string& subkey : subkeys) {
                result = Registry::DeleteKeyTree(platform, kRoot, path + "\\" + subkey);
                if (result != kNotFound) {
                    ThrowIfFailed(platform, result, kErrorSource);
                }
            }
            platform::KeyHandle root = 0;
            result = platform.registry.OpenKey(kRoot, "", platform::access::kKeyWrite, root);
            if (result == platform::status::kSuccess) {
                result = platform.registry.DeleteKey(root, path);
                platform.registry.CloseKey(root);
            }
        }
    }
    if (result != kNotFound) {
        ThrowIfFailed(platform, result, kErrorSource);
    }
}

void WriteDefault(const Platform& platform, const std::string& path, const std::string& value) {
    ThrowIfFailed(platform, Registry::CreateKey(platform, kRoot, path), kErrorSource);
    ThrowIfFailed(
        platform,
        Registry::WriteStringValue(platform, kRoot, path, "", value, platform::regtype::kSz),
        kErrorSource);
}

}  // namespace

std::string QuestionText() {
    return std::string("The preset file (.kpf) is not currently associated with ") + app::kTitle +
           "\r\n\r\nDo you want to associate the preset file (.kpf) with " + app::kTitle + " now?";
}

std::string DoneText() {
    return std::string("Preset file (.kpf) was successfully associated with ") + app::kTitle + ".";
}

bool IsAssociated(const Platform& platform) {
    std::string value;
    return Registry::ReadStringValue(platform, kRoot, app::kPresetFileExtension, "", value) ==
               platform::status::kSuccess &&
           value == PresetFileAssociation::ProgramIdentifier();
}

void Associate(const Platform& platform, const std::string& programFile) {
    const std::string id = PresetFileAssociation::ProgramIdentifier();
    DeleteKey(platform, app::kPresetFileExtension);
    DeleteKey(platform, id + "\\shell\\open\\command");
    DeleteKey(platform, id + "\\DefaultIcon");
    for (const PresetFileAssociation::KeyDefault& key : PresetFileAssociation::Keys(programFile)) {
        WriteDefault(platform, key.key, key.value);
    }

    platform.ui.MessageBox(DoneText(), app::kTitle, MessageBoxButtons::Ok,
                           MessageBoxIcon::Information);
}

void CheckFileAssociation(const Platform& platform, bool ask) {
    try {
        if (!ask) {
            if (IsAssociated(platform)) {
                return;
            }
            if (platform.ui.MessageBox(QuestionText(), app::kTitle, MessageBoxButtons::YesNo,
                                       MessageBoxIcon::Question) != MessageBoxResult::Yes) {
                return;
            }
        }
        Associate(platform, Path::GetApplicationFile(platform));
    } catch (...) {
        Application::ReportError(platform, CurrentExceptionAsError());
    }
}

}  // namespace vexav6::ui::FileAssociation
