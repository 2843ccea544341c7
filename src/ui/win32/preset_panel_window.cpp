#include "ui/win32/preset_panel_window.h"

#include <commctrl.h>

#include "ui/win32/controls.h"

namespace vexav6::ui::win32 {

void PresetPanelWindow::CreateControls() {
    group_ = Add(L"BUTTON", "Network Connection Presets", BS_GROUPBOX);
    list_ = Add(WC_LISTVIEWW, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                kListId, WS_EX_CLIENTEDGE);
    listview::Prepare(list_, LVS_EX_FULLROWSELECT);
    listview::AddColumn(list_, 0, "Presets", Scaler(Handle())(180));
}

void PresetPanelWindow::LayoutControls(Box client, const Scaler& px) {
    {
        MoveBatch batch(2);
        batch.Move(group_, client);
        Box inside = client.Inset(px(10), 0);
        inside.TakeTop(px(22));
        inside.TakeBottom(px(10));
        batch.Move(list_, inside.TakeLeft(std::min(inside.Width(), px(220))));
    }
    // The one column fills the list once it has its size (no stray header end beside it).
    ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE_USEHEADER);
}

void PresetPanelWindow::SetCaption(const std::string& caption) {
    UpdateText(group_, caption);
}

void PresetPanelWindow::ShowPresets(const std::vector<std::string>& names, int selected) {
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < names.size(); ++i) {
        listview::InsertItem(list_, static_cast<int>(i), names[i]);
    }
    listview::Select(list_, selected);
}

}  // namespace vexav6::ui::win32
