#include "platform/registry_api.h"

#include "base/text.h"
#include "platform/root_key_names.h"

namespace vexav6::platform {

std::string_view RootKeyName(RootKey root) {
    switch (root) {
        case RootKey::ClassesRoot:
            return "HKEY_CLASSES_ROOT";
        case RootKey::CurrentUser:
            return "HKEY_CURRENT_USER";
        case RootKey::LocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case RootKey::Users:
            return "HKEY_USERS";
    }
    return "";
}

bool RootKeyFromName(std::string_view name, RootKey& root) {
    for (const RootKey candidate :
         {RootKey::ClassesRoot, RootKey::CurrentUser, RootKey::LocalMachine, RootKey::Users}) {
        if (text::EqualsIgnoreCase(name, RootKeyName(candidate))) {
            root = candidate;
            return true;
        }
    }
    return false;
}

}  // namespace vexav6::platform
