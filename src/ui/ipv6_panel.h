#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/ip_panel.h"

namespace vexav6::ui {

// "Internet Protocol v6": the IPv6 unicast addresses (IPv6List), gateways (IPv6Gateway) and DNS
// servers (IPv6DNS) of an adapter or a preset. Built like IPv4Panel; the address, gateway and
// server texts are typed into plain text boxes.
class IPv6Panel : public IPPanel {
  public:
    explicit IPv6Panel(const Platform& platform);

    std::vector<std::string> ColumnTitles(IPList list) const override;
    std::string HeaderTitle(IPList list) const override;

    // The frame caption for an adapter: its binding, then how it configures addresses (router
    // discovery 0 manual, 1 or -1 stateless, 2 DHCPv6) with the DHCPv6 and router advertisement
    // switches.
    static std::string AdapterCaption(bool ipv6Binding, int32_t routerDiscovery,
                                      bool routerAdvertisement, bool dhcpv6Enabled);

  protected:
    void LoadFromAdapter(AdapterInfo& adapter) override;
    void LoadFromPreset(const Preset& preset) override;
    void LoadEmpty() override;
    bool DHCPEnabled(const AdapterInfo& adapter) const override;
    void AddEntry(IPList list, std::optional<int> digit) override;
    void PrepareRemoveTexts(IPList list, frmRemove& dialog) const override;
    void RemoveFromAdapter(AdapterInfo& adapter, IPList list, const std::string& key,
                           bool persistent) override;
    void RemoveFromPreset(Preset& preset, IPList list,
                          const std::vector<std::string>& keys) override;
    void WriteNameServers(AdapterInfo& adapter, const KeyedCollection<std::string>& servers,
                          bool dontAddPlaceHolderIP) override;
    void WriteNameServers(Preset& preset, const KeyedCollection<std::string>& servers) override;

  private:
    void AddAddress(std::optional<int> digit);
    void AddGateway(std::optional<int> digit);
    void AddNameServer(std::optional<int> digit);
};

}  // namespace vexav6::ui
