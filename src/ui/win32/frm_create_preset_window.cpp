#include "ui/win32/frm_create_preset_window.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/wide_text.h"
#include "ui/win32/controls.h"
#include "ui/win32/dpi.h"

namespace vexav6::ui::win32 {

namespace {

using C = PresetControl;

// Sizes in units.
constexpr int kClientWidth = 560;
constexpr int kClientHeight = 470;
constexpr int kMargin = 8;
constexpr int kRow = 22;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 26;
constexpr int kFrameCaption = 20;

// The editor whose keys the filter watches (one modal editor at a time).
thread_local frmCreatePresetWindow* filteredEditor = nullptr;

// A tab control takes "&" as an access key mark: "&&" shows one.
std::string TabText(const std::string& caption) {
    std::string text;
    for (const char c : caption) {
        text += c;
        if (c == '&') {
            text += '&';
        }
    }
    return text;
}

struct IPBoxes {
    PresetControl include, dhcp, address, gateway, dns;
    const char *frame, *includeText, *dhcpText, *addressText, *gatewayText, *dnsText;
};
constexpr IPBoxes kIPBoxes[2] = {
    {C::IncludeIPv4, C::DHCPv4, C::IPv4Address, C::IPv4Gateway, C::IPv4DNS,
     "Internet Protocol v4 Parameters", "Include Internet Protocol v4", "DHCPv4", "IPv4 Address",
     "IPv4 Gateway", "IPv4 DNS Server"},
    {C::IncludeIPv6, C::DHCPv6, C::IPv6Address, C::IPv6Gateway, C::IPv6DNS,
     "Internet Protocol v6 Parameters", "Include Internet Protocol v6", "DHCPv6", "IPv6 Address",
     "IPv6 Gateway", "IPv6 DNS Server"},
};

bool IsOption(PresetControl control) {
    return control == C::RandomMAC || control == C::Random02MAC || control == C::OriginalMAC ||
           control == C::CustomMAC;
}

bool IsTextBox(PresetControl control) {
    return control == C::Name || control == C::MACBox || control == C::ProxyServer ||
           control == C::ProxyPort;
}

}  // namespace

LRESULT PresetEditorPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC) {
        wchar_t className[16] = {};
        ::GetClassNameW(reinterpret_cast<HWND>(lParam), className, 16);
        if (::lstrcmpiW(className, L"Edit") == 0) {
            // A disabled or read-only text box: the button face.
            const auto dc = reinterpret_cast<HDC>(wParam);
            ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
            ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        }
    }
    return TabPage::HandleMessage(message, wParam, lParam);
}

frmCreatePresetWindow::frmCreatePresetWindow(const Platform& platform, std::string caption,
                                             const Preset* toEdit)
    : Dialog(platform), caption_(std::move(caption)), toEdit_(toEdit) {
    for (auto& page : pages_) {
        page = std::make_unique<PresetEditorPage>(platform);
    }
    ipv4_ = std::make_unique<IPv4Panel>(platform);
    ipv6_ = std::make_unique<IPv6Panel>(platform);
    ipv4Window_ = std::make_unique<IPv4PanelWindow>(platform);
    ipv6Window_ = std::make_unique<IPv6PanelWindow>(platform);
    ipPanels_ = {ipv4Window_.get(), ipv6Window_.get()};
}

frmCreatePresetWindow::~frmCreatePresetWindow() {
    for (IPPanelWindow* panel : ipPanels_) {
        panel->Unbind();
    }
    if (keyFilter_ != nullptr) {
        ::UnhookWindowsHookEx(keyFilter_);
        filteredEditor = nullptr;
    }
}

std::shared_ptr<Preset> frmCreatePresetWindow::Saved() const {
    return presenter_ && presenter_->DialogResult() == frmCreatePreset::kSaved
               ? presenter_->GetPreset()
               : nullptr;
}

// --- Controls ---

