#include "ui/preset_panel.h"

#include <utility>

#include "base/text.h"
#include "presets/preset_support.h"
#include "startup/application.h"
#include "system/path.h"

namespace vexav6::ui {

using platform::MessageBoxButtons;
using platform::MessageBoxIcon;
using platform::MessageBoxResult;

namespace {

// A file error with the file named in front of what went wrong.
Error FileError(const Error& error, const char* doing, const std::string& path) {
    return Error(error.Number(), error.Source(),
                 std::string(doing) + " the preset file \"" + path + "\": " + error.Description());
}

}  // namespace

std::string UniquePresetName(const PresetCollection& presets, const std::string& name) {
    std::string unique = name;
    // Always built from the name the preset came with, never from an earlier attempt.
    for (int n = 1; presets.Contains(unique); ++n) {
        unique = name + " (" + std::to_string(n) + ")";
    }
    return unique;
}

PresetPanel::PresetPanel(const Platform& platform) : platform_(platform) {}

void PresetPanel::AttachView(PresetPanelView* view) {
    view_ = view;
    if (view_ != nullptr) {
        view_->SetCaption(caption_);
        RefreshList("");
    }
}

// --- The list ---

void PresetPanel::RefreshList(const std::string& selectedPresetName) {
    std::vector<std::string> names;
    int selected = -1;
    for (const std::shared_ptr<Preset>& preset : presets_) {
        if (preset->PresetName() == selectedPresetName) {
            selected = static_cast<int>(names.size());
        }
        names.push_back(preset->PresetName());
    }
    if (view_ == nullptr) {
        return;
    }
    view_->ShowPresets(names, selected);
    // With no preset the details keep what they showed last.
    if (!presets_.Empty()) {
        presets_.Item(selected >= 0 ? selected + 1 : 1)->PopulateList(view_->Details());
    }
    UpdateButtons();
}

void PresetPanel::OnSelectionChanged() {
    if (view_ == nullptr) {
        return;
    }
    if (const std::shared_ptr<Preset> preset = CurrentPreset()) {
        preset->PopulateList(view_->Details());
    }
    UpdateButtons();
}

void PresetPanel::UpdateButtons() {
    if (view_ == nullptr) {
        return;
    }
    // Delete and Apply need a preset to act on: none without presets, and none while nothing is
    // selected (so that a click is never silently ignored).
    const bool selected = !presets_.Empty() && !view_->SelectedRows().empty();
    view_->SetButtonsEnabled(selected && CurrentPreset() != nullptr, selected);
}

std::shared_ptr<Preset> PresetPanel::PresetAt(int row) const {
    if (row < 0 || row >= presets_.Count()) {
        return nullptr;
    }
    return presets_.Item(row + 1);
}

std::shared_ptr<Preset> PresetPanel::CurrentPreset() const {
    return view_ != nullptr ? PresetAt(view_->CurrentRow()) : nullptr;
}

// --- The preset in force ---

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

// --- The file ---

void PresetPanel::LoadPreset(const std::string& presetFile, bool refreshName) {
    std::optional<PresetCollection> read;
    try {
        read = PresetSupport::ReadPresetFile(presetFile);
    } catch (const Error& error) {
        throw FileError(error, "Cannot read", presetFile);
    }
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
    try {
        if (PresetSupport::SavePresetFile(presetFile_, presets_, throwError, *disk_)) {
            modified_ = false;
        }
    } catch (const Error& error) {
        throw FileError(error, "Cannot save", presetFile_);
    }
}

void PresetPanel::SavePresetAs(const std::string& presetFile) {
    try {
        PresetSupport::SavePresetFile(presetFile, presets_, true, *disk_);
    } catch (const Error& error) {
        throw FileError(error, "Cannot save", presetFile);
    }
    presetFile_ = presetFile;
    modified_ = false;
    UpdateCaption();
}

// --- Changing the presets ---

void PresetPanel::AddUnique(const std::shared_ptr<Preset>& preset) {
    preset->SetPresetName(UniquePresetName(presets_, preset->PresetName()));
    presets_.Add(preset, preset->PresetName());
    modified_ = true;
}

void PresetPanel::ImportPresets(const PresetCollection& presets) {
    for (const std::shared_ptr<Preset>& preset : presets) {
        AddUnique(std::make_shared<Preset>(*preset));
    }
    modified_ = true;
    RefreshList("");
    UpdateCaption();
}

void PresetPanel::RunCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (...) {
        Application::ReportError(platform_, CurrentExceptionAsError());
    }
}

