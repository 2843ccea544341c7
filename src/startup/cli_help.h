#pragma once

#include <string>

#include "platform/platform.h"

// The help of the command-line options: the text file "CLIHelp.txt" shipped beside the program,
// shown by the option help (and by the main window's help menu).
namespace vexav6::CLIHelp {

inline constexpr const char* kHelpFileName = "CLIHelp.txt";

// "Command Line Parameters Help - Korvaldine MAC Address Changer v6".
std::string Caption();

// What the help shows: the title with the major version, an empty line, then the whole file from
// the program folder, read as text in the system code page (CR LF line breaks as in the file).
// A file that cannot be read raises the read error.
std::string HelpText(const Platform& platform);

}  // namespace vexav6::CLIHelp
