#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adapters/adapter_info.h"
#include "base/error.h"
#include "platform/platform.h"
#include "presets/preset.h"
#include "presets/property_list.h"
#include "system/path.h"

namespace vexav6 {
class NICVendor;
}

namespace vexav6::ui {

// What the preset panel's window shows.
class PresetPanelView {
  public:
    virtual ~PresetPanelView() = default;
    // The frame caption: the file and the preset in force on the adapter.
    virtual void SetCaption(const std::string& caption) = 0;
    // The preset list, rebuilt: the names in collection order and the selected one (-1: none).
    virtual void ShowPresets(const std::vector<std::string>& names, int selected) = 0;
    // The rows the user selected, ascending; and the one of them the user works on (the row
    // with the focus when it is selected, else the first selected), -1 when none is.
    virtual std::vector<int> SelectedRows() const = 0;
    virtual int CurrentRow() const = 0;
    // "Edit", "Delete" and "Apply".
    virtual void SetButtonsEnabled(bool edit, bool deleteAndApply) = 0;
    // The details list, which a preset describes itself into.
    virtual PropertyList& Details() = 0;
};

// Opens the preset editor modally: captioned `caption`, loaded with `toEdit` (none: a new
// preset). Answers the saved preset, or none when the user cancelled.
using PresetEditorHost =
    std::function<std::shared_ptr<Preset>(const std::string& caption, const Preset* toEdit)>;

// The preset panel: the presets of the open preset file, the preset in force on the selected
// adapter, the commands on them (new, edit, rename, delete, apply), and the file's opening and
// saving.
class PresetPanel {
  public:
    explicit PresetPanel(const Platform& platform);

    void AttachView(PresetPanelView* view);
    // The disk the preset files are written to (the system's unless a test gives another).
    void SetDisk(Path::Disk& disk) { disk_ = &disk; }
    // The editor behind "New" and "Edit", given by the owner.
    PresetEditorHost showEditor;

    // Rebuilds the list, selecting the preset of that name (exact comparison).
    void RefreshList(const std::string& selectedPresetName);
    // Remembers the adapter (none: no adapter is selected) and the vendor database, and names the
    // preset in force in the frame caption.
    void SetAdapter(std::shared_ptr<AdapterInfo> adapter, const NICVendor* vendors);
    // Makes the file the current one and its presets the panel's. A file that cannot be read (it
    // is missing, damaged or cut short) raises an error naming it and leaves the panel and the
    // file as they were. With `refreshName` the frame caption is worked out again for the
    // remembered adapter.
    void LoadPreset(const std::string& presetFile, bool refreshName);
    // Writes the presets to the current file when there is one and they changed; with
    // `throwError` a failure is raised, otherwise it is dropped. A failed write leaves the
    // previous file whole and the presets marked as changed.
    void SavePreset(bool throwError);
    // Writes the presets to the path (errors raised) and, once they are there, makes it the
    // current file.
    void SavePresetAs(const std::string& presetFile);
    // Adds copies of the presets, each under a name no other preset has, and marks the presets
    // changed.
    void ImportPresets(const PresetCollection& presets);
    // The panel's presets, for the export picker.
    PresetCollection ExportPresets() const { return presets_; }

    // The user's commands.
    void New();
    void Edit();
    // Renames the preset of the row in place (the list's own label edit): the name is trimmed,
    // made unique among the other presets, and the preset keeps its place. False when the name
    // was refused (empty), and the row keeps its old name.
    bool Rename(int row, const std::string& newName);
    void Delete();
    void Apply();
    // The list's selection changed: the details show the current preset.
    void OnSelectionChanged();

    const std::string& PresetFile() const { return presetFile_; }
    const PresetCollection& Presets() const { return presets_; }
    bool Modified() const { return modified_; }
    const std::string& Caption() const { return caption_; }

    // Events, answered by the main window.
    std::function<void()> onPresetApplying;
    std::function<void(const std::string& presetName)> onPresetApplied;
    std::function<void(const Error& error)> onPresetError;

  private:
    void UpdateCaption();
    void UpdateButtons();
    // The preset of a row, or none.
    std::shared_ptr<Preset> PresetAt(int row) const;
    std::shared_ptr<Preset> CurrentPreset() const;
    // Adds the preset under a name no preset has: its own, or that name followed by " (1)",
    // " (2)" ...; marks the presets changed.
    void AddUnique(const std::shared_ptr<Preset>& preset);
    // An apply's error with where it stopped and the connection's state after it added.
    Error ApplyError(const Error& error, std::optional<ApplyStep> step, bool deviceWasReset) const;
    void RunCommand(const std::function<void()>& command);

    Platform platform_;
    PresetPanelView* view_ = nullptr;
    Path::Disk* disk_ = &Path::SystemDisk();
    std::string presetFile_;
    PresetCollection presets_;
    bool modified_ = false;
    std::shared_ptr<AdapterInfo> adapter_;
    const NICVendor* vendors_ = nullptr;
    std::string caption_ = "Network Connection Presets";
};

// The name a preset named `name` gets among `presets`: itself when no other preset has it
// (letter case aside), otherwise the first free of "name (1)", "name (2)" ...
std::string UniquePresetName(const PresetCollection& presets, const std::string& name);

}  // namespace vexav6::ui