void PresetPanel::New() {
    RunCommand([this] {
        std::shared_ptr<Preset> created = showEditor("Create New Preset", nullptr);
        if (!created) {
            return;
        }
        AddUnique(created);
        RefreshList(created->PresetName());
        UpdateCaption();
    });
}

void PresetPanel::Edit() {
    RunCommand([this] {
        const std::shared_ptr<Preset> preset = CurrentPreset();
        if (!preset) {
            return;
        }
        std::shared_ptr<Preset> edited = showEditor("Edit Preset", preset.get());
        if (!edited) {
            return;
        }
        // The old entry goes first, so a preset saved under its own name keeps it.
        presets_.Remove(preset->PresetName());
        AddUnique(edited);
        RefreshList(edited->PresetName());
        UpdateCaption();
    });
}

bool PresetPanel::Rename(int row, const std::string& newName) {
    const std::shared_ptr<Preset> preset = PresetAt(row);
    const std::string name = text::Trim(newName);
    if (!preset || name.empty()) {
        return false;
    }
    if (name == preset->PresetName()) {
        return true;
    }
    // The collection is rebuilt in its order, with the renamed preset checked against the others.
    PresetCollection others;
    for (const std::shared_ptr<Preset>& other : presets_) {
        if (other != preset) {
            others.Add(other, other->PresetName());
        }
    }
    const std::string unique = UniquePresetName(others, name);
    PresetCollection renamed;
    for (const std::shared_ptr<Preset>& entry : presets_) {
        renamed.Add(entry, entry == preset ? unique : entry->PresetName());
    }
    preset->SetPresetName(unique);
    presets_ = std::move(renamed);
    modified_ = true;
    RefreshList(unique);
    UpdateCaption();
    return true;
}

void PresetPanel::Delete() {
    RunCommand([this] {
        if (view_ == nullptr || view_->SelectedRows().empty()) {
            return;
        }
        if (platform_.ui.MessageBox("Are you sure to delete selected presets?",
                                    "Delete Selected Presets", MessageBoxButtons::YesNo,
                                    MessageBoxIcon::Question) != MessageBoxResult::Yes) {
            return;
        }
        std::vector<std::string> names;
        for (const int row : view_->SelectedRows()) {
            if (const std::shared_ptr<Preset> preset = PresetAt(row)) {
                names.push_back(preset->PresetName());
            }
        }
        for (const std::string& name : names) {
            presets_.Remove(name);
        }
        modified_ = true;
        RefreshList("");
        UpdateCaption();
    });
}

// --- Applying ---

void PresetPanel::Apply() {
    const std::shared_ptr<Preset> preset = CurrentPreset();
    if (!preset || !adapter_) {
        return;
    }
    std::optional<ApplyStep> step;
    bool reset = false;
    try {
        if (onPresetApplying) {
            onPresetApplying();
        }
        preset->ApplyPreset(*adapter_, vendors_, true, [&](ApplyStep begun) {
            step = begun;
            reset = reset || begun == ApplyStep::DisableDevice;
        });
    } catch (...) {
        const Error error = ApplyError(CurrentExceptionAsError(), step, reset);
        if (onPresetError) {
            onPresetError(error);
        }
        UpdateCaption();
        return;
    }
    UpdateCaption();
    if (onPresetApplied) {
        onPresetApplied(preset->PresetName());
    }
}

Error PresetPanel::ApplyError(const Error& error, std::optional<ApplyStep> step,
                              bool deviceWasReset) const {
    if (!step) {
        return error;
    }
    std::string description =
        error.Description() + "\r\n\r\nThe preset stopped while " + ApplyStepText(*step) + ".";
    if (*step != ApplyStep::DisableDevice && *step != ApplyStep::ReadSettings) {
        description += " The settings before this step were applied.";
    }
    if (deviceWasReset) {
        bool enabled = false;
        try {
            enabled = adapter_->State();
        } catch (...) {
        }
        description += enabled ? " The network connection is enabled."
                               : " The network connection could not be enabled again.";
    }
    return Error(error.Number(), error.Source(), description);
}

}  // namespace vexav6::ui
