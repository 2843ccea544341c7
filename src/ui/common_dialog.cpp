#include "ui/common_dialog.h"

#include "base/error.h"

namespace vexav6::ui {

namespace {

platform::FileDialogRequest Request(std::string_view title, std::string_view filter,
                                    std::string_view initialFolder,
                                    std::string_view defaultExtension, uint32_t flags) {
    return platform::FileDialogRequest{std::string(title), std::string(filter),
                                       std::string(initialFolder), std::string(defaultExtension),
                                       flags};
}

}  // namespace

bool CommonDialog::ShowOpen(std::string_view title, std::string_view filter,
                            std::string_view initialFolder, std::string_view defaultExtension,
                            uint32_t flags) {
    return Take(ui_.ShowOpenDialog(Request(title, filter, initialFolder, defaultExtension, flags)),
                "CommonDialog.ShowOpen");
}

bool CommonDialog::ShowSave(std::string_view title, std::string_view filter,
                            std::string_view initialFolder, std::string_view defaultExtension,
                            uint32_t flags) {
    return Take(ui_.ShowSaveDialog(Request(title, filter, initialFolder, defaultExtension, flags)),
                "CommonDialog.ShowSave");
}

bool CommonDialog::Take(const platform::FileDialogAnswer& answer, const char* source) {
    filePath_.clear();
    if (answer.chosen) {
        // The path ends at its first NUL, as the dialog's buffer does.
        filePath_ = answer.filePath.substr(0, answer.filePath.find('\0'));
        return true;
    }
    if (answer.extendedError == kInvalidFileName) {
        throw Error(static_cast<int32_t>(answer.extendedError), source, "Invalid file name.");
    }
    if (answer.extendedError != 0) {
        // The system gives these codes no text; say at least what failed.
        throw Error(static_cast<int32_t>(answer.extendedError), source,
                    "The file dialog could not be shown.");
    }
    return false;
}

}  // namespace vexav6::ui
