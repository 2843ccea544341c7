#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/ip_panel.h"

namespace vexav6::ui {

// "Internet Protocol v4": the IPv4 addresses (IPv4List), default gateways (IPv4Gateway) and DNS
// servers (IPv4DNS) of an adapter or a preset.
class IPv4Panel : public IPPanel {
  public:
    explicit IPv4Panel(const Platform& platform);

    std::vector<std::string> ColumnTitles(IPList list) const override;
    std::string HeaderTitle(IPList list) const override;

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
