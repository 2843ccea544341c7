#pragma once

#include <string>
#include <vector>

#include "presets/preset.h"
#include "presets/property_list.h"

namespace vexav6::ui {

// What the preset picker's window shows.
class frmImportExportPresetsView {
  public:
    virtual ~frmImportExportPresetsView() = default;

    virtual void SetCaption(const std::string& caption) = 0;
    // The list with a check box per preset, in collection order, none checked.
    virtual void ShowPresets(const std::vector<std::string>& names) = 0;
    virtual void SetChecked(int row, bool checked) = 0;
    virtual void SetOKEnabled(bool enabled) = 0;
    // The details list, which a preset describes itself into.
    virtual PropertyList& Details() = 0;
    // Closes the window; the presenter holds the result.
    virtual void Close() = 0;
};

// The preset picker of Import and Export ("Import Presets", "Export Presets"): the user checks
// the presets to take.
class frmImportExportPresets {
  public:
    static constexpr int kOK = 1;
    static constexpr int kCancelled = 2;

    explicit frmImportExportPresets(frmImportExportPresetsView& view) : view_(view) {}

    void SetCaption(const std::string& caption) { view_.SetCaption(caption); }
    // Lists the presets and shows the first one's details.
    void SetPresets(const PresetCollection& presets);

    // The user's actions.
    void OnItemClicked(int row);
    void OnItemChecked(int row, bool checked);
    void SelectAll() { CheckAll(true); }
    void SelectNone() { CheckAll(false); }
    void OK();
    void Cancel();

    // 0 while open, then kOK or kCancelled.
    int DialogResult() const { return result_; }
    // The checked presets in list order (empty when none is).
    PresetCollection SelectedPresets() const;

  private:
    void CheckAll(bool checked);
    void UpdateOK();

    frmImportExportPresetsView& view_;
    std::vector<std::shared_ptr<Preset>> presets_;
    std::vector<bool> checked_;
    int result_ = 0;
};

}  // namespace vexav6::ui
