#include "ui/win32/ip_dialog_window.h"

#include <algorithm>

#include "base/error.h"
#include "ui/win32/controls.h"
#include "ui/win32/layout.h"

namespace vexav6::ui::win32 {

namespace {

// Sizes in units (1/96 inch).
constexpr int kMargin = 12;
constexpr int kLabelWidth = 104;
constexpr int kRowHeight = 23;
constexpr int kGap = 8;
constexpr int kCheckHeight = 20;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kAddressBoxWidth = 150;
constexpr int kSlashWidth = 14;
constexpr int kPrefixBoxWidth = 40;
constexpr int kWideTextWidth = 280;
constexpr int kNumberWidth = 60;
constexpr int kIconSize = 32;
constexpr int kQuestionWidth = 300;
constexpr int kQuestionHeight = 40;
constexpr int kMinContentWidth = 300;

IPDialogRow BoxRow(const char* label, DialogControl control, IPAddress& box,
                   bool withPrefix = false) {
    return IPDialogRow{label, control, &box, kAddressBoxWidth, withPrefix};
}

IPDialogRow TextRow(const char* label, DialogControl control, int width) {
    return IPDialogRow{label, control, nullptr, width, false};
}

}  // namespace

IPDialogWindow::IPDialogWindow(const Platform& platform, IPDialog& dialog,
                               std::vector<IPDialogRow> rows)
    : Dialog(platform), dialog_(dialog), rows_(std::move(rows)) {}

IPDialogWindow::~IPDialogWindow() {
    dialog_.AttachView(nullptr);
}

int IPDialogWindow::ContentWidth() const {
    int width = IsQuestion() ? kIconSize + kGap + kQuestionWidth : kMinContentWidth;
    for (const IPDialogRow& row : rows_) {
        const int input = row.width + (row.withPrefix ? kSlashWidth + kPrefixBoxWidth : 0);
        width = std::max(width, kLabelWidth + input);
    }
    return width;
}

int IPDialogWindow::ClientHeight() const {
    int height = kMargin + static_cast<int>(rows_.size()) * (kRowHeight + kGap);
    if (IsQuestion()) {
        height += kQuestionHeight + kGap;
    }
    if (dialog_.HasCheckBox()) {
        height += kCheckHeight + kGap;
    }
    return height + kGap + kButtonHeight + kMargin;
}

BOOL IPDialogWindow::OnInitDialog() {
    ::SetWindowTextW(Handle(), L"");
    SetText(Handle(), dialog_.Caption());
    if (IsQuestion()) {
        icon_ = Add(L"STATIC", "", SS_ICON, 0);
        ::SendMessageW(icon_, STM_SETICON,
                       reinterpret_cast<WPARAM>(::LoadIconW(nullptr, IDI_QUESTION)), 0);
        Add(L"STATIC", dialog_.TextOf(DialogControl::Question), SS_LEFT | SS_NOPREFIX, kQuestionId);
    }
    for (const IPDialogRow& row : rows_) {
        labels_.push_back(Add(L"STATIC", row.label, SS_LEFT | SS_CENTERIMAGE, 0));
        const int id = kFirstInputId + static_cast<int>(row.control);
        if (row.box != nullptr) {
            auto box = std::make_unique<IPAddressControl>(GetPlatform());
            box->Create(Handle(), id, Fonts().Normal(), *row.box);
            boxes_.push_back(std::move(box));
        } else {
            Add(L"EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, id, WS_EX_CLIENTEDGE);
        }
        if (row.withPrefix) {
            slash_ = Add(L"STATIC", "/", SS_CENTER | SS_CENTERIMAGE, 0);
            Add(L"EDIT", "", ES_AUTOHSCROLL | ES_CENTER | WS_TABSTOP,
                kFirstInputId + static_cast<int>(DialogControl::Prefix), WS_EX_CLIENTEDGE);
        }
    }
    if (dialog_.HasCheckBox()) {
        Add(L"BUTTON", dialog_.CheckBoxText(), BS_AUTOCHECKBOX | WS_TABSTOP, kCheckBoxId);
    }
    Add(L"BUTTON", IsQuestion() ? "&Yes" : "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK);
    Add(L"BUTTON", IsQuestion() ? "&No" : "Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL);
    SizeClient(2 * kMargin + ContentWidth(), ClientHeight());
    Layout();
    dialog_.AttachView(this);
    if (IsQuestion()) {
        ::SetFocus(Control(IDOK));
    }
    return FALSE;
}

void IPDialogWindow::Layout() {
    Box client = Box::Client(Handle()).Inset(Px(kMargin));
    MoveBatch batch(static_cast<int>(rows_.size()) * 4 + 6);
    if (IsQuestion()) {
        Box question = client.TakeTop(Px(kQuestionHeight), Px(kGap));
        batch.Move(icon_, question.TakeLeft(Px(kIconSize), Px(kGap)).CentredHeight(Px(kIconSize)));
        batch.Move(Control(kQuestionId), question);
    }
    for (size_t i = 0; i < rows_.size(); ++i) {
        const IPDialogRow& row = rows_[i];
        Box line = client.TakeTop(Px(kRowHeight), Px(kGap));
        batch.Move(labels_[i], line.TakeLeft(Px(kLabelWidth)));
        batch.Move(Input(row.control), line.TakeLeft(Px(row.width)));
        if (row.withPrefix) {
            batch.Move(slash_, line.TakeLeft(Px(kSlashWidth)));
            batch.Move(Input(DialogControl::Prefix), line.TakeLeft(Px(kPrefixBoxWidth)));
        }
    }
    if (dialog_.HasCheckBox()) {
        Box line = client.TakeTop(Px(kCheckHeight), Px(kGap));
        // Under the inputs, or under the question's text.
        line.TakeLeft(Px(rows_.empty() ? kIconSize + kGap : kLabelWidth));
        batch.Move(Control(kCheckBoxId), line);
    }
    Box buttons = client.TakeBottom(Px(kButtonHeight));
    batch.Move(Control(IDCANCEL), buttons.TakeRight(Px(kButtonWidth), Px(kGap)));
    batch.Move(Control(IDOK), buttons.TakeRight(Px(kButtonWidth)));
}

void IPDialogWindow::OnCommand(int id, int code, HWND control) {
    if (id == IDOK) {
        dialog_.Confirm();
        return;
    }
    if (id == IDCANCEL) {
        dialog_.Cancel();
        return;
    }
    if (id == kCheckBoxId && code == BN_CLICKED) {
        dialog_.CheckBoxClicked(::IsDlgButtonChecked(Handle(), kCheckBoxId) == BST_CHECKED);
        return;
    }
    const int input = id - kFirstInputId;
    if (input < 0 || input > static_cast<int>(DialogControl::Metric)) {
        return;
    }
    const auto which = static_cast<DialogControl>(input);
    if (code == EN_CHANGE && showing_ == 0) {
        dialog_.TextChanged(which, GetText(control));
    } else if (code == EN_SETFOCUS) {
        dialog_.GotFocus(which);
    }
}

// --- IPDialogView ---

void IPDialogWindow::SetControlText(DialogControl control, const std::string& text) {
    HWND window = nullptr;
    switch (control) {
        case DialogControl::Question:
            window = Control(kQuestionId);
            break;
        case DialogControl::CheckBox:
            window = Control(kCheckBoxId);
            break;
        default:
            window = Input(control);
            break;
    }
    if (window == nullptr) {
        return;
    }
    ++showing_;
    UpdateText(window, text);
    --showing_;
}

void IPDialogWindow::SetCheckBox(bool checked, bool enabled) {
    ::CheckDlgButton(Handle(), kCheckBoxId, checked ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(Control(kCheckBoxId), enabled ? TRUE : FALSE);
}

void IPDialogWindow::FocusControl(DialogControl control) {
    const HWND window = Input(control);
    ::SetFocus(window);
    const bool textBox = std::none_of(rows_.begin(), rows_.end(), [&](const IPDialogRow& row) {
        return row.control == control && row.box != nullptr;
    });
    if (textBox) {
        const int end = ::GetWindowTextLengthW(window);
        ::SendMessageW(window, EM_SETSEL, static_cast<WPARAM>(end), end);
    }
}

void IPDialogWindow::SelectAllText(DialogControl control) {
    ::PostMessageW(Input(control), EM_SETSEL, 0, -1);
}

void IPDialogWindow::Beep() {
    ::MessageBeep(MB_OK);
}

void IPDialogWindow::Close() {
    End(dialog_.DialogResult() == dialogresult::kConfirmed ? IDOK : IDCANCEL);
}

// --- The seven dialogs ---

frmAddIPv4Window::frmAddIPv4Window(const Platform& platform, frmAddIPv4& dialog)
    : IPDialogWindow(platform, dialog,
                     {BoxRow("&IP Address:", DialogControl::Address, dialog.Address()),
                      BoxRow("Subnet &Mask:", DialogControl::SubnetMask, dialog.SubnetMask(),
                             /*withPrefix=*/true)}) {}

frmAddGWv4Window::frmAddGWv4Window(const Platform& platform, frmAddGWv4& dialog)
    : IPDialogWindow(platform, dialog,
                     {BoxRow("&Gateway:", DialogControl::Address, dialog.GatewayIP()),
                      TextRow("Route &Metric:", DialogControl::Metric, kNumberWidth)}) {}

frmAddDNSv4Window::frmAddDNSv4Window(const Platform& platform, frmAddDNSv4& dialog)
    : IPDialogWindow(platform, dialog,
                     {BoxRow("&DNS Server:", DialogControl::Address, dialog.DNSIP())}) {}

frmAddIPv6Window::frmAddIPv6Window(const Platform& platform, frmAddIPv6& dialog)
    : IPDialogWindow(platform, dialog,
                     {TextRow("&IP Address:", DialogControl::Address, kWideTextWidth),
                      TextRow("&Prefix Length:", DialogControl::Prefix, kNumberWidth)}) {}

frmAddGWv6Window::frmAddGWv6Window(const Platform& platform, frmAddGWv6& dialog)
    : IPDialogWindow(platform, dialog,
                     {TextRow("&Gateway:", DialogControl::Address, kWideTextWidth),
                      TextRow("Route &Metric:", DialogControl::Metric, kNumberWidth)}) {}

frmAddDNSv6Window::frmAddDNSv6Window(const Platform& platform, frmAddDNSv6& dialog)
    : IPDialogWindow(platform, dialog,
                     {TextRow("&DNS Server:", DialogControl::Address, kWideTextWidth)}) {}

frmRemoveWindow::frmRemoveWindow(const Platform& platform, frmRemove& dialog)
    : IPDialogWindow(platform, dialog, {}) {}

namespace {

template <class WindowType, class DialogType>
void Run(HWND owner, const Platform& platform, IPDialog& dialog) {
    WindowType window(platform, static_cast<DialogType&>(dialog));
    if (window.Run(owner) == -1) {
        const DWORD code = ::GetLastError();
        throw Error(static_cast<int32_t>(code), "IPDialog.Show",
                    "The dialog could not be shown (system error " + std::to_string(code) + ").");
    }
}

}  // namespace

void ShowIPDialog(HWND owner, const Platform& platform, IPDialog& dialog) {
    switch (dialog.DialogKind()) {
        case IPDialog::Kind::AddIPv4:
            return Run<frmAddIPv4Window, frmAddIPv4>(owner, platform, dialog);
        case IPDialog::Kind::AddGWv4:
            return Run<frmAddGWv4Window, frmAddGWv4>(owner, platform, dialog);
        case IPDialog::Kind::AddDNSv4:
            return Run<frmAddDNSv4Window, frmAddDNSv4>(owner, platform, dialog);
        case IPDialog::Kind::AddIPv6:
            return Run<frmAddIPv6Window, frmAddIPv6>(owner, platform, dialog);
        case IPDialog::Kind::AddGWv6:
            return Run<frmAddGWv6Window, frmAddGWv6>(owner, platform, dialog);
        case IPDialog::Kind::AddDNSv6:
            return Run<frmAddDNSv6Window, frmAddDNSv6>(owner, platform, dialog);
        case IPDialog::Kind::Remove:
            return Run<frmRemoveWindow, frmRemove>(owner, platform, dialog);
    }
}

}  // namespace vexav6::ui::win32
