// The program's table of Win32 status numbers (platform/status.h) against the SDK's ERROR_*
// values: a number written wrong there fails the Windows build here, so the simulated machine and
// the real one cannot answer different numbers for the same status.
#include "platform/status.h"
#include "platform/win32/windows_include.h"

// After the gate to <windows.h>.
#include <setupapi.h>

namespace vexav6::win32 {
namespace {

namespace status = platform::status;

static_assert(status::kSuccess == ERROR_SUCCESS);
static_assert(status::kInvalidFunction == ERROR_INVALID_FUNCTION);
static_assert(status::kFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(status::kPathNotFound == ERROR_PATH_NOT_FOUND);
static_assert(status::kAccessDenied == ERROR_ACCESS_DENIED);
static_assert(status::kInvalidHandle == ERROR_INVALID_HANDLE);
static_assert(status::kNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY);
static_assert(status::kInvalidData == ERROR_INVALID_DATA);
static_assert(status::kOutOfMemory == ERROR_OUTOFMEMORY);
static_assert(status::kGenFailure == ERROR_GEN_FAILURE);
static_assert(status::kNotSupported == ERROR_NOT_SUPPORTED);
static_assert(status::kDevNotExist == ERROR_DEV_NOT_EXIST);
static_assert(status::kFileExists == ERROR_FILE_EXISTS);
static_assert(status::kInvalidParameter == ERROR_INVALID_PARAMETER);
static_assert(status::kBufferOverflow == ERROR_BUFFER_OVERFLOW);
static_assert(status::kCallNotImplemented == ERROR_CALL_NOT_IMPLEMENTED);
static_assert(status::kSemTimeout == ERROR_SEM_TIMEOUT);
static_assert(status::kInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER);
static_assert(status::kInvalidName == ERROR_INVALID_NAME);
static_assert(status::kProcNotFound == ERROR_PROC_NOT_FOUND);
static_assert(status::kBadArguments == ERROR_BAD_ARGUMENTS);
static_assert(status::kAlreadyExists == ERROR_ALREADY_EXISTS);
static_assert(status::kNoData == ERROR_NO_DATA);
static_assert(status::kMoreData == ERROR_MORE_DATA);
static_assert(status::kNoMoreItems == ERROR_NO_MORE_ITEMS);
static_assert(status::kKeyDeleted == ERROR_KEY_DELETED);
static_assert(status::kNotFound == ERROR_NOT_FOUND);
static_assert(status::kDupDomainName == ERROR_DUP_DOMAINNAME);
static_assert(status::kInvalidUserBuffer == ERROR_INVALID_USER_BUFFER);
static_assert(status::kObjectAlreadyExists == ERROR_OBJECT_ALREADY_EXISTS);
static_assert(status::kInvalidRegProperty == ERROR_INVALID_REG_PROPERTY);
static_assert(status::kNoSuchDevInst == ERROR_NO_SUCH_DEVINST);

}  // namespace
}  // namespace vexav6::win32
