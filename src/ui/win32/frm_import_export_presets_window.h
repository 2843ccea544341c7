#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ui/frm_import_export_presets.h"
#include "ui/win32/dialog.h"
#include "ui/win32/list_view_property_list.h"

namespace vexav6::ui::win32 {

// The preset picker of Import and Export: the presets with check boxes, the details of the one
// clicked, "Select All", "Select None", "OK" and "Cancel".
class frmImportExportPresetsWindow : public Dialog, public frmImportExportPresetsView {
  public:
    static constexpr int kListId = 1500;
    static constexpr int kDetailsId = 1501;
    static constexpr int kSelectAllId = 1502;
    static constexpr int kSelectNoneId = 1503;

    frmImportExportPresetsWindow(const Platform& platform, std::string caption,
                                 const PresetCollection& presets);

    // After Run: the checked presets, or none when the user cancelled.
    std::optional<PresetCollection> Chosen() const;

    // frmImportExportPresetsView
    void SetCaption(const std::string& caption) override;
    void ShowPresets(const std::vector<std::string>& names) override;
    void SetChecked(int row, bool checked) override;
    void SetOKEnabled(bool enabled) override;
    PropertyList& Details() override { return details_; }
    void Close() override;

  protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Layout() override;

  private:
    std::string caption_;
    const PresetCollection& presets_;
    std::unique_ptr<frmImportExportPresets> presenter_;
    HWND list_ = nullptr;
    ListViewPropertyList details_;
    // Counts the window's own changes of the check boxes, which are not the user's.
    int updating_ = 0;
};

}  // namespace vexav6::ui::win32
