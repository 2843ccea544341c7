#include "platform/win32/system_message.h"

#include "base/text.h"
#include "platform/win32/windows_include.h"

namespace vexav6::win32 {

std::string SystemMessage(platform::Status code) {
    wchar_t buffer[1024];
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                         0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    if (length == 0) {
        return {};
    }
    return text::Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(buffer), length));
}

}  // namespace vexav6::win32
