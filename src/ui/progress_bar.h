#pragma once

#include <cstdint>

namespace vexav6::ui {

// The flat progress bar of the splash window: a filled part of Percent × width / 100.
class ProgressBar {
  public:
    int16_t Percent() const { return percent_; }
    // Accepts 0 to 100; any other value is ignored and the bar keeps its state. True when the
    // value changed (the window then repaints).
    bool SetPercent(int16_t percent) {
        if (percent < 0 || percent > 100 || percent == percent_) {
            return false;
        }
        percent_ = percent;
        return true;
    }
    // The width of the filled part in a control `width` wide.
    int32_t FilledWidth(int32_t width) const { return percent_ * width / 100; }

  private:
    int16_t percent_ = 0;
};

}  // namespace vexav6::ui
