#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace vexav6 {

// The name an error reports as its source when it was raised without one.
inline constexpr const char* kProjectName = "Vexav6";

// Error numbers of the program's own checks and of the runtime failures the program reports the way
// its users know them from the original platform (the numbers and texts of the VB runtime).
namespace errnum {
inline constexpr int32_t kOwnCheck = 1;
inline constexpr int32_t kInvalidProcedureCall = 5;
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kOutOfMemory = 7;
inline constexpr int32_t kSubscriptOutOfRange = 9;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kFileNotFound = 53;
inline constexpr int32_t kFileAlreadyOpen = 55;
inline constexpr int32_t kInputPastEndOfFile = 62;
inline constexpr int32_t kDiskFull = 61;
inline constexpr int32_t kPermissionDenied = 70;
inline constexpr int32_t kPathFileAccessError = 75;
inline constexpr int32_t kPathNotFound = 76;
inline constexpr int32_t kDuplicateKey = 457;
}  // namespace errnum

// A raised error: number, source and description. Code throws it; the top of every command, event
// handler and start-up catches it and shows it with ReportError.
class Error : public std::exception {
  public:
    Error(int32_t number, std::string source, std::string description);

    int32_t Number() const { return number_; }
    // The source as raised: "Class.Member", a procedure name, or the project name when none was
    // given.
    const std::string& Source() const { return source_; }
    const std::string& Description() const { return description_; }

    const char* what() const noexcept override { return description_.c_str(); }

    // Runtime failures with their usual numbers and texts.
    static Error InvalidProcedureCall(std::string source = "");
    static Error Overflow(std::string source = "");
    static Error SubscriptOutOfRange(std::string source = "");
    static Error TypeMismatch(std::string source = "");
    // A failed file operation: the runtime's number and text, and the file it failed on
    // ("File not found: C:\Program Files\Vexav6\oui.db").
    static Error FileError(int32_t number, std::string source, std::string_view path);

  private:
    int32_t number_;
    std::string source_;
    std::string description_;
};

// The text the runtime gives for one of the errnum numbers ("Overflow", "Subscript out of
// range"...); "Application-defined or object-defined error" for any other number.
std::string RuntimeErrorText(int32_t number);

// Turns whatever a catch (...) caught into an Error: an Error stays as it is, std::bad_alloc
// becomes "Out of memory", any other exception an error 5 with its what() text. Call it inside a
// catch block.
Error CurrentExceptionAsError();

// Shows an error on behalf of the code that met it. The model never shows errors itself: whoever
// makes the object (the command line, the window) hands it the reporter that fits, and an object
// given none drops what it would have shown.
using ErrorReporter = std::function<void(const Error&)>;

}  // namespace vexav6
