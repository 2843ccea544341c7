#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ui_api.h"

namespace vexav6::ui {

// The open and save file dialogs as the windows use them: a Boolean answer and the chosen path.
// A dialog that fails (rather than being cancelled) raises its extended error: 12290 with
// "Invalid file name.", any other code with a generic text; the source is
// "CommonDialog.ShowOpen" or "CommonDialog.ShowSave".
class CommonDialog {
  public:
    // The dialog's own failure code for an invalid file name (FNERR_INVALIDFILENAME).
    static constexpr uint32_t kInvalidFileName = 12290;

    explicit CommonDialog(platform::UiApi& ui) : ui_(ui) {}

    // True when the user chose a file; FilePath then names it, otherwise it is empty.
    bool ShowOpen(std::string_view title, std::string_view filter, std::string_view initialFolder,
                  std::string_view defaultExtension, uint32_t flags);
    bool ShowSave(std::string_view title, std::string_view filter, std::string_view initialFolder,
                  std::string_view defaultExtension, uint32_t flags);

    const std::string& FilePath() const { return filePath_; }

  private:
    bool Take(const platform::FileDialogAnswer& answer, const char* source);

    platform::UiApi& ui_;
    std::string filePath_;
};

}  // namespace vexav6::ui
