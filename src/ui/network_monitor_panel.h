#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "adapters/adapter_info.h"

namespace vexav6::ui {

// A colour of the screen, red, green and blue 0 to 255.
struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

// One row of the traffic list: caption, value and the colour both are drawn in.
struct TrafficRow {
    std::string caption;
    std::string value;
    Rgb colour;
};

inline constexpr size_t kTrafficRowCount = 4;
// Received rows are dark red, sent rows dark green; the chart draws its series in the same.
inline constexpr Rgb kReceivedColour{192, 0, 0};
inline constexpr Rgb kSentColour{0, 128, 0};

// What the traffic panel's window shows.
class NetworkMonitorPanelView {
  public:
    virtual ~NetworkMonitorPanelView() = default;
    virtual void SetRow(size_t index, const TrafficRow& row) = 0;
    // The chart's samples, oldest first ([i][0] received, [i][1] sent, in kilobits per second);
    // its length is the number of samples the chart shows.
    virtual void SetChart(const NetworkTrafficChart& chart) = 0;
};

// The traffic panel: received and sent totals, the speeds of the last second and a chart of the
// recent speeds of the adapter the main window selected.
class NetworkMonitorPanel {
  public:
    NetworkMonitorPanel();
    ~NetworkMonitorPanel();
    NetworkMonitorPanel(const NetworkMonitorPanel&) = delete;
    NetworkMonitorPanel& operator=(const NetworkMonitorPanel&) = delete;

    void AttachView(NetworkMonitorPanelView* view);

    // Follows the adapter's traffic events from now on (and no longer the previous adapter's),
    // empties the chart to the adapter's number of chart rows and resets the four rows. None: the
    // panel shows the reset rows and follows nothing.
    void SetAdapter(std::shared_ptr<AdapterInfo> adapter);
    // Speeds in bytes per second when set, in bits per second otherwise; rows change with the
    // next traffic event.
    bool ShowSpeedInKBytes() const { return showSpeedInKBytes_; }
    void SetShowSpeedInKBytes(bool value) { showSpeedInKBytes_ = value; }

    // The adapter's NetworkTraffic event.
    void OnNetworkTraffic(double totalBytesSent, double totalBytesReceived,
                          double bytesSentLastSecond, double bytesReceivedLastSecond,
                          const NetworkTrafficChart& chart);

    const TrafficRow& Row(size_t index) const { return rows_[index]; }
    const NetworkTrafficChart& Chart() const { return chart_; }

  private:
    void ResetRows();
    void SetValue(size_t index, const std::string& value);
    std::string SpeedText(double bytesLastSecond) const;

    NetworkMonitorPanelView* view_ = nullptr;
    std::shared_ptr<AdapterInfo> adapter_;
    bool showSpeedInKBytes_ = false;
    std::array<TrafficRow, kTrafficRowCount> rows_;
    NetworkTrafficChart chart_;
};

}  // namespace vexav6::ui
