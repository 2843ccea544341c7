#include "ui/win32/traffic_chart.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/win32/wide_text.h"
#include "system/common.h"
#include "ui/network_monitor_panel.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gdi.h"

namespace vexav6::ui::win32 {

namespace {

COLORREF ToColorRef(const Rgb& colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

}  // namespace

void TrafficChart::Create(HWND parent, int id) {
    RegisterClass(L"Vexav6.TrafficChart");
    CreateHandle(L"Vexav6.TrafficChart", "", WS_CHILD | WS_VISIBLE, WS_EX_CLIENTEDGE, 0, 0, 0, 0,
                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void TrafficChart::SetSamples(const NetworkTrafficChart& samples) {
    samples_ = samples;
    if (Handle() != nullptr) {
        ::InvalidateRect(Handle(), nullptr, FALSE);
    }
}

double TrafficChart::ScaleTop(double highest) {
    double top = 10;
    while (top < highest) {
        const double power = std::pow(10.0, std::floor(std::log10(top)));
        const double step = top / power;
        top = (step < 2 ? 2 : step < 5 ? 5 : 10) * power;
    }
    return top;
}

LRESULT TrafficChart::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // painted whole in WM_PAINT
        case WM_SIZE:
            ::InvalidateRect(Handle(), nullptr, FALSE);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            const HDC dc = ::BeginPaint(Handle(), &paint);
            RECT client{};
            ::GetClientRect(Handle(), &client);
            // Drawn off-screen first, so the chart never flickers while it moves.
            ScopedMemoryDc memory(::CreateCompatibleDC(dc));
            ScopedBitmap bitmap(::CreateCompatibleBitmap(dc, client.right, client.bottom));
            if (memory && bitmap) {
                SelectObjectScope selected(memory.Get(), bitmap.Get());
                Paint(memory.Get(), client);
                ::BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
            } else {
                Paint(dc, client);
            }
            ::EndPaint(Handle(), &paint);
            return 0;
        }
        default:
            return Default(message, wParam, lParam);
    }
}

void TrafficChart::Paint(HDC dc, const RECT& area) const {
    const Scaler px(Handle());
    ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_WINDOW));

    double highest = 0;
    for (const auto& sample : samples_) {
        for (const auto& value : sample) {
            highest = std::max(highest, value.value_or(0.0));
        }
    }
    const double top = ScaleTop(highest);

    // The plot leaves a margin for the scale's text at the top.
    RECT plot = area;
    plot.left += px(4);
    plot.right -= px(4);
    plot.top += px(18);
    plot.bottom -= px(4);
    const int width = std::max(1L, plot.right - plot.left);
    const int height = std::max(1L, plot.bottom - plot.top);

    ScopedPen grid(::CreatePen(PS_SOLID, 1, RGB(226, 226, 226)));
    {
        SelectObjectScope pen(dc, grid.Get());
        for (int line = 0; line <= 4; ++line) {
            const int y = plot.top + height * line / 4;
            ::MoveToEx(dc, plot.left, y, nullptr);
            ::LineTo(dc, plot.right, y);
        }
    }

    const HFONT font =
        font_ != nullptr ? font_ : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    SelectObjectScope fontScope(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
    const std::wstring scale = vexav6::win32::Widen(Common::FormatBitRate(top * 1000));
    ::TextOutW(dc, plot.left, area.top + px(2), scale.c_str(), static_cast<int>(scale.size()));

    const size_t count = samples_.size();
    if (count < 2) {
        return;
    }
    const Rgb colours[2] = {kReceivedColour, kSentColour};
    for (size_t series = 0; series < 2; ++series) {
        ScopedPen line(::CreatePen(PS_SOLID, std::max(1, px(2)), ToColorRef(colours[series])));
        SelectObjectScope pen(dc, line.Get());
        bool drawing = false;
        for (size_t i = 0; i < count; ++i) {
            const std::optional<double>& value = samples_[i][series];
            if (!value) {
                drawing = false;  // a sample not taken yet leaves a gap
                continue;
            }
            const int x =
                plot.left + static_cast<int>(static_cast<double>(width) * static_cast<double>(i) /
                                             static_cast<double>(count - 1));
            const int y = plot.bottom - static_cast<int>(static_cast<double>(height) *
                                                         std::min(*value, top) / top);
            if (drawing) {
                ::LineTo(dc, x, y);
            } else {
                ::MoveToEx(dc, x, y, nullptr);
                drawing = true;
            }
        }
    }
}

}  // namespace vexav6::ui::win32
