#pragma once

#include <cstdint>

namespace vexav6::platform {

// A Win32 status code as the system returns it (LSTATUS, DWORD error codes): 0 is success.
// Kept apart from HRESULTs and from the program's own error numbers.
using Status = uint32_t;

namespace status {
// Every Win32 status the program or its simulated machine names, in one table: the back-ends
// answer with these, the core tests for them, and the simulated machine's message texts are keyed
// by them. The Windows back-end checks each against the SDK's ERROR_* value when it is built.
inline constexpr Status kSuccess = 0;
inline constexpr Status kInvalidFunction = 1;
inline constexpr Status kFileNotFound = 2;
inline constexpr Status kPathNotFound = 3;
inline constexpr Status kAccessDenied = 5;
inline constexpr Status kInvalidHandle = 6;
inline constexpr Status kNotEnoughMemory = 8;
inline constexpr Status kInvalidData = 13;
inline constexpr Status kOutOfMemory = 14;
inline constexpr Status kGenFailure = 31;
inline constexpr Status kNotSupported = 50;
inline constexpr Status kDevNotExist = 55;
inline constexpr Status kFileExists = 80;
inline constexpr Status kInvalidParameter = 87;
inline constexpr Status kBufferOverflow = 111;
// A call that exists but does nothing (Wine's stubs).
inline constexpr Status kCallNotImplemented = 120;
inline constexpr Status kSemTimeout = 121;
inline constexpr Status kInsufficientBuffer = 122;
inline constexpr Status kInvalidName = 123;
// A call the running Windows lacks: what looking it up in its module answers.
inline constexpr Status kProcNotFound = 127;
inline constexpr Status kBadArguments = 160;
inline constexpr Status kAlreadyExists = 183;
inline constexpr Status kNoData = 232;
inline constexpr Status kMoreData = 234;
inline constexpr Status kNoMoreItems = 259;
inline constexpr Status kKeyDeleted = 1018;
inline constexpr Status kNotFound = 1168;
inline constexpr Status kDupDomainName = 1221;
inline constexpr Status kInvalidUserBuffer = 1784;
inline constexpr Status kObjectAlreadyExists = 5010;
// SetupAPI codes (the 0xE0000200 family).
inline constexpr Status kInvalidRegProperty = 0xE0000209;
inline constexpr Status kNoSuchDevInst = 0xE000020B;
}  // namespace status

}  // namespace vexav6::platform
