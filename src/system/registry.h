#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "platform/platform.h"

// The program's only road to the registry. Every operation opens its key, does one thing and
// closes the key again (also when it fails), and answers the Win32 status code of the first step
// that failed, 0 on success. Out-arguments are left as they were when an operation fails, so a
// caller can tell an absent value (status 2) from an empty one. Raising errors is left to the
// callers, mostly through ThrowIfFailed (system/system_error.h).
//
// Key paths are relative to the root, "\" between components, no leading or trailing "\". Value
// types are the Win32 codes of platform::regtype; the writes store the type they are given and the
// reads do not check it. Names and string data are UTF-8.
namespace vexav6::Registry {

using platform::RootKey;
using platform::Status;

// The value's data as text less its last byte (the stored terminator). A multi-string therefore
// comes back with its inner zero separators and one closing zero, for the caller to split. A value
// of zero length leaves `value` as it was and answers 0.
Status ReadStringValue(const Platform& platform, RootKey root, std::string_view keyPath,
                       std::string_view valueName, std::string& value);

// Writes the text's bytes as they stand with the given type; no terminator is added here (a
// caller writing a multi-string passes its separators and closing zeros inside the text). The
// registry itself stores string data that does not end in a zero with one appended; empty text
// stays a value of zero length.
Status WriteStringValue(const Platform& platform, RootKey root, std::string_view keyPath,
                        std::string_view valueName, std::string_view value, uint32_t valueType);

Status DeleteValue(const Platform& platform, RootKey root, std::string_view keyPath,
                   std::string_view valueName);

// Creates the key and any missing parents, or opens it when present, and closes it at once.
Status CreateKey(const Platform& platform, RootKey root, std::string_view keyPath);

// Writes the bytes with the given type; no bytes write a value of zero length.
Status WriteBinaryValue(const Platform& platform, RootKey root, std::string_view keyPath,
                        std::string_view valueName, std::span<const uint8_t> bytes,
                        uint32_t valueType);

// Writes `byteCount` bytes from `data` (a REG_DWORD from a 32-bit integer, for instance). `data`
// may be null when `byteCount` is 0.
Status WriteRawValue(const Platform& platform, RootKey root, std::string_view keyPath,
                     std::string_view valueName, const void* data, uint32_t byteCount,
                     uint32_t valueType);

// The value's bytes and its type; a value of zero length gives an empty `bytes`.
Status ReadBinaryValue(const Platform& platform, RootKey root, std::string_view keyPath,
                       std::string_view valueName, std::vector<uint8_t>& bytes,
                       uint32_t& valueType);

// Copies the value into the caller's buffer of `byteCount` bytes; a value longer than the buffer
// answers 234 (more data) and leaves the buffer alone. The size the registry reports back is not
// handed on: a shorter value fills only the start of the buffer.
Status ReadRawValue(const Platform& platform, RootKey root, std::string_view keyPath,
                    std::string_view valueName, void* data, uint32_t byteCount,
                    uint32_t& valueType);

// The names and types of all values of the key, in the registry's order. A key without values
// answers 0 and leaves both lists as they were.
Status EnumValues(const Platform& platform, RootKey root, std::string_view keyPath,
                  std::vector<std::string>& names, std::vector<uint32_t>& types);

// Deletes the key with all its values and subkeys. A path that does not name a key below another
// one (no "\", or an empty component at either end) raises error 1 "Invalid key path." with source
// "DeleteKeyTree"; every other failure is answered as a status, and what was deleted before it
// stays deleted.
Status DeleteKeyTree(const Platform& platform, RootKey root, std::string_view keyPath);

// The system's text for a status code without its closing line break: "" for 0, "Unknown,
// function call failed." when the system has no text for the code.
std::string GetSystemErrorMessage(const Platform& platform, Status code);

}  // namespace vexav6::Registry
