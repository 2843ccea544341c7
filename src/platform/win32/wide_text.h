#pragma once

#include <string>
#include <string_view>

#include "base/text.h"

// UTF-8 inside the program, UTF-16 at the Win32 call.
namespace vexav6::win32 {

inline std::wstring Widen(std::string_view utf8) {
    const std::u16string utf16 = text::Utf8ToUtf16(utf8);
    return std::wstring(utf16.begin(), utf16.end());
}

inline std::string Narrow(std::wstring_view wide) {
    return text::Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace vexav6::win32
