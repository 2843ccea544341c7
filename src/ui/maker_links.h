#pragma once

// The maker's web pages that the windows open with the shell's "open" verb. They are set when the
// program is built (cmake -DVEXAV6_WEBSITE_URL=... and so on); these are the defaults.
namespace vexav6::ui::links {

#ifndef VEXAV6_WEBSITE_URL
#define VEXAV6_WEBSITE_URL "https://vexav6.korvaldine.example/"
#endif
#ifndef VEXAV6_BLOG_URL
#define VEXAV6_BLOG_URL "https://blog.korvaldine.example/"
#endif
#ifndef VEXAV6_WHY_02_URL
#define VEXAV6_WHY_02_URL "https://vexav6.korvaldine.example/help/wireless-02/"
#endif

inline constexpr const char* kWebsite = VEXAV6_WEBSITE_URL;
inline constexpr const char* kBlog = VEXAV6_BLOG_URL;
// Why wireless adapters need 02 as the first octet of a changed address.
inline constexpr const char* kWhy02 = VEXAV6_WHY_02_URL;
// The user guide beside the program.
inline constexpr const char* kHelpFile = "help.html";

}  // namespace vexav6::ui::links
