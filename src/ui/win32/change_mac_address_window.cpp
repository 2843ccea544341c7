#include "ui/win32/change_mac_address_window.h"

#include <algorithm>

#include "platform/win32/wide_text.h"
#include "ui/maker_links.h"
#include "ui/win32/window_support.h"

namespace vexav6::ui::win32 {
namespace {

constexpr const wchar_t* kClass = L"Vexav6.ChangeMACAddress";
namespace texts = ChangeMACAddressTexts;

bool Checked(HWND button) {
    return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

ChangeMACAddressWindow::ChangeMACAddressWindow(const Platform& platform)
    : platform_(platform), why_(platform, "linkWhy") {}

ChangeMACAddressWindow::~ChangeMACAddressWindow() {
    if (window_ != nullptr && ::IsWindow(window_)) {
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    }
}

int ChangeMACAddressWindow::Scale(int value) const {
    return ScaleForWindow(window_, value);
}

void ChangeMACAddressWindow::ReportException() {
    ReportCaught(platform_);
}

HWND ChangeMACAddressWindow::AddControl(const wchar_t* windowClass, const char* text, DWORD style,
                                        int id) {
    const HWND control = ::CreateWindowExW(0, windowClass, vexav6::win32::Widen(text).c_str(),
                                           WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, window_,
                                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                           ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
}

bool ChangeMACAddressWindow::Create(HWND parent, HFONT font) {
    if (!RegisterClassOnce(kClass, &WindowProc)) {
        return false;
    }
    font_ = font;
    window_ = ::CreateWindowExW(WS_EX_CONTROLPARENT, kClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10,
                                10, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) {
        return false;
    }
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    AddControl(L"BUTTON", "Change MAC Address", BS_GROUPBOX, kGroup);
    AddControl(L"STATIC", "New MAC &Address:", SS_LEFT, kAddressLabel);
    panel_ = std::make_unique<ChangeMACAddress>(platform_, *this, macAddress_);
    if (!macAddress_.Create(window_, kMACAddress, panel_->MACAddress1(), font)) {
        return false;
    }
    macAddress_.onException = [this] { ReportException(); };
    AddControl(L"BUTTON", texts::kRandom, WS_TABSTOP | BS_PUSHBUTTON, kRandom);
    AddControl(L"STATIC", "&Vendor (type a name or a prefix to search):", SS_LEFT, kVendorLabel);
    if (!vendorList_.Create(window_, kVendorList, font)) {
        return false;
    }
    vendorList_.rowText = [this](size_t row) { return panel_->VendorRowText(row); };
    vendorList_.onTyped = [this](const std::string& text) { panel_->VendorText_Typed(text); };
    vendorList_.onChosen = [this](size_t row) { panel_->cmbVendorList_Chosen(row); };
    vendorList_.onException = [this] { ReportException(); };
    AddControl(L"BUTTON", texts::k02MAC, WS_TABSTOP | BS_AUTOCHECKBOX, k02MAC);
    if (!why_.Create(window_, kWhy, font)) {
        return false;
    }
    why_.Presenter().SetLinkCaption(texts::kWhy);
    why_.Presenter().SetLinkURI(links::kWhy02);
    AddControl(L"BUTTON", texts::kPersistent, WS_TABSTOP | BS_AUTOCHECKBOX, kPersistent);
    AddControl(L"BUTTON", texts::kAutoRestart, WS_TABSTOP | BS_AUTOCHECKBOX, kAutoRestart);
    AddControl(L"BUTTON", texts::kChange, WS_TABSTOP | BS_PUSHBUTTON, kChange);
    AddControl(L"BUTTON", texts::kRestore, WS_TABSTOP | BS_PUSHBUTTON, kRestore);
    panel_->Initialize();
    return true;
}

int ChangeMACAddressWindow::PreferredHeight() const {
    // The rows of Layout, top to bottom, and the group box's bottom margin.
    return Scale(8 + 12 + 16 + 24 + 6 + 16 + 24 + 8 + 3 * 22 + 8 + 28 + 14);
}

void ChangeMACAddressWindow::Layout(const RECT& area) {
    ::MoveWindow(window_, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 TRUE);
    const int width = area.right - area.left;
    const int margin = Scale(10);
    const int line = Scale(22);
    const int box = Scale(24);
    const int left = margin;
    const int inner = width - 2 * margin;
    int y = Scale(8);
    ::MoveWindow(Control(kGroup), Scale(2), 0, width - Scale(4), PreferredHeight() - Scale(4),
                 TRUE);
    y += Scale(12);
    ::MoveWindow(Control(kAddressLabel), left, y, inner, Scale(16), TRUE);
    y += Scale(16);
    macAddress_.Move(left, y, box);
    const int randomLeft = left + macAddress_.PreferredWidth() + Scale(8);
    ::MoveWindow(Control(kRandom), randomLeft, y, std::max(Scale(130), left + inner - randomLeft),
                 box, TRUE);
    y += box + Scale(6);
    ::MoveWindow(Control(kVendorLabel), left, y, inner, Scale(16), TRUE);
    y += Scale(16);
    vendorList_.Move(left, y, inner, box);
    y += box + Scale(8);
    const int why = why_.Size().cx + Scale(4);
    ::MoveWindow(Control(k02MAC), left, y, inner - why, line, TRUE);
    SIZE text{};
    if (HDC dc = ::GetDC(window_)) {
        const HGDIOBJ old = ::SelectObject(dc, font_);
        const std::wstring caption = vexav6::win32::Widen(texts::k02MAC);
        ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
        ::SelectObject(dc, old);
        ::ReleaseDC(window_, dc);
    }
    why_.MoveTo(std::min(left + static_cast<int>(text.cx) + Scale(24), left + inner - why),
                y + (line - why_.Size().cy) / 2);
    y += line;
    ::MoveWindow(Control(kPersistent), left, y, inner, line, TRUE);
    y += line;
    ::MoveWindow(Control(kAutoRestart), left, y, inner, line, TRUE);
    y += line + Scale(8);
    const int button = std::min(Scale(130), (inner - Scale(8)) / 2);
    ::MoveWindow(Control(kChange), left, y, button, Scale(28), TRUE);
    ::MoveWindow(Control(kRestore), left + button + Scale(8), y, button, Scale(28), TRUE);
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
    ::SendMessageW(Control(k02MAC), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
void ChangeMACAddressWindow::SetPersistentChecked(bool checked) {
    ::SendMessageW(Control(kPersistent), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
void ChangeMACAddressWindow::SetAutoRestartChecked(bool checked) {
    ::SendMessageW(Control(kAutoRestart), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
void ChangeMACAddressWindow::SetAutoRestartEnabled(bool enabled) {
    ::EnableWindow(Control(kAutoRestart), enabled ? TRUE : FALSE);
}
void ChangeMACAddressWindow::FocusMACAddress() {
    ::SetFocus(macAddress_.Octet(0));
}

void ChangeMACAddressWindow::OnCommand(int id, int code) {
    if (code != BN_CLICKED) {
        return;
    }
    switch (id) {
        case kRandom:
            panel_->cmdRandom_Click();
            break;
        case k02MAC:
            panel_->chk02MAC_Click(Checked(Control(k02MAC)));
            break;
        case kPersistent:
            panel_->chkPersistent_Click(Checked(Control(kPersistent)));
            break;
        case kAutoRestart:
            panel_->chkAutoRestart_Click(Checked(Control(kAutoRestart)));
            break;
        case kChange:
            panel_->cmdChange_Click();
            break;
        case kRestore:
            panel_->cmdRestore_Click();
            break;
        default:
            break;
    }
}

LRESULT CALLBACK ChangeMACAddressWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                    LPARAM lParam) noexcept {
    auto* self = SelfOf<ChangeMACAddressWindow>(window);
    if (self == nullptr || !self->panel_) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        self->ReportException();
    }
    return 0;
}

LRESULT ChangeMACAddressWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace vexav6::ui::win32
