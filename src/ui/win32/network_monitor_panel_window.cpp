#include "ui/win32/network_monitor_panel_window.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/win32/controls.h"

namespace vexav6::ui::win32 {

namespace {

// The caption column, wide enough for "   --Speed".
constexpr int kCaptionWidth = 72;

}  // namespace

void NetworkMonitorPanelWindow::CreateControls() {
    group_ = Add(L"BUTTON", "Network Traffic", BS_GROUPBOX);
    list_ = Add(WC_LISTVIEWW, "",
                LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_NOSCROLL | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                    WS_TABSTOP,
                kListId, WS_EX_CLIENTEDGE);
    listview::Prepare(list_, LVS_EX_FULLROWSELECT);
    const Scaler px(Handle());
    listview::AddColumn(list_, 0, "Property", px(kCaptionWidth));
    listview::AddColumn(list_, 1, "Value", px(200));
    for (size_t i = 0; i < kTrafficRowCount; ++i) {
        listview::InsertItem(list_, static_cast<int>(i), rows_[i].caption);
    }
    chart_.Create(Handle(), kChartId);
    chart_.SetFont(Fonts().Normal());
}

void NetworkMonitorPanelWindow::ApplyFonts(const UiFonts& fonts) {
    chart_.SetFont(fonts.Normal());
    Panel::ApplyFonts(fonts);
}

void NetworkMonitorPanelWindow::LayoutControls(Box client, const Scaler& px) {
    MoveBatch batch(3);
    batch.Move(group_, client);
    Box inside = client.Inset(px(10), 0);
    inside.TakeTop(px(22));
    inside.TakeBottom(px(10));
    // Exactly the four rows: their height as the list draws them, its border and a little air.
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    ::SendMessageW(list_, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    const int rowHeight = row.bottom > row.top ? row.bottom - row.top : px(18);
    const int height =
        static_cast<int>(kTrafficRowCount) * rowHeight + 2 * ::GetSystemMetrics(SM_CYEDGE) + px(4);
    const Box list = inside.TakeTop(height, px(8));
    batch.Move(list_, list);
    batch.Move(chart_.Handle(), inside);
    // The value column takes the rest of the width: no horizontal scroll bar.
    const int border = 2 * ::GetSystemMetrics(SM_CXEDGE);
    ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, px(kCaptionWidth));
    ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, 1,
                   std::max(px(40), list.Width() - border - px(kCaptionWidth) - px(2)));
}

void NetworkMonitorPanelWindow::SetRow(size_t index, const TrafficRow& row) {
    rows_[index] = row;
    if (list_ != nullptr) {
        listview::SetItemText(list_, static_cast<int>(index), 0, row.caption);
        listview::SetItemText(list_, static_cast<int>(index), 1, row.value);
    }
}

void NetworkMonitorPanelWindow::SetChart(const NetworkTrafficChart& chart) {
    chart_.SetSamples(chart);
}

LRESULT NetworkMonitorPanelWindow::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != list_ || header.code != NM_CUSTOMDRAW) {
        return 0;
    }
    auto& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header));
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: {
            const size_t row = draw.nmcd.dwItemSpec;
            if (row < kTrafficRowCount) {
                const Rgb& colour = rows_[row].colour;
                draw.clrText = RGB(colour.red, colour.green, colour.blue);
            }
            return CDRF_DODEFAULT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

}  // namespace vexav6::ui::win32
