#include "startup/cli_help.h"

#include <vector>

#include "base/app_info.h"
#include "base/text.h"
#include "system/path.h"

namespace vexav6::CLIHelp {

std::string Caption() {
    return "Command Line Parameters Help - " + app::TitleWithMajorVersion();
}

std::string HelpText(const Platform& platform) {
    std::vector<uint8_t> bytes;
    Path::ReadAllBytes(Path::CombinePath(Path::GetProgramFolder(platform), kHelpFileName), bytes, 0,
                       0, true);
    const std::string fileText(bytes.begin(), bytes.end());
    return app::TitleWithMajorVersion() + "\r\n\r\n" + text::AnsiToUtf8(fileText);
}

}  // namespace vexav6::CLIHelp
