#pragma once

#include <algorithm>

#include "platform/win32/windows_include.h"

// Layout by slicing rectangles: a window takes its client rectangle, cuts strips off its sides
// for its controls (in pixels already scaled with a Scaler), and places each control in its
// strip. Resizing runs the same code again, so controls follow the window's size.
namespace vexav6::ui::win32 {

struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static Box Of(const RECT& rect) { return Box{rect.left, rect.top, rect.right, rect.bottom}; }
    static Box Client(HWND window) {
        RECT rect{};
        ::GetClientRect(window, &rect);
        return Of(rect);
    }

    int Width() const { return std::max(0, right - left); }
    int Height() const { return std::max(0, bottom - top); }

    // A copy with `margin` taken off every side.
    Box Inset(int margin) const { return Inset(margin, margin); }
    Box Inset(int horizontal, int vertical) const {
        return Box{left + horizontal, top + vertical,
                   std::max(left + horizontal, right - horizontal),
                   std::max(top + vertical, bottom - vertical)};
    }

    // Cuts a strip of `size` off one side and returns it; `gap` more is dropped after it.
    Box TakeTop(int size, int gap = 0) {
        const Box strip{left, top, right, std::min(bottom, top + size)};
        top = std::min(bottom, strip.bottom + gap);
        return strip;
    }
    Box TakeBottom(int size, int gap = 0) {
        const Box strip{left, std::max(top, bottom - size), right, bottom};
        bottom = std::max(top, strip.top - gap);
        return strip;
    }
    Box TakeLeft(int size, int gap = 0) {
        const Box strip{left, top, std::min(right, left + size), bottom};
        left = std::min(right, strip.right + gap);
        return strip;
    }
    Box TakeRight(int size, int gap = 0) {
        const Box strip{std::max(left, right - size), top, right, bottom};
        right = std::max(left, strip.left - gap);
        return strip;
    }
    // A box of `height` centred vertically in this one.
    Box CentredHeight(int height) const {
        const int y = top + std::max(0, (Height() - height) / 2);
        return Box{left, y, right, std::min(bottom, y + height)};
    }
};

// Moves a set of child windows at once (one repaint), through DeferWindowPos.
class MoveBatch {
  public:
    explicit MoveBatch(int count) : handle_(::BeginDeferWindowPos(count)) {}
    ~MoveBatch() {
        if (handle_ != nullptr) {
            ::EndDeferWindowPos(handle_);
        }
    }
    MoveBatch(const MoveBatch&) = delete;
    MoveBatch& operator=(const MoveBatch&) = delete;

    void Move(HWND window, const Box& box) {
        if (window == nullptr) {
            return;
        }
        if (handle_ != nullptr) {
            handle_ = ::DeferWindowPos(handle_, window, nullptr, box.left, box.top, box.Width(),
                                       box.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (handle_ == nullptr) {
            ::SetWindowPos(window, nullptr, box.left, box.top, box.Width(), box.Height(),
                           SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }

  private:
    HDWP handle_;
};

}  // namespace vexav6::ui::win32
