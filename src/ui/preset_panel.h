#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "adapters/adapter_info.h"
#include "base/error.h"
#include "platform/platform.h"
#include "presets/preset.h"

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
};

// The preset panel: the presets of the open preset file, the preset in force on the selected
// adapter, and the file's opening and saving.
class PresetPanel {
  public:
    explicit PresetPanel(const Platform& platform);

    void AttachView(PresetPanelView* view);

    // Rebuilds the list, selecting the preset of that name (exact comparison).
    void RefreshList(const std::string& selectedPresetName);
    // Remembers the adapter (none: no adapter is selected) and the vendor database, and names the
    // preset in force in the frame caption.
    void SetAdapter(std::shared_ptr<AdapterInfo> adapter, const NICVendor* vendors);
    // Makes the file the current one and its presets the panel's; errors (a missing or damaged
    // file) reach the caller and leave the panel as it was. With `refreshName` the frame caption
    // is worked out again for the remembered adapter.
    void LoadPreset(const std::string& presetFile, bool refreshName);
    // Writes the presets to the current file when there is one and they changed; with
    // `throwError` a failure is raised, otherwise it is dropped.
    void SavePreset(bool throwError);
    // Makes the path the current file and writes the presets there (errors raised).
    void SavePresetAs(const std::string& presetFile);

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

    Platform platform_;
    PresetPanelView* view_ = nullptr;
    std::string presetFile_;
    PresetCollection presets_;
    bool modified_ = false;
    std::shared_ptr<AdapterInfo> adapter_;
    const NICVendor* vendors_ = nullptr;
    std::string caption_ = "Network Connection Presets";
};

}  // namespace vexav6::ui
