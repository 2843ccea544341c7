#ifdef _WIN32

#include "platform/win32/win32_ui.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/scoped_handle.h"

namespace vexav6::win32 {
namespace {

// Puts a pipe in place of the standard output for the life of the object.
class RedirectedOutput {
  public:
    RedirectedOutput() : previous_(::GetStdHandle(STD_OUTPUT_HANDLE)) {
        HANDLE read = nullptr;
        HANDLE write = nullptr;
        EXPECT_TRUE(::CreatePipe(&read, &write, nullptr, 1 << 16));
        read_.Reset(read);
        write_.Reset(write);
        ::SetStdHandle(STD_OUTPUT_HANDLE, write);
    }
    ~RedirectedOutput() { ::SetStdHandle(STD_OUTPUT_HANDLE, previous_); }

    // Everything written so far (the writing end is closed first).
    std::string Written() {
        ::SetStdHandle(STD_OUTPUT_HANDLE, previous_);
        write_.Reset();
        std::string bytes;
        char buffer[4096];
        DWORD read = 0;
        while (::ReadFile(read_.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
            bytes.append(buffer, read);
        }
        return bytes;
    }

  private:
    HANDLE previous_;
    ScopedKernelHandle read_;
    ScopedKernelHandle write_;
};

TEST(Win32Ui, ConsoleTextGoesToARedirectedOutputAsUtf8) {
    RedirectedOutput output;
    Win32Ui ui;
    const std::string text = "Wi-Fi\tYes\r\nR\xC3\xA9seau\r\n";
    EXPECT_TRUE(ui.WriteConsoleText(text));
    EXPECT_TRUE(ui.WriteConsoleText("more\r\n"));
    EXPECT_EQ(output.Written(), text + "more\r\n");
}

}  // namespace
}  // namespace vexav6::win32

#endif
