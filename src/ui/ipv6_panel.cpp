#include "ui/ipv6_panel.h"

#include "adapters/adapter_info.h"
#include "ipconfig/ipv6_addresses.h"
#include "ipconfig/ipv6_gateways.h"
#include "ipconfig/ipv6_name_servers.h"
#include "ipconfig/ipv6_support.h"
#include "presets/preset.h"
#include "ui/frm_add_dns.h"
#include "ui/frm_add_gateway.h"
#include "ui/frm_add_ipv6.h"
#include "ui/frm_remove.h"
#include "ui/ip_input.h"
#include "ui/ip_panel_lists.h"

namespace vexav6::ui {

namespace {

constexpr const char* kTitle = "Internet Protocol v6";

std::string ModeCaption(const char* mode) {
    return std::string(kTitle) + " [" + mode + "]";
}

IPRow AddressRow(const std::shared_ptr<IPv6Address>& address) {
    return {address->IPAddress(), std::to_string(address->OnLinkPrefixLength())};
}
IPRow GatewayRow(const std::shared_ptr<IPv6Gateway>& gateway) {
    return {gateway->NextHop(), std::to_string(gateway->Metric())};
}
IPRow ServerRow(const std::string& server) {
    return {server};
}

std::array<uint8_t, 16> Bytes(const std::string& text) {
    return IPv6Support::IPv6TextToBytes(IPv6Support::ExpandIPv6Text(text));
}

}  // namespace

IPv6Panel::IPv6Panel(const Platform& platform) : IPPanel(platform) {
    Reload();
}

std::vector<std::string> IPv6Panel::ColumnTitles(IPList list) const {
    switch (list) {
        case IPList::Address:
            return {"IP Address", "Prefix"};
        case IPList::Gateway:
            return {"Gateway/Next Hop", "Metric"};
        case IPList::DNS:
            break;
    }
    return {"DNS Server"};
}

std::string IPv6Panel::HeaderTitle(IPList list) const {
    return list == IPList::Address ? "Unicast IP Address" : ColumnTitles(list).front();
}

std::string IPv6Panel::AdapterCaption(bool ipv6Binding, int32_t routerDiscovery,
                                      bool routerAdvertisement, bool dhcpv6Enabled) {
    if (!ipv6Binding) {
        return ModeCaption("Not Installed");
    }
    switch (routerDiscovery) {
        case 0:
            return ModeCaption(dhcpv6Enabled ? "Statefull | DHCPv6" : "Manual");
        case 2:
            return ModeCaption("DHCPv6");
        case 1:
        case -1:
            return ModeCaption(routerAdvertisement && dhcpv6Enabled ? "Stateless | DHCPv6"
                                                                    : "Stateless");
        default:
            return ModeCaption("Unknown");
    }
}

void IPv6Panel::LoadEmpty() {
    SetCaption(kTitle);
}

void IPv6Panel::LoadFromAdapter(AdapterInfo& adapter) {
    SetCaption(AdapterCaption(adapter.IPv6Binding(), adapter.IPv6RouterDiscovery(),
                              adapter.IPv6RouterAdvertisement(), adapter.DHCPv6Enabled()));
    if (!adapter.IPv6Binding()) {
        return;
    }
    Fill(IPList::Address, adapter.IPv6Addresses()->Items(), AddressRow);
    Fill(IPList::Gateway, adapter.IPv6Gateways()->Items(), GatewayRow);
    Fill(IPList::DNS, adapter.IPv6NameServers()->Items(), ServerRow);
}

void IPv6Panel::LoadFromPreset(const Preset& preset) {
    if (!preset.IPv6Selected()) {
        SetCaption(ModeCaption("Not Selected"));
    } else {
        SetCaption(ModeCaption(preset.IPv6DHCPEnabled() ? "DHCPv6" : "Stateless"));
    }
    Fill(IPList::Address, preset.IPv6Addresses(), AddressRow);
    Fill(IPList::Gateway, preset.IPv6Gateways(), GatewayRow);
    Fill(IPList::DNS, preset.IPv6NameServers(), ServerRow);
}

bool IPv6Panel::DHCPEnabled(const AdapterInfo& adapter) const {
    return adapter.DHCPv6Enabled();
}

void IPv6Panel::AddEntry(IPList list, std::optional<int> digit) {
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

void IPv6Panel::AddAddress(std::optional<int> digit) {
    frmAddIPv6 dialog;
    PrepareAddressBox(dialog);
    if (digit) {
        dialog.SetFirstDigit(*digit);
    }
    if (!Confirmed(dialog)) {
        return;
    }
    Guarded([&] {
        const std::string source = "IPv6Panel.AddIP";
        const std::string address = IPInput::CheckIPv6Address(dialog.IPv6Address(), source);
        const uint8_t prefix = IPInput::CheckIPv6PrefixLength(dialog.IPv6Prefix(), source);
        Apply(
            [&](Preset& preset) {
                preset.SetIPv6Addresses(EditedList(preset.IPv6Addresses(), source, [&](auto& list) {
                    PresetLists::AddIPv6Address(list, Bytes(address), prefix);
                }));
            },
            [&](AdapterInfo& adapter) {
                adapter.IPv6Addresses()->Add(address, prefix, dialog.IPv6Persistent());
            });
    });
}

void IPv6Panel::AddGateway(std::optional<int> digit) {
    frmAddGWv6 dialog;
    PrepareGatewayBox(dialog);
    if (digit) {
        dialog.SetFirstDigit(*digit);
    }
    if (!Confirmed(dialog)) {
        return;
    }
    Guarded([&] {
        const std::string source = "IPv6Panel.AddGateway";
        const std::string gateway = IPInput::CheckIPv6Address(dialog.IPv6Gateway(), source);
        const int32_t metric = IPInput::CheckRouteMetric(dialog.IPv6Metric(), source);
        Apply(
            [&](Preset& preset) {
                preset.SetIPv6Gateways(EditedList(preset.IPv6Gateways(), source, [&](auto& list) {
                    PresetLists::AddIPv6Gateway(list, Bytes(gateway), metric);
                }));
            },
            [&](AdapterInfo& adapter) {
                adapter.IPv6Gateways()->Add(gateway, metric, dialog.IPv6Persistent());
            });
    });
}

void IPv6Panel::AddNameServer(std::optional<int> digit) {
    frmAddDNSv6 dialog;
    if (digit) {
        dialog.SetFirstDigit(*digit);
    }
    if (!Confirmed(dialog)) {
        return;
    }
    Guarded([&] {
        const std::string source = "IPv6Panel.AddDNS";
        const std::string server = IPInput::CheckIPv6Address(dialog.IPv6DNS(), source);
        Apply(
            [&](Preset& preset) {
                preset.SetIPv6NameServers(
                    EditedList(preset.IPv6NameServers(), source,
                               [&](auto& list) { PresetLists::AddNameServer(list, server); }));
            },
            [&](AdapterInfo& adapter) { adapter.IPv6NameServers()->Add(server); });
    });
}

// The confirmation for IPv6 addresses is worded like the IPv4 one.
void IPv6Panel::PrepareRemoveTexts(IPList list, frmRemove& dialog) const {
    switch (list) {
        case IPList::Address:
            dialog.SetTexts("Remove IPv6 Address?",
                            "Are you sure to remove the selected IPv6 addresses?",
                            "Permanently Remove IPv6 Address");
            break;
        case IPList::Gateway:
            dialog.SetTexts("Remove IPv6 Default Gateway?",
                            "Are you sure you want to remove selected IPv6 default gateways?",
                            "Permanently Remove IPv6 Gateway");
            break;
        case IPList::DNS:
            dialog.SetTexts("Remove IPv6 DNS Server?",
                            "Are you sure you want to remove selected IPv6 DNS Servers?",
                            "Permanently Remove IPv6 DNS Server");
            break;
    }
}

void IPv6Panel::RemoveFromAdapter(AdapterInfo& adapter, IPList list, const std::string& key,
                                  bool persistent) {
    if (list == IPList::Address) {
        adapter.IPv6Addresses()->Remove(key, persistent);
    } else {
        adapter.IPv6Gateways()->Remove(key, persistent);
    }
}

void IPv6Panel::RemoveFromPreset(Preset& preset, IPList list,
                                 const std::vector<std::string>& keys) {
    const std::string source = "IPv6Panel.Remove";
    if (list == IPList::Address) {
        preset.SetIPv6Addresses(WithoutKeys(PresetList(preset.IPv6Addresses(), source), keys));
    } else {
        preset.SetIPv6Gateways(WithoutKeys(PresetList(preset.IPv6Gateways(), source), keys));
    }
}

void IPv6Panel::WriteNameServers(AdapterInfo& adapter, const KeyedCollection<std::string>& servers,
                                 bool /*dontAddPlaceHolderIP*/) {
    adapter.IPv6NameServers()->WriteNameServers(servers);
}

void IPv6Panel::WriteNameServers(Preset& preset, const KeyedCollection<std::string>& servers) {
    preset.SetIPv6NameServers(servers);
}

}  // namespace vexav6::ui
