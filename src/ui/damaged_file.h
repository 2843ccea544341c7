#pragma once

#include <string>
#include <string_view>

#include "base/error.h"

namespace vexav6::ui {

// Moves a file the program could not read out of the way, so that the program can go on with a
// fresh one while the user keeps the old one: "vexav6.set" becomes "vexav6.set.damaged" (or
// "vexav6.set.damaged2" and so on when that name is taken). Answers the new path, or the empty
// text when the file could not be moved (it is then left as it was).
std::string KeepDamagedFileAside(std::string_view path);

// The load error of a file, with what became of the file added to its description: kept under
// its new name, and what the program does instead (`instead`, a sentence); or, when it could not
// be moved, that it was left untouched.
Error DamagedFileError(const Error& error, std::string_view keptAs, std::string_view instead);

}  // namespace vexav6::ui
