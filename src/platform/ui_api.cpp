#include "platform/ui_api.h"

namespace vexav6::platform {

void UiApi::ShowCommandLineMessage(std::string_view text, std::string_view title,
                                   MessageBoxIcon icon, bool silent) {
    const std::string consoleText = std::string(title) + "\r\n" + std::string(text) + "\r\n";
    if (icon == MessageBoxIcon::Critical) {
        WriteConsoleError(consoleText);
    } else if (!silent) {
        WriteConsoleText(consoleText);
    }
    if (!silent) {
        MessageBox(text, title, MessageBoxButtons::Ok, icon);
    }
}

}  // namespace vexav6::platform
