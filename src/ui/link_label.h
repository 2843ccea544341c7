#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vexav6::ui {

struct TextColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const TextColour&) const = default;
};

// What the hyperlink label tells its window.
class LinkLabelView {
  public:
    virtual ~LinkLabelView() = default;

    // Shows the caption in the colour and sizes the control to the caption.
    virtual void ShowCaption(const std::string& caption, TextColour colour) = 0;
};

// A label that opens a web address when clicked: blue, red while the mouse button is down.
class LinkLabel {
  public:
    static constexpr TextColour kBlue{0, 0, 255};
    static constexpr TextColour kRed{255, 0, 0};

    // The caption starts as the control's own name.
    LinkLabel(const Platform& platform, LinkLabelView& view, std::string name);

    const std::string& LinkCaption() const { return caption_; }
    void SetLinkCaption(std::string_view caption);
    const std::string& LinkURI() const { return uri_; }
    void SetLinkURI(std::string_view uri) { uri_ = std::string(uri); }
    TextColour Colour() const { return colour_; }

    void MouseDown();
    void MouseUp();
    // Opens the address with the shell's "open" verb; a failure is not reported.
    void Click();

  private:
    void Show();

    Platform platform_;
    LinkLabelView& view_;
    std::string caption_;
    std::string uri_;
    TextColour colour_ = kBlue;
};

}  // namespace vexav6::ui
