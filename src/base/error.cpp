#include "base/error.h"

#include <new>
#include <utility>

namespace vexav6 {

Error::Error(int32_t number, std::string source, std::string description)
    : number_(number),
      source_(source.empty() ? std::string(kProjectName) : std::move(source)),
      description_(std::move(description)) {}

Error Error::InvalidProcedureCall(std::string source) {
    return Error(errnum::kInvalidProcedureCall, std::move(source),
                 RuntimeErrorText(errnum::kInvalidProcedureCall));
}

Error Error::Overflow(std::string source) {
    return Error(errnum::kOverflow, std::move(source), RuntimeErrorText(errnum::kOverflow));
}

Error Error::SubscriptOutOfRange(std::string source) {
    return Error(errnum::kSubscriptOutOfRange, std::move(source),
                 RuntimeErrorText(errnum::kSubscriptOutOfRange));
}

Error Error::TypeMismatch(std::string source) {
    return Error(errnum::kTypeMismatch, std::move(source), RuntimeErrorText(errnum::kTypeMismatch));
}

Error Error::FileError(int32_t number, std::string source, std::string_view path) {
    return Error(number, std::move(source), RuntimeErrorText(number) + ": " + std::string(path));
}

std::string RuntimeErrorText(int32_t number) {
    switch (number) {
        case errnum::kInvalidProcedureCall:
            return "Invalid procedure call or argument";
        case errnum::kOverflow:
            return "Overflow";
        case errnum::kOutOfMemory:
            return "Out of memory";
        case errnum::kSubscriptOutOfRange:
            return "Subscript out of range";
        case errnum::kTypeMismatch:
            return "Type mismatch";
        case errnum::kFileNotFound:
            return "File not found";
        case errnum::kFileAlreadyOpen:
            return "File already open";
        case errnum::kDiskFull:
            return "Disk full";
        case errnum::kInputPastEndOfFile:
            return "Input past end of file";
        case errnum::kPermissionDenied:
            return "Permission denied";
        case errnum::kPathFileAccessError:
            return "Path/File access error";
        case errnum::kPathNotFound:
            return "Path not found";
        case errnum::kDuplicateKey:
            return "This key is already associated with an element of this collection";
        default:
            return "Application-defined or object-defined error";
    }
}

Error CurrentExceptionAsError() {
    try {
        throw;
    } catch (const Error& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return Error(errnum::kOutOfMemory, "", RuntimeErrorText(errnum::kOutOfMemory));
    } catch (const std::exception& e) {
        return Error(errnum::kInvalidProcedureCall, "", e.what());
    } catch (...) {
        return Error(errnum::kInvalidProcedureCall, "",
                     RuntimeErrorText(errnum::kInvalidProcedureCall));
    }
}

}  // namespace vexav6
