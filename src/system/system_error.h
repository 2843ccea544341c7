#pragma once

#include <string>
#include <string_view>

#include "base/error.h"
#include "platform/platform.h"

// Turning a failed platform call into the error the program raises: the status as number, the
// system's text for it (Registry::GetSystemErrorMessage) as description, and the caller's source.
//
// The kinds of status stay apart. A Win32 status code (the LSTATUS of the registry, the DWORD of
// the IP Helper) goes to ThrowIfFailed; a call that answers FALSE and leaves its reason in the
// last error (the device installer) goes to ThrowLastDeviceError. An HRESULT is neither: its
// failures are negative numbers, and a success code need not be 0.
namespace vexav6 {

// The error for a failed call that answered `code`.
Error SystemError(const Platform& platform, platform::Status code, std::string_view source);

// Raises SystemError(code) unless `code` is 0 (success).
void ThrowIfFailed(const Platform& platform, platform::Status code, std::string_view source);
// A Boolean or a signed number is not a Win32 status: refused at compile time, so that a result
// of TRUE (1) or an HRESULT can never be taken for a status code.
void ThrowIfFailed(const Platform&, bool, std::string_view) = delete;
void ThrowIfFailed(const Platform&, int32_t, std::string_view) = delete;

// Raises SystemError with the device installer's last error, for a call of it that failed.
[[noreturn]] void ThrowLastDeviceError(const Platform& platform, std::string_view source);

}  // namespace vexav6
