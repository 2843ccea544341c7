#pragma once

#include "base/app_info.h"

// The maker's web pages that the windows open with the shell's "open" verb. They can be set when
// the program is built (-DVEXAV6_BLOG_URL=... and so on); the web site is the product's address
// unless VEXAV6_WEBSITE_URL names another.
namespace vexav6::ui::links {

#ifdef VEXAV6_WEBSITE_URL
inline constexpr const char* kWebsite = VEXAV6_WEBSITE_URL;
#else
inline constexpr const char* kWebsite = app::kProductWebAddress;
#endif
#ifndef VEXAV6_BLOG_URL
#define VEXAV6_BLOG_URL "https://blog.korvaldine.example/"
#endif
#ifndef VEXAV6_WHY_02_URL
#define VEXAV6_WHY_02_URL "https://vexav6.korvaldine.example/help/wireless-02/"
#endif

inline constexpr const char* kBlog = VEXAV6_BLOG_URL;
// Why wireless adapters need 02 as the first octet of a changed address.
inline constexpr const char* kWhy02 = VEXAV6_WHY_02_URL;
// The user guide beside the program.
inline constexpr const char* kHelpFile = "help.html";

}  // namespace vexav6::ui::links
