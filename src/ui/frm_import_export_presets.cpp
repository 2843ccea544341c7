#include "ui/frm_import_export_presets.h"

#include <algorithm>

namespace vexav6::ui {

void frmImportExportPresets::SetPresets(const PresetCollection& presets) {
    presets_.assign(presets.begin(), presets.end());
    checked_.assign(presets_.size(), false);
    std::vector<std::string> names;
    for (const auto& preset : presets_) {
        names.push_back(preset->PresetName());
    }
    view_.ShowPresets(names);
    if (!presets_.empty()) {
        presets_.front()->PopulateList(view_.Details());
    }
    UpdateOK();
}

void frmImportExportPresets::OnItemClicked(int row) {
    if (row >= 0 && row < static_cast<int>(presets_.size())) {
        presets_[static_cast<size_t>(row)]->PopulateList(view_.Details());
    }
}

void frmImportExportPresets::OnItemChecked(int row, bool checked) {
    if (row >= 0 && row < static_cast<int>(checked_.size())) {
        checked_[static_cast<size_t>(row)] = checked;
        UpdateOK();
    }
}

void frmImportExportPresets::CheckAll(bool checked) {
    for (size_t row = 0; row < checked_.size(); ++row) {
        checked_[row] = checked;
        view_.SetChecked(static_cast<int>(row), checked);
    }
    UpdateOK();
}

void frmImportExportPresets::UpdateOK() {
    // Taking nothing is not a choice: OK waits for a checked preset.
    view_.SetOKEnabled(std::find(checked_.begin(), checked_.end(), true) != checked_.end());
}

void frmImportExportPresets::OK() {
    if (std::find(checked_.begin(), checked_.end(), true) == checked_.end()) {
        return;
    }
    result_ = kOK;
    view_.Close();
}

void frmImportExportPresets::Cancel() {
    result_ = kCancelled;
    view_.Close();
}

PresetCollection frmImportExportPresets::SelectedPresets() const {
    PresetCollection selected;
    if (result_ != kOK) {
        return selected;
    }
    for (size_t row = 0; row < presets_.size(); ++row) {
        if (checked_[row]) {
            selected.Add(presets_[row], presets_[row]->PresetName());
        }
    }
    return selected;
}

}  // namespace vexav6::ui