HWND frmCreatePresetWindow::AddStatic(int page, const wchar_t* className, const std::string& text,
                                      DWORD style) {
    return CreateControl(pages_[static_cast<size_t>(page)]->Handle(), className, text, style, 0, 0,
                         Fonts().Normal());
}

HWND frmCreatePresetWindow::AddTo(int page, PresetControl control, const wchar_t* className,
                                  const std::string& text, DWORD style) {
    const DWORD exStyle = IsTextBox(control) ? WS_EX_CLIENTEDGE : 0;
    ControlOf(control) = CreateControl(
        pages_[static_cast<size_t>(page)]->Handle(), className, text, style | WS_TABSTOP, exStyle,
        kFirstControlId + static_cast<int>(control), Fonts().Normal());
    return ControlOf(control);
}

BOOL frmCreatePresetWindow::OnInitDialog() {
    tab_ = Add(WC_TABCONTROLW, "", WS_TABSTOP | WS_CLIPSIBLINGS, kTabId);
    for (int i = 0; i < kPresetEditorTabCount; ++i) {
        std::wstring text = vexav6::win32::Widen(TabText(kPresetEditorTabCaptions[i]));
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        ::SendMessageW(tab_, TCM_INSERTITEMW, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(&item));
        PresetEditorPage& page = *pages_[static_cast<size_t>(i)];
        page.Create(Handle(), Fonts());
        ::SetWindowLongPtrW(page.Handle(), GWLP_ID, kPageId + i);
        page.onCommand = [this](int id, int code, HWND control) {
            OnPageCommand(id, code, control);
        };
        // The pages lie over the tab strip's body, so they are above it in the z-order (and
        // before it in the Tab key's order); otherwise the strip paints its body over them.
        ::SetWindowPos(page.Handle(),
                       i == 0 ? HWND_TOP : pages_[static_cast<size_t>(i - 1)]->Handle(), 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    CreateMACPage();
    CreateIPPage(1, false);
    CreateIPPage(2, true);
    pages_[0]->layout = [this](Box client, const Scaler& px) { LayoutMACPage(client, px); };
    pages_[1]->layout = [this](Box client, const Scaler& px) {
        LayoutIPPage(1, false, client, px);
    };
    pages_[2]->layout = [this](Box client, const Scaler& px) { LayoutIPPage(2, true, client, px); };
    Add(L"BUTTON", "Save", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDOK);
    Add(L"BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL);
    SizeClient(kClientWidth, kClientHeight);
    Layout();

    presenter_ = std::make_unique<frmCreatePreset>(GetPlatform(), *this);
    presenter_->SetCaption(caption_);
    if (toEdit_ != nullptr) {
        presenter_->EditRefresh(*toEdit_);
    }
    filteredEditor = this;
    keyFilter_ = ::SetWindowsHookExW(WH_MSGFILTER, &frmCreatePresetWindow::KeyFilter, nullptr,
                                     ::GetCurrentThreadId());
    ::SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ControlOf(C::Name)), TRUE);
    return FALSE;
}

void frmCreatePresetWindow::CreateMACPage() {
    macFrames_[0] = AddStatic(0, L"BUTTON", "Preset Name", BS_GROUPBOX);
    macLabels_[0] = AddStatic(0, L"STATIC", "Preset Name:", SS_LEFT);
    AddTo(0, C::Name, L"EDIT", "", ES_AUTOHSCROLL);
    ::SendMessageW(ControlOf(C::Name), EM_LIMITTEXT, 255, 0);

    macFrames_[1] = AddStatic(0, L"BUTTON", "MAC Address", BS_GROUPBOX);
    AddTo(0, C::IncludeMAC, L"BUTTON", "Include MAC Address", BS_AUTOCHECKBOX | WS_GROUP);
    AddTo(0, C::RandomMAC, L"BUTTON", "Use Random MAC Address", BS_AUTORADIOBUTTON | WS_GROUP);
    AddTo(0, C::Random02MAC, L"BUTTON", "Use Random MAC Address (0x02 first octet)",
          BS_AUTORADIOBUTTON);
    AddTo(0, C::OriginalMAC, L"BUTTON", "Use Original MAC Address", BS_AUTORADIOBUTTON);
    AddTo(0, C::CustomMAC, L"BUTTON", "Use Custom", BS_AUTORADIOBUTTON);
    macBox_ = std::make_unique<MACAddressWindow>(GetPlatform());
    macBox_->Create(pages_[0]->Handle(), kFirstControlId + static_cast<int>(C::MACBox),
                    Fonts().Normal());
    macMachine_ = std::make_unique<MACAddress>(*macBox_);
    macBox_->Attach(*macMachine_);
    ControlOf(C::MACBox) = macBox_->Handle();

    macFrames_[2] = AddStatic(0, L"BUTTON", "Internet Explorer HTTP Proxy", BS_GROUPBOX);
    AddTo(0, C::IncludeProxy, L"BUTTON", "Include Internet Explorer HTTP Proxy",
          BS_AUTOCHECKBOX | WS_GROUP);
    AddTo(0, C::EnableProxy, L"BUTTON", "Enable Proxy", BS_AUTOCHECKBOX);
    macLabels_[1] = AddStatic(0, L"STATIC", "Proxy Server:", SS_LEFT);
    AddTo(0, C::ProxyServer, L"EDIT", "", ES_AUTOHSCROLL);
    macLabels_[2] = AddStatic(0, L"STATIC", "Port:", SS_LEFT);
    AddTo(0, C::ProxyPort, L"EDIT", "", ES_NUMBER);
    ::SendMessageW(ControlOf(C::ProxyPort), EM_LIMITTEXT, 5, 0);
}

void frmCreatePresetWindow::CreateIPPage(int page, bool v6) {
    const IPBoxes& boxes = kIPBoxes[v6 ? 1 : 0];
    ipFrames_[v6 ? 1 : 0] = AddStatic(page, L"BUTTON", boxes.frame, BS_GROUPBOX);
    AddTo(page, boxes.include, L"BUTTON", boxes.includeText, BS_AUTOCHECKBOX | WS_GROUP);
    AddTo(page, boxes.dhcp, L"BUTTON", boxes.dhcpText, BS_AUTOCHECKBOX);
    AddTo(page, boxes.address, L"BUTTON", boxes.addressText, BS_AUTOCHECKBOX);
    AddTo(page, boxes.gateway, L"BUTTON", boxes.gatewayText, BS_AUTOCHECKBOX);
    AddTo(page, boxes.dns, L"BUTTON", boxes.dnsText, BS_AUTOCHECKBOX);
    // The IP configuration panel in preset mode: it shows and edits the working preset's lists.
    IPPanelWindow& panel = *ipPanels_[v6 ? 1 : 0];
    panel.Create(pages_[static_cast<size_t>(page)]->Handle(), Fonts());
    panel.Bind(v6 ? static_cast<IPPanel&>(*ipv6_) : *ipv4_);
    ::ShowWindow(panel.Handle(), SW_SHOW);
    // The frame goes to the bottom of the z-order so that it does not paint over the panel it
    // surrounds; it takes no focus, so the Tab order stays as created.
    ::SetWindowPos(ipFrames_[v6 ? 1 : 0], HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// --- Layout ---

void frmCreatePresetWindow::Layout() {
    if (tab_ == nullptr) {
        return;
    }
    Box area = Box::Client(Handle()).Inset(Px(kMargin));
    Box buttons = area.TakeBottom(Px(kButtonHeight), Px(kMargin));
    MoveBatch batch(6);
    batch.Move(Control(IDCANCEL), buttons.TakeRight(Px(kButtonWidth), Px(kMargin)));
    batch.Move(Control(IDOK), buttons.TakeRight(Px(kButtonWidth)));
    batch.Move(tab_, area);
    RECT display{area.left, area.top, area.right, area.bottom};
    ::SendMessageW(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    for (auto& page : pages_) {
        batch.Move(page->Handle(), Box::Of(display));
    }
}

void frmCreatePresetWindow::LayoutMACPage(Box client, const Scaler& px) {
    MoveBatch batch(20);
    Box area = client.Inset(px(kMargin));
    const int row = px(kRow);
    const auto frame = [&](HWND group, int rows) {
        Box box = area.TakeTop(px(kFrameCaption) + rows * row + px(kMargin), px(kMargin));
        batch.Move(group, box);
        Box inside = box.Inset(px(12), 0);
        inside.TakeTop(px(kFrameCaption));
        return inside;
    };
    const auto move = [&](PresetControl control, const Box& box) {
        batch.Move(ControlOf(control), box.CentredHeight(px(20)));
    };

    Box name = frame(macFrames_[0], 1).TakeTop(row);
    batch.Move(macLabels_[0], name.TakeLeft(px(80)).CentredHeight(px(16)));
    move(C::Name, name.TakeLeft(std::min(name.Width(), px(320))));

    Box mac = frame(macFrames_[1], 5);
    move(C::IncludeMAC, mac.TakeTop(row));
    mac.TakeLeft(px(18));
    move(C::RandomMAC, mac.TakeTop(row));
    move(C::Random02MAC, mac.TakeTop(row));
    move(C::OriginalMAC, mac.TakeTop(row));
    Box custom = mac.TakeTop(row);
    move(C::CustomMAC, custom.TakeLeft(px(96)));
    const Box box = custom.CentredHeight(px(20));
    macBox_->Move(box.left, box.top, box.Height());

    Box proxy = frame(macFrames_[2], 3);
    move(C::IncludeProxy, proxy.TakeTop(row));
    proxy.TakeLeft(px(18));
    move(C::EnableProxy, proxy.TakeTop(row));
    Box server = proxy.TakeTop(row);
    batch.Move(macLabels_[1], server.TakeLeft(px(80)).CentredHeight(px(16)));
    move(C::ProxyServer, server.TakeLeft(std::min(server.Width() / 2, px(220)), px(kMargin)));
    batch.Move(macLabels_[2], server.TakeLeft(px(32)).CentredHeight(px(16)));
    move(C::ProxyPort, server.TakeLeft(std::min(server.Width(), px(64))));
}

void frmCreatePresetWindow::LayoutIPPage(int /*page*/, bool v6, Box client, const Scaler& px) {
    const IPBoxes& boxes = kIPBoxes[v6 ? 1 : 0];
    MoveBatch batch(7);
    Box area = client.Inset(px(kMargin));
    batch.Move(ipFrames_[v6 ? 1 : 0], area);
    Box inside = area.Inset(px(12), 0);
    inside.TakeTop(px(kFrameCaption));
    inside.TakeBottom(px(12));
    const int row = px(kRow);
    batch.Move(ControlOf(boxes.include), inside.TakeTop(row).CentredHeight(px(20)));
    Box line = inside.TakeTop(row, px(6));
    line.TakeLeft(px(18));
    for (const PresetControl control : {boxes.dhcp, boxes.address, boxes.gateway, boxes.dns}) {
        batch.Move(ControlOf(control), line.TakeLeft(px(110)).CentredHeight(px(20)));
    }
    batch.Move(ipPanels_[v6 ? 1 : 0]->Handle(), inside);
}

// --- frmCreatePresetView ---

void frmCreatePresetWindow::SetCaption(const std::string& caption) {
    win32::SetText(Handle(), caption);
}

void frmCreatePresetWindow::SetText(PresetControl control, const std::string& text) {
    if (control == C::MACBox) {
        macMachine_->SetText(text);
    } else {
        win32::SetText(ControlOf(control), text);
    }
}

std::string frmCreatePresetWindow::Text(PresetControl control) const {
    return control == C::MACBox ? macMachine_->Text() : GetText(ControlOf(control));
}

void frmCreatePresetWindow::SetChecked(PresetControl control, bool checked) {
    ::SendMessageW(ControlOf(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void frmCreatePresetWindow::SetEnabled(PresetControl control, bool enabled) {
    if (control == C::MACBox) {
        macMachine_->SetEnabled(enabled);  // the octets grey out
    }
    ::EnableWindow(ControlOf(control), enabled ? TRUE : FALSE);
}

void frmCreatePresetWindow::Focus(PresetControl control) {
    const HWND target = control == C::MACBox ? macBox_->Octet(0) : ControlOf(control);
    ::SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
}

void frmCreatePresetWindow::ShowTab(int tab) {
    ::SendMessageW(tab_, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    // Only the controls of the visible tab take part: a hidden, disabled page is out of the Tab
    // key's order and out of reach of the access keys.
    for (int i = 0; i < kPresetEditorTabCount; ++i) {
        const HWND page = pages_[static_cast<size_t>(i)]->Handle();
        ::EnableWindow(page, i == tab ? TRUE : FALSE);
        ::ShowWindow(page, i == tab ? SW_SHOW : SW_HIDE);
    }
    ::SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tab_), TRUE);
}

void frmCreatePresetWindow::BindIPv4Panel(const std::shared_ptr<Preset>& preset) {
    ipv4_->SetPreset(preset);
}

void frmCreatePresetWindow::BindIPv6Panel(const std::shared_ptr<Preset>& preset) {
    ipv6_->SetPreset(preset);
}

void frmCreatePresetWindow::Close() {
    End(presenter_ ? presenter_->DialogResult() : IDCANCEL);
}

// --- Messages ---

void frmCreatePresetWindow::OnCommand(int id, int /*code*/, HWND /*control*/) {
    if (!presenter_) {
        return;
    }
    if (id == IDOK) {
        presenter_->Save();
    } else if (id == IDCANCEL) {
        presenter_->Cancel();
    }
}

void frmCreatePresetWindow::OnPageCommand(int id, int code, HWND control) {
    const int index = id - kFirstControlId;
    if (!presenter_ || code != BN_CLICKED || index < 0 || index >= kPresetControlCount) {
        return;
    }
    const auto which = static_cast<PresetControl>(index);
    if (IsOption(which)) {
        presenter_->OnOptionSelected(which);
    } else if (!IsTextBox(which)) {
        presenter_->OnCheckChanged(
            which, ::SendMessageW(control, BM_GETCHECK, 0, 0) == static_cast<LRESULT>(BST_CHECKED));
    }
}

INT_PTR frmCreatePresetWindow::HandleMessage(UINT message, WPARAM /*wParam*/, LPARAM lParam) {
    if (message == WM_NOTIFY && presenter_) {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.hwndFrom == tab_ && header.code == TCN_SELCHANGE) {
            presenter_->SelectTab(static_cast<int>(::SendMessageW(tab_, TCM_GETCURSEL, 0, 0)));
            return TRUE;
        }
    }
    if (message == WM_DESTROY && keyFilter_ != nullptr) {
        ::UnhookWindowsHookEx(keyFilter_);
        keyFilter_ = nullptr;
        filteredEditor = nullptr;
    }
    return FALSE;
}

LRESULT CALLBACK frmCreatePresetWindow::KeyFilter(int code, WPARAM wParam, LPARAM lParam) noexcept {
    // The dialog manager hands every message of its loop to this filter before it uses it: Ctrl+Tab
    // would otherwise move the focus like Tab.
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    frmCreatePresetWindow* editor = filteredEditor;
    if (code == MSGF_DIALOGBOX && editor != nullptr && editor->presenter_ &&
        message->message == WM_KEYDOWN && message->wParam == VK_TAB &&
        ::GetKeyState(VK_CONTROL) < 0 &&
        (message->hwnd == editor->Handle() || ::IsChild(editor->Handle(), message->hwnd))) {
        try {
            if (::GetKeyState(VK_SHIFT) < 0) {
                editor->presenter_->PreviousTab();
            } else {
                editor->presenter_->NextTab();
            }
        } catch (...) {
        }
        return TRUE;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace vexav6::ui::win32
