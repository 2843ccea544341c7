#include "ui/win32/frm_import_export_presets_window.h"

#include <commctrl.h>

#include "ui/win32/controls.h"
#include "ui/win32/layout.h"

namespace vexav6::ui::win32 {

namespace {

// Sizes in units; the list's column is 2700 twips wide.
constexpr int kClientWidth = 560;
constexpr int kClientHeight = 320;
constexpr int kMargin = 8;
constexpr int kListWidth = 196;
constexpr int kColumnWidth = 180;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 26;

}  // namespace

frmImportExportPresetsWindow::frmImportExportPresetsWindow(const Platform& platform,
                                                           std::string caption,
                                                           const PresetCollection& presets)
    : Dialog(platform), caption_(std::move(caption)), presets_(presets) {}

std::optional<PresetCollection> frmImportExportPresetsWindow::Chosen() const {
    if (!presenter_ || presenter_->DialogResult() != frmImportExportPresets::kOK) {
        return std::nullopt;
    }
    return presenter_->SelectedPresets();
}

BOOL frmImportExportPresetsWindow::OnInitDialog() {
    list_ = Add(WC_LISTVIEWW, "",
                LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP,
                kListId, WS_EX_CLIENTEDGE);
    listview::Prepare(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    listview::AddColumn(list_, 0, "Presets", Px(kColumnWidth));
    details_.Attach(
        Add(WC_LISTVIEWW, "",
            LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP,
            kDetailsId, WS_EX_CLIENTEDGE));
    listview::Prepare(details_.Handle(), LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    Add(L"BUTTON", "Select &All", BS_PUSHBUTTON | WS_TABSTOP, kSelectAllId);
    Add(L"BUTTON", "Select &None", BS_PUSHBUTTON | WS_TABSTOP, kSelectNoneId);
    Add(L"BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK);
    Add(L"BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL);
    SizeClient(kClientWidth, kClientHeight);
    Layout();

    presenter_ = std::make_unique<frmImportExportPresets>(*this);
    presenter_->SetCaption(caption_);
    presenter_->SetPresets(presets_);
    listview::Select(list_, listview::Count(list_) > 0 ? 0 : -1);
    ::SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list_), TRUE);
    return FALSE;
}

void frmImportExportPresetsWindow::Layout() {
    if (list_ == nullptr) {
        return;
    }
    Box area = Box::Client(Handle()).Inset(Px(kMargin));
    Box buttons = area.TakeBottom(Px(kButtonHeight), Px(kMargin));
    MoveBatch batch(6);
    batch.Move(Control(kSelectAllId), buttons.TakeLeft(Px(kButtonWidth), Px(kMargin)));
    batch.Move(Control(kSelectNoneId), buttons.TakeLeft(Px(kButtonWidth)));
    batch.Move(Control(IDCANCEL), buttons.TakeRight(Px(kButtonWidth), Px(kMargin)));
    batch.Move(Control(IDOK), buttons.TakeRight(Px(kButtonWidth)));
    batch.Move(list_, area.TakeLeft(Px(kListWidth), Px(kMargin)));
    batch.Move(details_.Handle(), area);
}

// --- frmImportExportPresetsView ---

void frmImportExportPresetsWindow::SetCaption(const std::string& caption) {
    SetText(Handle(), caption);
}

void frmImportExportPresetsWindow::ShowPresets(const std::vector<std::string>& names) {
    ++updating_;
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < names.size(); ++i) {
        listview::InsertItem(list_, static_cast<int>(i), names[i]);
    }
    --updating_;
}

void frmImportExportPresetsWindow::SetChecked(int row, bool checked) {
    ++updating_;
    listview::SetChecked(list_, row, checked);
    --updating_;
}

void frmImportExportPresetsWindow::SetOKEnabled(bool enabled) {
    ::EnableWindow(Control(IDOK), enabled ? TRUE : FALSE);
}

void frmImportExportPresetsWindow::Close() {
    End(presenter_ ? presenter_->DialogResult() : IDCANCEL);
}

// --- Messages ---

void frmImportExportPresetsWindow::OnCommand(int id, int /*code*/, HWND /*control*/) {
    if (!presenter_) {
        return;
    }
    switch (id) {
        case kSelectAllId:
            presenter_->SelectAll();
            break;
        case kSelectNoneId:
            presenter_->SelectNone();
            break;
        case IDOK:
            presenter_->OK();
            break;
        case IDCANCEL:
            presenter_->Cancel();
            break;
        default:
            break;
    }
}

INT_PTR frmImportExportPresetsWindow::HandleMessage(UINT message, WPARAM /*wParam*/,
                                                    LPARAM lParam) {
    if (message != WM_NOTIFY || !presenter_) {
        return FALSE;
    }
    const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.hwndFrom != list_ || header.code != LVN_ITEMCHANGED || updating_ > 0) {
        return FALSE;
    }
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uChanged & LVIF_STATE) == 0 || change.iItem < 0) {
        return FALSE;
    }
    const UINT oldImage = (change.uOldState & LVIS_STATEIMAGEMASK) >> 12;
    const UINT newImage = (change.uNewState & LVIS_STATEIMAGEMASK) >> 12;
    if (oldImage != 0 && newImage != 0 && oldImage != newImage) {
        presenter_->OnItemChecked(change.iItem, newImage == 2);
    }
    if ((change.uNewState & LVIS_SELECTED) != 0 && (change.uOldState & LVIS_SELECTED) == 0) {
        presenter_->OnItemClicked(change.iItem);
    }
    return FALSE;
}

}  // namespace vexav6::ui::win32
