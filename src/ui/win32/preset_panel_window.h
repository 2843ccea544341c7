#pragma once

#include "ui/preset_panel.h"
#include "ui/win32/list_view_property_list.h"
#include "ui/win32/panel.h"

namespace vexav6::ui::win32 {

// The preset panel on the third tab: the frame naming the file and the preset in force, the list
// of the file's presets (several can be selected; F2 renames one in place), the details of the
// current preset, and the buttons "New", "Edit", "Delete" and "Apply".
class PresetPanelWindow : public Panel, public PresetPanelView {
  public:
    static constexpr int kListId = 1300;
    static constexpr int kDetailsId = 1301;
    static constexpr int kNewId = 1302;
    static constexpr int kEditId = 1303;
    static constexpr int kDeleteId = 1304;
    static constexpr int kApplyId = 1305;

    using Panel::Panel;

    // The presenter the user's actions go to.
    void SetPresenter(PresetPanel* presenter) { presenter_ = presenter; }

    // PresetPanelView
    void SetCaption(const std::string& caption) override;
    void ShowPresets(const std::vector<std::string>& names, int selected) override;
    std::vector<int> SelectedRows() const override;
    int CurrentRow() const override;
    void SetButtonsEnabled(bool edit, bool deleteAndApply) override;
    PropertyList& Details() override { return details_; }

    HWND Group() const { return group_; }
    HWND List() const { return list_; }
    HWND DetailsList() const { return details_.Handle(); }
    HWND Button(int id) const { return ::GetDlgItem(Handle(), id); }

  protected:
    const wchar_t* ClassName() const override { return L"Vexav6.PresetPanel"; }
    void CreateControls() override;
    void LayoutControls(Box client, const Scaler& px) override;
    void OnCommand(int id, int code, HWND control) override;
    LRESULT OnNotify(const NMHDR& header) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // Posted by the end of a label edit: the rename runs once the list's edit box is gone.
    static constexpr UINT kRenameMessage = WM_APP + 0x31;

    HWND group_ = nullptr;
    HWND list_ = nullptr;
    ListViewPropertyList details_;
    PresetPanel* presenter_ = nullptr;
    // Counts the presenter's own changes of the list, whose notifications are not the user's.
    int updating_ = 0;
    // The name typed in a label edit, until the posted rename takes it.
    std::string renamed_;
};

}  // namespace vexav6::ui::win32
