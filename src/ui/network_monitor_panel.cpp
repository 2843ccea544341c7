#include "ui/network_monitor_panel.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "system/common.h"

namespace vexav6::ui {

namespace {

// " (1234 bytes)": the exact count, as a whole number.
std::string ExactBytes(double bytes) {
    char text[64];
    std::snprintf(text, sizeof(text), " (%.0f bytes)", bytes);
    return text;
}

}  // namespace

NetworkMonitorPanel::NetworkMonitorPanel() {
    ResetRows();
}

NetworkMonitorPanel::~NetworkMonitorPanel() {
    if (adapter_) {
        adapter_->onNetworkTraffic = nullptr;
    }
}

void NetworkMonitorPanel::AttachView(NetworkMonitorPanelView* view) {
    view_ = view;
    if (view_ != nullptr) {
        for (size_t i = 0; i < kTrafficRowCount; ++i) {
            view_->SetRow(i, rows_[i]);
        }
        view_->SetChart(chart_);
    }
}

void NetworkMonitorPanel::SetAdapter(std::shared_ptr<AdapterInfo> adapter) {
    if (adapter_ && adapter_ != adapter) {
        adapter_->onNetworkTraffic = nullptr;
    }
    adapter_ = std::move(adapter);
    chart_.clear();
    if (adapter_) {
        adapter_->onNetworkTraffic = [this](double sent, double received, double sentLastSecond,
                                            double receivedLastSecond,
                                            const NetworkTrafficChart& chart) {
            OnNetworkTraffic(sent, received, sentLastSecond, receivedLastSecond, chart);
        };
        chart_.assign(static_cast<size_t>(adapter_->NetworkTrafficChartRows()), {});
    }
    if (view_ != nullptr) {
        view_->SetChart(chart_);
    }
    ResetRows();
}

void NetworkMonitorPanel::ResetRows() {
    const std::string speed = showSpeedInKBytes_ ? "0 B/s" : "0 bps";
    rows_ = {TrafficRow{"Received", "0 byte", kReceivedColour},
             TrafficRow{"   --Speed", speed, kReceivedColour},
             TrafficRow{"Sent", "0 byte", kSentColour},
             TrafficRow{"   --Speed", speed, kSentColour}};
    if (view_ != nullptr) {
        for (size_t i = 0; i < kTrafficRowCount; ++i) {
            view_->SetRow(i, rows_[i]);
        }
    }
}

void NetworkMonitorPanel::SetValue(size_t index, const std::string& value) {
    rows_[index].value = value;
    if (view_ != nullptr) {
        view_->SetRow(index, rows_[index]);
    }
}

std::string NetworkMonitorPanel::SpeedText(double bytesLastSecond) const {
    const std::string rate = showSpeedInKBytes_ ? Common::FormatByteRate(bytesLastSecond)
                                                : Common::FormatBitRate(bytesLastSecond * 8);
    return rate + ExactBytes(bytesLastSecond);
}

void NetworkMonitorPanel::OnNetworkTraffic(double totalBytesSent, double totalBytesReceived,
                                           double bytesSentLastSecond,
                                           double bytesReceivedLastSecond,
                                           const NetworkTrafficChart& chart) {
    SetValue(0, Common::FormatByteSize(totalBytesReceived) + ExactBytes(totalBytesReceived));
    SetValue(1, SpeedText(bytesReceivedLastSecond));
    SetValue(2, Common::FormatByteSize(totalBytesSent) + ExactBytes(totalBytesSent));
    SetValue(3, SpeedText(bytesSentLastSecond));
    chart_ = chart;
    if (view_ != nullptr) {
        view_->SetChart(chart_);
    }
}

}  // namespace vexav6::ui
