#include "platform/http_errors.h"

#include "base/text.h"

namespace vexav6::platform::httperr {

std::string HttpErrorText(int32_t number) {
    switch (number) {
        case kTimeout:
            return "The operation timed out";
        case kInternalError:
            return "An internal error occurred in the HTTP services";
        case kInvalidUrl:
            return "The URL is invalid";
        case kUnrecognizedScheme:
            return "The URL does not use a recognized protocol";
        case kNameNotResolved:
            return "The server name or address could not be resolved";
        case kOperationCancelled:
            return "The operation was canceled";
        case kIncorrectHandleState:
            return "The requested operation cannot be carried out because the handle supplied is "
                   "not in the correct state";
        case kCannotConnect:
            return "A connection with the server could not be established";
        case kConnectionError:
            return "The connection with the server was terminated abnormally";
        case kRedirectFailed:
            return "The redirection failed";
        case kInvalidServerResponse:
            return "The server returned an invalid or unrecognized response";
        case kSecureFailure:
            return "A security error occurred";
        default:
            return "HTTP request error " + std::to_string(number);
    }
}

int32_t CheckRequestUrl(std::string_view url) {
    size_t hostStart = 0;
    if (text::StartsWithIgnoreCase(url, "http://")) {
        hostStart = 7;
    } else if (text::StartsWithIgnoreCase(url, "https://")) {
        hostStart = 8;
    } else {
        return kUnrecognizedScheme;
    }
    const std::string_view rest = url.substr(hostStart);
    const size_t hostEnd = rest.find_first_of(":/?#");
    return (hostEnd == 0 || rest.empty()) ? kInvalidUrl : 0;
}

}  // namespace vexav6::platform::httperr
