#include "ui/win32/preset_panel_window.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/wide_text.h"
#include "ui/win32/controls.h"

namespace vexav6::ui::win32 {

namespace {

// Sizes in units. The preset list's column is 2600 twips wide; the details list's columns are
// given by the preset (2000 and 2900 twips).
constexpr int kPresetColumnWidth = 173;
constexpr int kListWidth = 200;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 26;
constexpr int kGap = 8;

}  // namespace

void PresetPanelWindow::CreateControls() {
    group_ = Add(L"BUTTON", "Network Connection Presets", BS_GROUPBOX);
    list_ = Add(WC_LISTVIEWW, "",
                LVS_REPORT | LVS_SHOWSELALWAYS | LVS_EDITLABELS | WS_TABSTOP | WS_GROUP, kListId,
                WS_EX_CLIENTEDGE);
    listview::Prepare(list_, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    listview::AddColumn(list_, 0, "Presets", Scaler(Handle())(kPresetColumnWidth));
    details_.Attach(
        Add(WC_LISTVIEWW, "",
            LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP,
            kDetailsId, WS_EX_CLIENTEDGE));
    listview::Prepare(details_.Handle(), LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    Add(L"BUTTON", "&New", BS_PUSHBUTTON | WS_TABSTOP, kNewId);
    Add(L"BUTTON", "&Edit", BS_PUSHBUTTON | WS_TABSTOP, kEditId);
    Add(L"BUTTON", "&Delete", BS_PUSHBUTTON | WS_TABSTOP, kDeleteId);
    Add(L"BUTTON", "&Apply", BS_PUSHBUTTON | WS_TABSTOP, kApplyId);
}

void PresetPanelWindow::LayoutControls(Box client, const Scaler& px) {
    {
        MoveBatch batch(7);
        batch.Move(group_, client);
        Box inside = client.Inset(px(10), 0);
        inside.TakeTop(px(22));  // the group box caption
        inside.TakeBottom(px(10));
        // The buttons in a row under the lists, on the right.
        Box buttons = inside.TakeBottom(px(kButtonHeight), px(kGap));
        for (const int id : {kApplyId, kDeleteId, kEditId, kNewId}) {
            batch.Move(Button(id), buttons.TakeRight(px(kButtonWidth), px(kGap)));
        }
        batch.Move(list_, inside.TakeLeft(std::min(inside.Width() / 2, px(kListWidth)), px(kGap)));
        batch.Move(details_.Handle(), inside);
    }
    // The one column fills the list once it has its size (no stray header end beside it).
    ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE_USEHEADER);
}

// --- PresetPanelView ---

void PresetPanelWindow::SetCaption(const std::string& caption) {
    UpdateText(group_, caption);
}

void PresetPanelWindow::ShowPresets(const std::vector<std::string>& names, int selected) {
    ++updating_;
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < names.size(); ++i) {
        listview::InsertItem(list_, static_cast<int>(i), names[i]);
    }
    listview::Select(list_, selected);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
    --updating_;
}

std::vector<int> PresetPanelWindow::SelectedRows() const {
    std::vector<int> rows;
    for (int row = -1;;) {
        row = static_cast<int>(
            ::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
        if (row < 0) {
            return rows;
        }
        rows.push_back(row);
    }
}

int PresetPanelWindow::CurrentRow() const {
    // The row the user last clicked, when it is still selected; else the first selected.
    const int focused = static_cast<int>(
        ::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (focused >= 0 &&
        (::SendMessageW(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(focused), LVIS_SELECTED) &
         LVIS_SELECTED) != 0) {
        return focused;
    }
    return listview::Selected(list_);
}

void PresetPanelWindow::SetButtonsEnabled(bool edit, bool deleteAndApply) {
    ::EnableWindow(Button(kEditId), edit ? TRUE : FALSE);
    ::EnableWindow(Button(kDeleteId), deleteAndApply ? TRUE : FALSE);
    ::EnableWindow(Button(kApplyId), deleteAndApply ? TRUE : FALSE);
}

// --- The user's actions ---

void PresetPanelWindow::OnCommand(int id, int code, HWND /*control*/) {
    if (presenter_ == nullptr || code != BN_CLICKED) {
        return;
    }
    switch (id) {
        case kNewId:
            presenter_->New();
            break;
        case kEditId:
            presenter_->Edit();
            break;
        case kDeleteId:
            presenter_->Delete();
            break;
        case kApplyId:
            presenter_->Apply();
            break;
        default:
            break;
    }
}

LRESULT PresetPanelWindow::OnNotify(const NMHDR& header) {
    if (presenter_ == nullptr) {
        return 0;
    }
    const bool inList = header.hwndFrom == list_;
    if ((inList || header.hwndFrom == details_.Handle()) && header.code == NM_DBLCLK) {
        presenter_->Edit();
        return 0;
    }
    if (!inList) {
        return 0;
    }
    switch (header.code) {
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if (updating_ == 0 && (change.uChanged & LVIF_STATE) != 0 &&
                ((change.uOldState ^ change.uNewState) & (LVIS_SELECTED | LVIS_FOCUSED)) != 0) {
                presenter_->OnSelectionChanged();
            }
            return 0;
        }
        case LVN_KEYDOWN: {
            const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
            if (key.wVKey == VK_DELETE) {
                presenter_->Delete();
            } else if (key.wVKey == VK_F2 && CurrentRow() >= 0) {
                ::SendMessageW(list_, LVM_EDITLABELW, static_cast<WPARAM>(CurrentRow()), 0);
            }
            return 0;
        }
        case LVN_ENDLABELEDITW: {
            const auto& edit = reinterpret_cast<const NMLVDISPINFOW&>(header);
            if (edit.item.pszText != nullptr) {
                renamed_ = vexav6::win32::Narrow(edit.item.pszText);
                ::PostMessageW(Handle(), kRenameMessage, static_cast<WPARAM>(edit.item.iItem), 0);
            }
            return FALSE;  // the list shows the name the presenter gives back
        }
        default:
            return 0;
    }
}

LRESULT PresetPanelWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRenameMessage) {
        if (presenter_ != nullptr) {
            presenter_->Rename(static_cast<int>(wParam), renamed_);
        }
        return 0;
    }
    return Panel::HandleMessage(message, wParam, lParam);
}

}  // namespace vexav6::ui::win32
