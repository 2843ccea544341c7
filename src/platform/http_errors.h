#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The error numbers an HttpRequest reports through onError, the WinHTTP codes on every back-end, so
// that users see the same number for the same failure whichever build they run.
namespace vexav6::platform::httperr {

inline constexpr int32_t kTimeout = 12002;  // the operation timed out
inline constexpr int32_t kInternalError = 12004;
inline constexpr int32_t kInvalidUrl = 12005;
inline constexpr int32_t kUnrecognizedScheme = 12006;
inline constexpr int32_t kNameNotResolved = 12007;
inline constexpr int32_t kOperationCancelled = 12017;
inline constexpr int32_t kIncorrectHandleState = 12019;  // e.g. a request already in flight
inline constexpr int32_t kCannotConnect = 12029;
inline constexpr int32_t kConnectionError = 12030;  // closed or reset, body cut short
inline constexpr int32_t kRedirectFailed = 12156;
inline constexpr int32_t kInvalidServerResponse = 12152;
inline constexpr int32_t kSecureFailure = 12175;

// The English text of one of the numbers above; "HTTP request error N" for any other.
std::string HttpErrorText(int32_t number);

// Whether a request can be opened for this address: 0 for an http:// or https:// address with a
// host, kUnrecognizedScheme for any other scheme, kInvalidUrl when the host is missing.
int32_t CheckRequestUrl(std::string_view url);

}  // namespace vexav6::platform::httperr
