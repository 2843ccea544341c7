#include <string>
#include <utility>

#include "platform/http_errors.h"
#include "platform/sim/sim_registry.h"

namespace vexav6::sim {
namespace {

namespace status = platform::status;
namespace httperr = platform::httperr;

// The texts of the English system message table for the codes the simulated machine answers.
const std::pair<platform::Status, const char*> kMessages[] = {
    {status::kInvalidFunction, "Incorrect function."},
    {status::kFileNotFound, "The system cannot find the file specified."},
    {status::kPathNotFound, "The system cannot find the path specified."},
    {status::kAccessDenied, "Access is denied."},
    {status::kInvalidHandle, "The handle is invalid."},
    {status::kNotEnoughMemory,
     "Not enough memory resources are available to process this command."},
    {status::kInvalidData, "The data is invalid."},
    {status::kOutOfMemory, "Not enough memory resources are available to complete this operation."},
    {status::kGenFailure, "A device attached to the system is not functioning."},
    {status::kNotSupported, "The request is not supported."},
    {status::kDevNotExist, "The specified network resource or device is no longer available."},
    {status::kFileExists, "The file exists."},
    {status::kInvalidParameter, "The parameter is incorrect."},
    {status::kBufferOverflow, "The file name is too long."},
    {status::kCallNotImplemented, "This function is not supported on this system."},
    {status::kSemTimeout, "The semaphore timeout period has expired."},
    {status::kInsufficientBuffer, "The data area passed to a system call is too small."},
    {status::kInvalidName, "The filename, directory name, or volume label syntax is incorrect."},
    {status::kProcNotFound, "The specified procedure could not be found."},
    {status::kBadArguments, "One or more arguments are not correct."},
    {status::kAlreadyExists, "Cannot create a file when that file already exists."},
    {status::kNoData, "The pipe is being closed."},
    {status::kMoreData, "More data is available."},
    {status::kNoMoreItems, "No more data is available."},
    {status::kKeyDeleted,
     "Illegal operation attempted on a registry key that has been marked for deletion."},
    {status::kNotFound, "Element not found."},
    {status::kDupDomainName,
     "The workgroup or domain name is already in use by another computer on the network."},
    {status::kInvalidUserBuffer,
     "The supplied user buffer is not valid for the requested operation."},
    {status::kObjectAlreadyExists, "The object already exists."},
    {httperr::kTimeout, "The operation timed out"},
    {httperr::kInvalidUrl, "The URL is invalid"},
    {httperr::kNameNotResolved, "The server name or address could not be resolved"},
    {httperr::kCannotConnect, "A connection with the server could not be established"},
    {httperr::kConnectionError, "The connection with the server was terminated abnormally"},
    {httperr::kInvalidServerResponse, "The server returned an invalid or unrecognized response"},
};

}  // namespace

std::string SystemMessageText(platform::Status code) {
    for (const auto& [number, text] : kMessages) {
        if (number == code) {
            return std::string(text) + "\r\n";
        }
    }
    return "";
}

}  // namespace vexav6::sim
