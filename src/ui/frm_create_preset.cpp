#include "ui/frm_create_preset.h"

#include <utility>

#include "base/text.h"
#include "system/memory_stream.h"

namespace vexav6::ui {

using platform::MessageBoxButtons;
using platform::MessageBoxIcon;

namespace {

using C = PresetControl;

// The MAC options in the order Save checks them, with their MACAddress values.
constexpr std::pair<PresetControl, MacAction> kMACOptions[] = {
    {C::RandomMAC, MacAction::Random},
    {C::Random02MAC, MacAction::Random02},
    {C::OriginalMAC, MacAction::Original},
    {C::CustomMAC, MacAction::Custom},
};

// The controls of one protocol's tab.
struct IPControls {
    PresetControl include, dhcp, address, gateway, dns;
};
constexpr IPControls kIPv4{C::IncludeIPv4, C::DHCPv4, C::IPv4Address, C::IPv4Gateway, C::IPv4DNS};
constexpr IPControls kIPv6{C::IncludeIPv6, C::DHCPv6, C::IPv6Address, C::IPv6Gateway, C::IPv6DNS};

const IPControls& ControlsOf(bool v6) {
    return v6 ? kIPv6 : kIPv4;
}

bool IsIPv6Control(PresetControl control) {
    return control >= C::IncludeIPv6;
}

// Makes a list of the preset present or absent; a present list is kept as it is, a new one
// starts empty.
template <class List>
void SetPresence(Preset& preset, const std::optional<List>& (Preset::*get)() const,
                 void (Preset::*set)(std::optional<List>), bool present) {
    if (!present) {
        (preset.*set)(std::nullopt);
    } else if (!(preset.*get)()) {
        (preset.*set)(List());
    }
}

}  // namespace

frmCreatePreset::frmCreatePreset(const Platform& platform, frmCreatePresetView& view)
    : platform_(platform), view_(view), preset_(std::make_shared<Preset>()) {
    view_.SetCaption("Create New Preset");
    for (int i = 0; i < kPresetControlCount; ++i) {
        const auto control = static_cast<PresetControl>(i);
        if (control != C::Name && control != C::MACBox && control != C::ProxyServer &&
            control != C::ProxyPort) {
            view_.SetChecked(control, false);
        }
    }
    UpdateMACControls();
    UpdateProxyControls();
    UpdateIPControls(false);
    UpdateIPControls(true);
    Rebind(false);
    Rebind(true);
    SelectTab(0);
}

// --- Loading ---

void frmCreatePreset::EditRefresh(const Preset& preset) {
    // A copy through the preset's own record, so that nothing of it is shared with the original.
    MemoryStream stream;
    stream.Init(1024);
    preset.WriteTo(stream);
    stream.SetPosition(0);
    auto copy = std::make_shared<Preset>();
    copy->ReadFrom(stream);
    preset_ = std::move(copy);

    view_.SetText(C::Name, preset_->PresetName());
    const MacAction mac = preset_->MACAddress();
    Check(C::IncludeMAC, mac != MacAction::Leave);
    for (const auto& [option, value] : kMACOptions) {
        Check(option, mac == value);
    }
    view_.SetText(C::MACBox, mac == MacAction::Custom ? preset_->CustomMACAddress() : "");
    UpdateMACControls();

    Check(C::IncludeProxy, preset_->IEProxySelected());
    Check(C::EnableProxy, preset_->IEProxyEnabled());
    view_.SetText(C::ProxyServer, preset_->IEProxyServer());
    view_.SetText(C::ProxyPort,
                  preset_->IEProxyEnabled() ? std::to_string(preset_->IEProxyPort()) : "");
    UpdateProxyControls();

    Check(C::IncludeIPv4, preset_->IPv4Selected());
    Check(C::DHCPv4, preset_->IPv4DHCPEnabled());
    Check(C::IPv4Address, preset_->IPv4Addresses().has_value());
    Check(C::IPv4Gateway, preset_->IPv4Gateways().has_value());
    Check(C::IPv4DNS, preset_->IPv4NameServers().has_value());
    UpdateIPControls(false);

    Check(C::IncludeIPv6, preset_->IPv6Selected());
    Check(C::DHCPv6, preset_->IPv6DHCPEnabled());
    Check(C::IPv6Address, preset_->IPv6Addresses().has_value());
    Check(C::IPv6Gateway, preset_->IPv6Gateways().has_value());
    Check(C::IPv6DNS, preset_->IPv6NameServers().has_value());
    UpdateIPControls(true);

    Rebind(false);
    Rebind(true);
}

// --- Check boxes and options ---

void frmCreatePreset::Check(PresetControl control, bool checked) {
    checked_[Index(control)] = checked;
    view_.SetChecked(control, checked);
}

void frmCreatePreset::Enable(PresetControl control, bool enabled) {
    view_.SetEnabled(control, enabled);
}

void frmCreatePreset::OnCheckChanged(PresetControl control, bool checked) {
    checked_[Index(control)] = checked;
    const bool v6 = IsIPv6Control(control);
    const IPControls& ip = ControlsOf(v6);
    switch (control) {
        case C::IncludeMAC:
            UpdateMACControls();
            break;
        case C::IncludeProxy:
        case C::EnableProxy:
            UpdateProxyControls();
            break;
        case C::IncludeIPv4:
        case C::IncludeIPv6:
            if (v6) {
                preset_->SetIPv6Selected(checked);
            } else {
                preset_->SetIPv4Selected(checked);
            }
            UpdateIPControls(v6);
            Rebind(v6);
            break;
        case C::DHCPv4:
        case C::DHCPv6:
            if (v6) {
                preset_->SetIPv6DHCPEnabled(checked);
            } else {
                preset_->SetIPv4DHCPEnabled(checked);
            }
            if (checked) {
                // As if the user unchecked them: their lists become absent.
                Check(ip.address, false);
                SetListPresent(ip.address, false);
                Check(ip.gateway, false);
                SetListPresent(ip.gateway, false);
            }
            UpdateIPControls(v6);
            Rebind(v6);
            break;
        case C::IPv4Address:
        case C::IPv4Gateway:
        case C::IPv4DNS:
        case C::IPv6Address:
        case C::IPv6Gateway:
        case C::IPv6DNS:
            SetListPresent(control, checked);
            Rebind(v6);
            break;
        default:
            break;
    }
}

void frmCreatePreset::OnOptionSelected(PresetControl control) {
    for (const auto& [option, value] : kMACOptions) {
        checked_[Index(option)] = option == control;
    }
    UpdateMACControls();
}

void frmCreatePreset::UpdateMACControls() {
    const bool include = Checked(C::IncludeMAC);
    for (const auto& [option, value] : kMACOptions) {
        Enable(option, include);
    }
    Enable(C::MACBox, include && Checked(C::CustomMAC));
}

void frmCreatePreset::UpdateProxyControls() {
    const bool include = Checked(C::IncludeProxy);
    Enable(C::EnableProxy, include);
    Enable(C::ProxyServer, include && Checked(C::EnableProxy));
    Enable(C::ProxyPort, include && Checked(C::EnableProxy));
}

void frmCreatePreset::UpdateIPControls(bool v6) {
    const IPControls& ip = ControlsOf(v6);
    const bool include = Checked(ip.include);
    Enable(ip.dhcp, include);
    Enable(ip.dns, include);
    // DHCP gives the addresses and gateways: their boxes stay off while it is checked.
    Enable(ip.address, include && !Checked(ip.dhcp));
    Enable(ip.gateway, include && !Checked(ip.dhcp));
}

void frmCreatePreset::SetListPresent(PresetControl control, bool present) {
    Preset& p = *preset_;
    switch (control) {
        case C::IPv4Address:
            SetPresence(p, &Preset::IPv4Addresses, &Preset::SetIPv4Addresses, present);
            break;
        case C::IPv4Gateway:
            SetPresence(p, &Preset::IPv4Gateways, &Preset::SetIPv4Gateways, present);
            break;
        case C::IPv4DNS:
            SetPresence(p, &Preset::IPv4NameServers, &Preset::SetIPv4NameServers, present);
            break;
        case C::IPv6Address:
            SetPresence(p, &Preset::IPv6Addresses, &Preset::SetIPv6Addresses, present);
            break;
        case C::IPv6Gateway:
            SetPresence(p, &Preset::IPv6Gateways, &Preset::SetIPv6Gateways, present);
            break;
        case C::IPv6DNS:
            SetPresence(p, &Preset::IPv6NameServers, &Preset::SetIPv6NameServers, present);
            break;
        default:
            break;
    }
}

void frmCreatePreset::Rebind(bool v6) {
    if (v6) {
        view_.BindIPv6Panel(preset_);
    } else {
        view_.BindIPv4Panel(preset_);
    }
}

// --- Tabs ---

void frmCreatePreset::SelectTab(int tab) {
    if (tab < 0 || tab >= kPresetEditorTabCount) {
        return;
    }
    tab_ = tab;
    view_.ShowTab(tab);
}

// --- Save and Cancel ---

bool frmCreatePreset::ReadPort(int32_t& port) const {
    const std::string text = text::Trim(view_.Text(C::ProxyPort));
    if (text.empty() || text.size() > 5) {
        return false;
    }
    int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    port = value;
    return value >= 1 && value <= 65535;
}

void frmCreatePreset::Refuse(const std::string& text, const std::string& title,
                             PresetControl focus) {
    platform_.ui.MessageBox(text, title, MessageBoxButtons::Ok, MessageBoxIcon::Information);
    view_.Focus(focus);
}

void frmCreatePreset::Save() {
    const std::string name = text::Trim(view_.Text(C::Name));
    if (name.empty()) {
        SelectTab(0);
        Refuse("Please enter a name for the preset.", "Specify Preset Name", C::Name);
        return;
    }
    const bool proxyOn = Checked(C::IncludeProxy) && Checked(C::EnableProxy);
    const std::string server = text::Trim(view_.Text(C::ProxyServer));
    int32_t port = 0;
    if (proxyOn && server.empty()) {
        SelectTab(0);
        Refuse("Please enter the proxy server.", "Specify Proxy Server", C::ProxyServer);
        return;
    }
    if (proxyOn && !ReadPort(port)) {
        SelectTab(0);
        Refuse("Please enter a proxy port number from 1 to 65535.", "Specify Proxy Port",
               C::ProxyPort);
        return;
    }
    // The custom address is checked before anything of the preset changes.
    const bool include = Checked(C::IncludeMAC);
    const bool custom = include && Checked(C::CustomMAC);
    Preset& p = *preset_;
    p.SetCustomMACAddress(custom ? view_.Text(C::MACBox) : "");
    p.SetPresetName(name);

    MacAction mac = MacAction::Leave;
    if (include) {
        for (const auto& [option, value] : kMACOptions) {
            if (Checked(option)) {
                mac = value;
                break;
            }
        }
    }
    p.SetMACAddress(mac);

    p.SetIEProxySelected(Checked(C::IncludeProxy));
    p.SetIEProxyEnabled(proxyOn);
    p.SetIEProxyServer(proxyOn ? server : "");
    p.SetIEProxyPort(proxyOn ? port : 0);

    result_ = kSaved;
    view_.Close();
}

void frmCreatePreset::Cancel() {
    result_ = kCancelled;
    view_.Close();
}

}  // namespace vexav6::ui
