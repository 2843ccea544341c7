#include "ui/win32/network_adapter_info_window.h"

#include <algorithm>

#include "ui/win32/controls.h"

namespace vexav6::ui::win32 {

namespace {

constexpr std::array<const char*, kDetailsFieldCount> kLabels = {
    "Connection:", "Device:",     "Hardware ID:", "Config ID:", "Original MAC:",
    "Vendor:",     "Active MAC:", "Vendor:",      "TCP/IPv4:",  "TCP/IPv6:",
};

}  // namespace

void NetworkAdapterInfoWindow::CreateControls() {
    group_ = Add(L"BUTTON", "Network Adapter", BS_GROUPBOX);
    for (size_t i = 0; i < kDetailsFieldCount; ++i) {
        labels_[i] = Add(L"STATIC", kLabels[i], SS_LEFT | SS_NOPREFIX);
        values_[i] = Add(L"EDIT", "", ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP,
                         kFirstFieldId + static_cast<int>(i));
    }
}

void NetworkAdapterInfoWindow::LayoutControls(Box client, const Scaler& px) {
    MoveBatch batch(static_cast<int>(2 * kDetailsFieldCount + 1));
    const int labelWidth = px(84);
    const int rowHeight = px(20);
    const int rowGap = px(5);
    // The group holds its rows and no more; the page shows below it.
    const int rows = static_cast<int>(kDetailsFieldCount) - 1;
    const int groupHeight = px(22) + rows * rowHeight + (rows - 1) * rowGap + px(12);
    Box group = client;
    batch.Move(group_, group.TakeTop(std::min(client.Height(), groupHeight)));
    Box inside = client.Inset(px(10), 0);
    inside.TakeTop(px(22));  // the group box caption
    // The two protocol rows share one line: "TCP/IPv4: Enabled    TCP/IPv6: Enabled".
    for (size_t i = 0; i < kDetailsFieldCount - 2; ++i) {
        Box row = inside.TakeTop(rowHeight, rowGap);
        batch.Move(labels_[i], row.TakeLeft(labelWidth).CentredHeight(px(16)));
        batch.Move(values_[i], row.CentredHeight(px(18)));
    }
    Box last = inside.TakeTop(rowHeight);
    const auto v4 = static_cast<size_t>(DetailsField::TCPIPv4);
    const auto v6 = static_cast<size_t>(DetailsField::TCPIPv6);
    batch.Move(labels_[v4], last.TakeLeft(labelWidth).CentredHeight(px(16)));
    batch.Move(values_[v4], last.TakeLeft(px(72), px(8)).CentredHeight(px(18)));
    batch.Move(labels_[v6], last.TakeLeft(px(64)).CentredHeight(px(16)));
    batch.Move(values_[v6], last.CentredHeight(px(18)));
}

void NetworkAdapterInfoWindow::SetField(DetailsField field, const std::string& text) {
    const HWND value = values_[static_cast<size_t>(field)];
    if (value != nullptr) {
        UpdateText(value, text);
    }
}

}  // namespace vexav6::ui::win32
