#pragma once

#include "adapters/adapter_info.h"
#include "ui/win32/window.h"

namespace vexav6::ui::win32 {

// The chart of the traffic panel: the received and sent speeds of the recent samples as two
// lines (oldest on the left), over a light grid whose top line is a round speed above the
// highest sample, named in the corner.
class TrafficChart : public Window {
  public:
    using Window::Window;

    void Create(HWND parent, int id);
    void SetSamples(const NetworkTrafficChart& samples);
    void SetFont(HFONT font) { font_ = font; }
    const NetworkTrafficChart& Samples() const { return samples_; }

    // The top of the scale for a highest sample (kilobits per second): 1, 2 or 5 times a power
    // of ten, at least 10 kbps.
    static double ScaleTop(double highest);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void Paint(HDC dc, const RECT& area) const;

    NetworkTrafficChart samples_;
    HFONT font_ = nullptr;
};

}  // namespace vexav6::ui::win32
