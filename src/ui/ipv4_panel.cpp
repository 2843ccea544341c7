#include "ui/ipv4_panel.h"

#include "adapters/adapter_info.h"
#include "base/error.h"
#include "ipconfig/ipv4_addresses.h"
#include "ipconfig/ipv4_gateways.h"
#include "ipconfig/ipv4_name_servers.h"
#include "presets/preset.h"
#include "ui/frm_add_dns.h"
#include "ui/frm_add_gateway.h"
#include "ui/frm_add_ipv4.h"
#include "ui/frm_remove.h"
#include "ui/ip_input.h"
#include "ui/ip_panel_lists.h"

namespace vexav6::ui {

namespace {

constexpr const char* kTitle = "Internet Protocol v4";

IPRow AddressRow(const std::shared_ptr<IPv4Address>& address) {
    return {address->IPAddress(), address->SubnetMask()};
}
IPRow GatewayRow(const std::shared_ptr<IPv4Gateway>& gateway) {
    return {gateway->Gateway(), std::to_string(gateway->Metric())};
}
IPRow ServerRow(const std::string& server) {
    return {server};
}

}  // namespace

IPv4Panel::IPv4Panel(const Platform& platform) : IPPanel(platform) {
    Reload();
}

std::vector<std::string> IPv4Panel::ColumnTitles(IPList list) const {
    switch (list) {
        case IPList::Address:
            return {"IP Address", "Subnet Mask"};
        case IPList::Gateway:
            return {"Gateway", "Metric"};
        case IPList::DNS:
            break;
    }
    return {"DNS Server"};
}

std::string IPv4Panel::HeaderTitle(IPList list) const {
    return ColumnTitles(list).front();
}

void IPv4Panel::LoadEmpty() {
    SetCaption(kTitle);
}

void IPv4Panel::LoadFromAdapter(AdapterInfo& adapter) {
    if (!adapter.IPv4Binding()) {
        SetCaption(std::string(kTitle) + " [Not Installed]");
        return;
    }
    SetCaption(std::string(kTitle) + (adapter.DHCPv4Enabled() ? " [DHCPv4]" : " [Static IP]"));
    Fill(IPList::Address, adapter.IPv4Addresses()->Items(), AddressRow);
    Fill(IPList::Gateway, adapter.IPv4Gateways()->Items(), GatewayRow);
    Fill(IPList::DNS, adapter.IPv4NameServers()->Items(), ServerRow);
}

void IPv4Panel::LoadFromPreset(const Preset& preset) {
    if (!preset.IPv4Selected()) {
        SetCaption(std::string(kTitle) + " [Not Selected]");
    } else {
        SetCaption(std::string(kTitle) + (preset.IPv4DHCPEnabled() ? " [DHCPv4]" : " [Static IP]"));
    }
    Fill(IPList::Address, preset.IPv4Addresses(), AddressRow);
    Fill(IPList::Gateway, preset.IPv4Gateways(), GatewayRow);
    Fill(IPList::DNS, preset.IPv4NameServers(), ServerRow);
}

bool IPv4Panel::DHCPEnabled(const AdapterInfo& adapter) const {
    return adapter.DHCPv4Enabled();
}

void IPv4Panel::AddEntry(IPList list, std::optional<int> digit) {
    switch (list) {
        case IPList::Address:
            AddAddress(digit);
            break;
        case IPList::Gateway:
            AddGateway(digit);
            break;
        case IPList::DNS:
            AddNameServer(digit);
            break;
    }
}

void IPv4Panel::AddAddress(std::optional<int> digit) {
    frmAddIPv4 dialog;
    PrepareAddressBox(dialog);
    if (digit) {
        dialog.Address().SetNumber(0, static_cast<uint8_t>(*digit));
    }
    if (!Confirmed(dialog)) {
        return;
    }
    Guarded([&] {
        const std::string source = "IPv4Panel.AddIP";
        const std::string address = IPInput::CheckIPv4Address(dialog.IPv4Address(), source);
        const std::string mask = IPInput::CheckSubnetMask(dialog.IPv4Mask(), source);
        Apply(
            [&](Preset& preset) {
                preset.SetIPv4Addresses(EditedList(preset.IPv4Addresses(), source, [&](auto& list) {
                    PresetLists::AddIPv4Address(list, address, mask);
                }));
            },
            [&](AdapterInfo& adapter) {
                adapter.IPv4Addresses()->Add(address, mask, dialog.IPv4Persistent());
            });
    });
}

void IPv4Panel::AddGateway(std::optional<int> digit) {
    frmAddGWv4 dialog;
    PrepareGatewayBox(dialog);
    if (digit) {
        dialog.GatewayIP().SetNumber(0, static_cast<uint8_t>(*digit));
    }
    if (!Confirmed(dialog)) {
        return;
    }
    Guarded([&] {
        const std::string source = "IPv4Panel.AddGateway";
        const std::string gateway = IPInput::CheckIPv4Address(dialog.IPv4Gateway(), source);
        const int32_t metric = IPInput::CheckRouteMetric(dialog.IPv4Metric(), source);
        Apply(
            [&](Preset& preset) {
                preset.SetIPv4Gateways(EditedList(preset.IPv4Gateways(), source, [&](auto& list) {
                    PresetLists::AddIPv4Gateway(list, gateway, metric);
                }));
            },
            [&](AdapterInfo& adapter) {
                adapter.IPv4Gateways()->Add(gateway, metric, dialog.IPv4Persistent());
            });
    });
}

void IPv4Panel::AddNameServer(std::optional<int> digit) {
    frmAddDNSv4 dialog;
    if (digit) {
        dialog.DNSIP().SetNumber(0, static_cast<uint8_t>(*digit));
    }
    if (!Confirmed(dialog)) {
        return;
    }
    Guarded([&] {
        const std::string source = "IPv4Panel.AddDNS";
        const std::string server = IPInput::CheckIPv4Address(dialog.IPv4DNS(), source);
        Apply(
            [&](Preset& preset) {
                preset.SetIPv4NameServers(
                    EditedList(preset.IPv4NameServers(), source,
                               [&](auto& list) { PresetLists::AddNameServer(list, server); }));
            },
            [&](AdapterInfo& adapter) { adapter.IPv4NameServers()->Add(server); });
    });
}

void IPv4Panel::PrepareRemoveTexts(IPList list, frmRemove& dialog) const {
    switch (list) {
        case IPList::Address:
            break;  // the dialog's own texts
        case IPList::Gateway:
            dialog.SetTexts("Remove IPv4 Default Gateway?",
                            "Are you sure you want to remove selected IPv4 default gateways?",
                            "Permanently Remove IPv4 Gateway");
            break;
        case IPList::DNS:
            dialog.SetTexts("Remove IPv4 DNS Server?",
                            "Are you sure you want to remove selected IPv4 DNS Servers?",
                            "Permanently Remove IPv4 DNS Server");
            break;
    }
}

void IPv4Panel::RemoveFromAdapter(AdapterInfo& adapter, IPList list, const std::string& key,
                                  bool persistent) {
    if (list == IPList::Address) {
        adapter.IPv4Addresses()->Remove(key, persistent);
    } else {
        adapter.IPv4Gateways()->Remove(key, persistent);
    }
}

void IPv4Panel::RemoveFromPreset(Preset& preset, IPList list,
                                 const std::vector<std::string>& keys) {
    const std::string source = "IPv4Panel.Remove";
    if (list == IPList::Address) {
        preset.SetIPv4Addresses(WithoutKeys(PresetList(preset.IPv4Addresses(), source), keys));
    } else {
        preset.SetIPv4Gateways(WithoutKeys(PresetList(preset.IPv4Gateways(), source), keys));
    }
}

void IPv4Panel::WriteNameServers(AdapterInfo& adapter, const KeyedCollection<std::string>& servers,
                                 bool dontAddPlaceHolderIP) {
    adapter.IPv4NameServers()->WriteNameServers(servers, dontAddPlaceHolderIP);
}

void IPv4Panel::WriteNameServers(Preset& preset, const KeyedCollection<std::string>& servers) {
    preset.SetIPv4NameServers(servers);
}

}  // namespace vexav6::ui
