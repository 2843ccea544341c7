#pragma once

#include <string>

#include "platform/platform.h"

// The association of preset files (.kpf) with the program, under HKEY_CLASSES_ROOT: the keys of
// PresetFileAssociation (".kpf" names the program identifier "Vexav6.0", whose key describes the
// file type, its icon and the command that opens a preset file), as the installer writes them too.
namespace vexav6::ui::FileAssociation {

// The source of the errors the association raises.
inline constexpr const char* kErrorSource = "FileAssociation";

// The question asked when the association is missing, and the news told after it was made.
std::string QuestionText();
std::string DoneText();

// Whether ".kpf" names this program's identifier now.
bool IsAssociated(const Platform& platform);
// Writes the association (for the program file `programFile`) and tells the user. A failed
// registry step raises its status with the source "FileAssociation" and the system's text.
void Associate(const Platform& platform, const std::string& programFile);
// With `ask` false, asks whether to associate when the association is missing or another program
// has it, and associates on Yes; with `ask` true, associates at once. Errors are shown with the
// program's error report, never raised.
void CheckFileAssociation(const Platform& platform, bool ask);

}  // namespace vexav6::ui::FileAssociation
