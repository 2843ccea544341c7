#pragma once

#include <array>

#include "ui/network_monitor_panel.h"
#include "ui/win32/panel.h"
#include "ui/win32/traffic_chart.h"

namespace vexav6::ui::win32 {

// The traffic panel beside the tabs: the four rows of totals and speeds in their colours, and
// the chart of the recent speeds below them.
class NetworkMonitorPanelWindow : public Panel, public NetworkMonitorPanelView {
  public:
    static constexpr int kListId = 1200;
    static constexpr int kChartId = 1201;

    explicit NetworkMonitorPanelWindow(const Platform& platform)
        : Panel(platform), chart_(platform) {}

    void SetRow(size_t index, const TrafficRow& row) override;
    void SetChart(const NetworkTrafficChart& chart) override;
    void ApplyFonts(const UiFonts& fonts) override;

    HWND List() const { return list_; }
    const TrafficChart& Chart() const { return chart_; }

  protected:
    const wchar_t* ClassName() const override { return L"Vexav6.NetworkMonitorPanel"; }
    void CreateControls() override;
    void LayoutControls(Box client, const Scaler& px) override;
    LRESULT OnNotify(const NMHDR& header) override;

  private:
    HWND group_ = nullptr;
    HWND list_ = nullptr;
    TrafficChart chart_;
    std::array<TrafficRow, kTrafficRowCount> rows_;
};

}  // namespace vexav6::ui::win32
