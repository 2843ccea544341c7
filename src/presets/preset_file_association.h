#pragma once

#include <string>
#include <string_view>
#include <vector>

// What associates preset files (".kpf") with the program: default values of keys under
// HKEY_CLASSES_ROOT. The program's own association writes these, and the installer writes the same
// (a test of the installed release compares them), so the two never disagree.
namespace vexav6::PresetFileAssociation {

struct KeyDefault {
    std::string key;    // below HKEY_CLASSES_ROOT
    std::string value;  // its default value

    bool operator==(const KeyDefault&) const = default;
};

// The program identifier: "Vexav" + major + "." + minor version ("Vexav6.0").
std::string ProgramIdentifier();

// In the order they are written: ".kpf" names the program identifier; the identifier's key names
// the file type ("Korvaldine Preset File"); its "DefaultIcon" is the program's first icon
// (executable + ",0"); its "shell\open\command" opens the file with the program:
// "<executable>" -o "%1". The path Windows puts for %1 is quoted, so that it stays one argument
// whatever it holds (blanks, dashes); the command line drops the quotes of the -o argument.
std::vector<KeyDefault> Keys(std::string_view executablePath);

}  // namespace vexav6::PresetFileAssociation
