#include <string>

#include "platform/sim/sim_registry.h"

namespace vexav6::sim {

std::string SystemMessageText(platform::Status code) {
    const char* text = nullptr;
    switch (code) {
        case 1:
            text = "Incorrect function.";
            break;
        case 2:
            text = "The system cannot find the file specified.";
            break;
        case 3:
            text = "The system cannot find the path specified.";
            break;
        case 5:
            text = "Access is denied.";
            break;
        case 6:
            text = "The handle is invalid.";
            break;
        case 8:
            text = "Not enough memory resources are available to process this command.";
            break;
        case 13:
            text = "The data is invalid.";
            break;
        case 14:
            text = "Not enough memory resources are available to complete this operation.";
            break;
        case 50:
            text = "The request is not supported.";
            break;
        case 55:
            text = "The specified network resource or device is no longer available.";
            break;
        case 80:
            text = "The file exists.";
            break;
        case 87:
            text = "The parameter is incorrect.";
            break;
        case 111:
            text = "The file name is too long.";
            break;
        case 122:
            text = "The data area passed to a system call is too small.";
            break;
        case 123:
            text = "The filename, directory name, or volume label syntax is incorrect.";
            break;
        case 120:
            text = "This function is not supported on this system.";
            break;
        case 121:
            text = "The semaphore timeout period has expired.";
            break;
        case 127:
            text = "The specified procedure could not be found.";
            break;
        case 160:
            text = "One or more arguments are not correct.";
            break;
        case 183:
            text = "Cannot create a file when that file already exists.";
            break;
        case 232:
            text = "The pipe is being closed.";
            break;
        case 234:
            text = "More data is available.";
            break;
        case 259:
            text = "No more data is available.";
            break;
        case 1018:
            text =
                "Illegal operation attempted on a registry key that has been marked for deletion.";
            break;
        case 1168:
            text = "Element not found.";
            break;
        case 1221:
            text =
                "The workgroup or domain name is already in use by another computer on the "
                "network.";
            break;
        case 1784:
            text = "The supplied user buffer is not valid for the requested operation.";
            break;
        case 5010:
            text = "The object already exists.";
            break;
        case 12002:
            text = "The operation timed out";
            break;
        case 12005:
            text = "The URL is invalid";
            break;
        case 12007:
            text = "The server name or address could not be resolved";
            break;
        case 12029:
            text = "A connection with the server could not be established";
            break;
        case 12030:
            text = "The connection with the server was terminated abnormally";
            break;
        case 12152:
            text = "The server returned an invalid or unrecognized response";
            break;
        default:
            return "";
    }
    return std::string(text) + "\r\n";
}

}  // namespace vexav6::sim
