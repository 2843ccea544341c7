#pragma once

#include <string>

#include "base/app_info.h"

// The about box: the product name and version on a plain window that any click, Enter, Escape or
// Space closes.
namespace vexav6::ui::frmAbout {

inline std::string Caption() {
    return std::string("About ") + app::kTitle;
}
inline std::string ProductName() {
    return app::kTitle;
}
inline std::string VersionText() {
    return "Version " + app::FullVersion();
}

// Virtual key codes that close the box.
inline bool ClosesOnKey(int virtualKey) {
    constexpr int kReturn = 0x0D;
    constexpr int kEscape = 0x1B;
    constexpr int kSpace = 0x20;
    return virtualKey == kReturn || virtualKey == kEscape || virtualKey == kSpace;
}

}  // namespace vexav6::ui::frmAbout
