#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace vexav6::platform {

enum class RootKey : uint32_t { ClassesRoot, CurrentUser, LocalMachine, Users };

namespace regtype {
inline constexpr uint32_t kNone = 0;
inline constexpr uint32_t kSz = 1;
inline constexpr uint32_t kExpandSz = 2;
inline constexpr uint32_t kBinary = 3;
inline constexpr uint32_t kDword = 4;
inline constexpr uint32_t kMultiSz = 7;
inline constexpr uint32_t kQword = 11;
}  // namespace regtype

namespace access {
inline constexpr uint32_t kKeyRead = 0x20019;
inline constexpr uint32_t kKeyWrite = 0x20006;
inline constexpr uint32_t kKeyReadWrite = 0x2001F;  // KEY_READ | KEY_WRITE
inline constexpr uint32_t kKeyAllAccess = 0xF003F;
}  // namespace access

// An open key; 0 is no key.
using KeyHandle = uint64_t;

struct KeyInfo {
    uint32_t subKeys = 0;
    uint32_t maxSubKeyLength = 0;  // characters, without the terminator
    uint32_t values = 0;
    uint32_t maxValueNameLength = 0;  // characters, without the terminator
    uint32_t maxValueLength = 0;      // bytes
};

// The registry, shaped like the Win32 registry functions so the program's registry layer can follow
// them step by step. Every call answers a Win32 status code. Names and string data are UTF-8 here;
// the Windows back-end converts them to and from UTF-16 at the call, so string data sizes count
// UTF-8 bytes, and string data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) that is not empty and does not
// end in a zero byte is stored with one appended, as the system's 8-bit RegSetValueEx does. Binary
// and number values pass unchanged.
class RegistryApi {
  public:
    virtual ~RegistryApi() = default;

    // RegOpenKeyEx / RegCreateKeyEx (creating missing parents); path relative to the root, "\"
    // between components. An empty path opens the root itself.
    virtual Status OpenKey(RootKey root, std::string_view path, uint32_t access,
                           KeyHandle& key) = 0;
    virtual Status CreateKey(RootKey root, std::string_view path, uint32_t access,
                             KeyHandle& key) = 0;
    virtual Status CloseKey(KeyHandle key) = 0;

    // RegQueryValueEx. `size` holds the capacity of `data` on entry and the value's size on return.
    // With no buffer (`data` null) the size is reported with status 0; a buffer that is too small
    // gets status 234 (more data) and the needed size. `type` may be null.
    virtual Status QueryValue(KeyHandle key, std::string_view name, uint32_t* type, uint8_t* data,
                              uint32_t* size) = 0;
    virtual Status SetValue(KeyHandle key, std::string_view name, uint32_t type,
                            const uint8_t* data, uint32_t size) = 0;
    virtual Status DeleteValue(KeyHandle key, std::string_view name) = 0;

    // RegDeleteKey: deletes the subkey `name` of `parent`; the subkey must have no subkeys of its
    // own.
    virtual Status DeleteKey(KeyHandle parent, std::string_view name) = 0;

    virtual Status QueryInfoKey(KeyHandle key, KeyInfo& info) = 0;

    // RegEnumValue / RegEnumKeyEx. `capacity` is the name buffer's size in characters including
    // room for the terminator; a longer name gets 234 (more data). Past the last index: 259.
    // `type` may be null.
    virtual Status EnumValue(KeyHandle key, uint32_t index, uint32_t capacity, std::string& name,
                             uint32_t* type) = 0;
    virtual Status EnumKey(KeyHandle key, uint32_t index, uint32_t capacity, std::string& name) = 0;

    // FormatMessage from the system message table in the default language, as the system returns
    // it (normally ending in CR LF); the empty text when the system has no message for the code.
    virtual std::string SystemMessage(Status code) = 0;
};

}  // namespace vexav6::platform
