#include "ui/preset_panel.h"

#include <optional>
#include <utility>

#include "presets/preset_support.h"
#include "system/path.h"

namespace vexav6::ui {

PresetPanel::PresetPanel(const Platform& platform) : platform_(platform) {}

void PresetPanel::AttachView(PresetPanelView* view) {
    view_ = view;
    if (view_ != nullptr) {
        view_->SetCaption(caption_);
        RefreshList("");
    }
}

void PresetPanel::RefreshList(const std::string& selectedPresetName) {
    std::vector<std::string> names;
    int selected = -1;
    for (const std::shared_ptr<Preset>& preset : presets_) {
        if (preset->PresetName() == selectedPresetName) {
            selected = static_cast<int>(names.size());
        }
        names.push_back(preset->PresetName());
    }
    if (view_ != nullptr) {
        view_->ShowPresets(names, selected);
    }
}

void PresetPanel::SetAdapter(std::shared_ptr<AdapterInfo> adapter, const NICVendor* vendors) {
    adapter_ = std::move(adapter);
    vendors_ = vendors;
    UpdateCaption();
}

void PresetPanel::UpdateCaption() {
    caption_ = "Network Connection Presets";
    if (adapter_) {
        // The best score wins; among equal scores the first preset.
        int32_t best = 0;
        const Preset* inForce = nullptr;
        for (const std::shared_ptr<Preset>& preset : presets_) {
            int32_t score = 0;
            try {
                score = preset->IsThisSet(*adapter_);
            } catch (...) {
                score = 0;  // a preset that cannot be compared is not in force
            }
            if (score > best) {
                best = score;
                inForce = preset.get();
            }
        }
        caption_ += " (" + Path::GetFileName(presetFile_) + ") [" +
                    (inForce != nullptr ? inForce->PresetName() : std::string("No Match")) + "]";
    }
    if (view_ != nullptr) {
        view_->SetCaption(caption_);
    }
}

void PresetPanel::LoadPreset(const std::string& presetFile, bool refreshName) {
    std::optional<PresetCollection> read = PresetSupport::ReadPresetFile(presetFile);
    presetFile_ = presetFile;
    presets_ = read ? std::move(*read) : PresetCollection();
    modified_ = false;
    RefreshList("");
    if (refreshName) {
        UpdateCaption();
    }
}

void PresetPanel::SavePreset(bool throwError) {
    if (presetFile_.empty() || !modified_) {
        return;
    }
    if (PresetSupport::SavePresetFile(presetFile_, presets_, throwError)) {
        modified_ = false;
    }
}

void PresetPanel::SavePresetAs(const std::string& presetFile) {
    PresetSupport::SavePresetFile(presetFile, presets_, true);
    presetFile_ = presetFile;
    modified_ = false;
    UpdateCaption();
}

}  // namespace vexav6::ui
