#include "ui/win32/change_mac_address_window.h"

#include <algorithm>

#include "platform/win32/wide_text.h"
#include "ui/maker_links.h"
#include "ui/win32/controls.h"
#include "ui/win32/gdi.h"

namespace vexav6::ui::win32 {
namespace {

namespace texts = ChangeMACAddressTexts;

// Units (1/96 inch).
constexpr int kMargin = 10;
constexpr int kCaption = 20;  // the group box's caption above the first row
constexpr int kLabel = 16;
constexpr int kBox = 24;
constexpr int kLine = 22;
constexpr int kButton = 28;
constexpr int kGap = 8;
constexpr int kButtonWidth = 130;
// A check box's square and the space after it.
constexpr int kCheckBox = 20;

bool Checked(HWND button) {
    return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Check(HWND button, bool checked) {
    ::SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

ChangeMACAddressWindow::ChangeMACAddressWindow(const Platform& platform)
    : Panel(platform), macAddress_(platform), vendorList_(platform), why_(platform, "linkWhy") {}

void ChangeMACAddressWindow::CreateControls() {
    const HFONT font = Fonts().Normal();
    Add(L"BUTTON", "Change MAC Address", BS_GROUPBOX, kGroup);
    Add(L"STATIC", "New MAC &Address:", SS_LEFT, kAddressLabel);
    macAddress_.Create(Handle(), kMACAddress, font);
    Add(L"BUTTON", texts::kRandom, WS_TABSTOP | BS_PUSHBUTTON, kRandom);
    Add(L"STATIC", "&Vendor (type a name or a prefix to search):", SS_LEFT | SS_ENDELLIPSIS,
        kVendorLabel);
    vendorList_.Create(Handle(), kVendorList, font);
    Add(L"BUTTON", texts::k02MAC, WS_TABSTOP | BS_AUTOCHECKBOX, k02MAC);
    why_.Create(Handle(), kWhy, font);
    why_.Presenter().SetLinkCaption(texts::kWhy);
    why_.Presenter().SetLinkURI(links::kWhy02);
    Add(L"BUTTON", texts::kPersistent, WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE, kPersistent);
    Add(L"BUTTON", texts::kAutoRestart, WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE, kAutoRestart);
    Add(L"BUTTON", texts::kChange, WS_TABSTOP | BS_PUSHBUTTON, kChange);
    Add(L"BUTTON", texts::kRestore, WS_TABSTOP | BS_PUSHBUTTON, kRestore);
}

void ChangeMACAddressWindow::Attach(ChangeMACAddress& presenter) {
    presenter_ = &presenter;
    macAddress_.Attach(presenter.MACAddress1());
    vendorList_.rowText = [this](size_t row) { return presenter_->VendorRowText(row); };
    vendorList_.onTyped = [this](const std::string& text) { presenter_->VendorText_Typed(text); };
    vendorList_.onChosen = [this](size_t row) { presenter_->cmbVendorList_Chosen(row); };
}

void ChangeMACAddressWindow::ApplyFonts(const UiFonts& fonts) {
    macAddress_.SetFont(fonts.Normal());
    vendorList_.SetFont(fonts.Normal());
    why_.SetFont(fonts.Normal());
    Panel::ApplyFonts(fonts);
}

int ChangeMACAddressWindow::TextWidth(int id) const {
    const std::wstring text = vexav6::win32::Widen(GetText(Control(id)));
    SIZE size{};
    if (HDC dc = ::GetDC(Handle())) {
        {
            const SelectObjectScope font(dc, Fonts().Normal());
            ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        }
        ::ReleaseDC(Handle(), dc);
    }
    return size.cx;
}

void ChangeMACAddressWindow::LayoutControls(Box client, const Scaler& px) {
    MoveBatch batch(12);
    Box area = client;
    area.top += px(kCaption);
    area = area.Inset(px(kMargin), 0);
    area.bottom -= px(kMargin);

    batch.Move(Control(kAddressLabel), area.TakeTop(px(kLabel)));
    // The random button beside the address when both fit, else below it.
    Box row = area.TakeTop(px(kBox), px(kGap));
    macAddress_.Move(row.left, row.top, row.Height());
    const int besideWidth = row.Width() - macAddress_.PreferredWidth() - px(kGap);
    if (besideWidth >= px(kButtonWidth) * 3 / 4) {
        row.TakeLeft(macAddress_.PreferredWidth(), px(kGap));
        batch.Move(Control(kRandom), row.TakeLeft(std::min(besideWidth, px(kButtonWidth))));
    } else {
        batch.Move(Control(kRandom),
                   area.TakeTop(px(kButton), px(kGap)).TakeLeft(px(kButtonWidth)));
    }

    batch.Move(Control(kVendorLabel), area.TakeTop(px(kLabel)));
    const Box vendor = area.TakeTop(px(kBox), px(kGap));
    vendorList_.Move(vendor.left, vendor.top, vendor.Width(), vendor.Height());

    // The '02' box as wide as its text, the link right after it.
    Box line = area.TakeTop(px(kLine));
    const int checkWidth = std::min(line.Width() - static_cast<int>(why_.Size().cx) - px(kGap),
                                    TextWidth(k02MAC) + px(kCheckBox));
    batch.Move(Control(k02MAC), line.TakeLeft(checkWidth, px(kGap)));
    why_.MoveTo(line.left, line.top + (line.Height() - why_.Size().cy) / 2);
    // The other two take a second line when the panel is too narrow for their text.
    for (const int id : {kPersistent, kAutoRestart}) {
        const bool fits = TextWidth(id) + px(kCheckBox) <= area.Width();
        batch.Move(Control(id), area.TakeTop(fits ? px(kLine) : px(kLine) * 5 / 3));
    }

    area.TakeTop(px(kGap));
    Box buttons = area.TakeTop(px(kButton));
    const int button = std::min(px(kButtonWidth), (buttons.Width() - px(kGap)) / 2);
    batch.Move(Control(kChange), buttons.TakeLeft(button, px(kGap)));
    batch.Move(Control(kRestore), buttons.TakeLeft(button));
    // The group holds its controls and no more, as the details panel beside it does.
    Box group = client;
    group.bottom = std::min(client.bottom, buttons.bottom + px(kMargin) + px(2));
    batch.Move(Control(kGroup), group);
}

void ChangeMACAddressWindow::SetVendorText(const std::string& text) {
    vendorList_.SetText(text);
}

void ChangeMACAddressWindow::ShowVendorRows(size_t rows, size_t highlighted) {
    vendorList_.ShowRows(rows, highlighted);
}

void ChangeMACAddressWindow::DropVendorList(bool dropped) {
    vendorList_.Drop(dropped);
}

void ChangeMACAddressWindow::SetChangeEnabled(bool enabled) {
    ::EnableWindow(Control(kChange), enabled ? TRUE : FALSE);
}

void ChangeMACAddressWindow::SetRestoreEnabled(bool enabled) {
    ::EnableWindow(Control(kRestore), enabled ? TRUE : FALSE);
}

void ChangeMACAddressWindow::SetRandomEnabled(bool enabled) {
    ::EnableWindow(Control(kRandom), enabled ? TRUE : FALSE);
}

void ChangeMACAddressWindow::Set02Checked(bool checked) {
    Check(Control(k02MAC), checked);
}

void ChangeMACAddressWindow::SetPersistentChecked(bool checked) {
    Check(Control(kPersistent), checked);
}

void ChangeMACAddressWindow::SetAutoRestartChecked(bool checked) {
    Check(Control(kAutoRestart), checked);
}

void ChangeMACAddressWindow::SetAutoRestartEnabled(bool enabled) {
    ::EnableWindow(Control(kAutoRestart), enabled ? TRUE : FALSE);
}

void ChangeMACAddressWindow::FocusMACAddress() {
    ::SetFocus(macAddress_.Octet(0));
}

void ChangeMACAddressWindow::OnCommand(int id, int code, HWND /*control*/) {
    if (code != BN_CLICKED || presenter_ == nullptr) {
        return;
    }
    switch (id) {
        case kRandom:
            presenter_->cmdRandom_Click();
            break;
        case k02MAC:
            presenter_->chk02MAC_Click(Checked(Control(k02MAC)));
            break;
        case kPersistent:
            presenter_->chkPersistent_Click(Checked(Control(kPersistent)));
            break;
        case kAutoRestart:
            presenter_->chkAutoRestart_Click(Checked(Control(kAutoRestart)));
            break;
        case kChange:
            presenter_->cmdChange_Click();
            break;
        case kRestore:
            presenter_->cmdRestore_Click();
            break;
        default:
            break;
    }
}

}  // namespace vexav6::ui::win32
