#ifdef _WIN32

#include "platform/win32/win32_ui.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/scoped_handle.h"

namespace vexav6::win32 {
namespace {

// Puts a pipe in place of the standard output (or error) for the life of the object.
class RedirectedOutput {
  public:
    explicit RedirectedOutput(DWORD which = STD_OUTPUT_HANDLE)
        : which_(which), previous_(::GetStdHandle(which)) {
        HANDLE read = nullptr;
        HANDLE write = nullptr;
        EXPECT_TRUE(::CreatePipe(&read, &write, nullptr, 1 << 16));
        read_.Reset(read);
        write_.Reset(write);
        ::SetStdHandle(which_, write);
    }
    ~RedirectedOutput() { ::SetStdHandle(which_, previous_); }

    // Everything written so far (the writing end is closed first).
    std::string Written() {
        ::SetStdHandle(which_, previous_);
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
    DWORD which_;
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

TEST(Win32Ui, ErrorsGoToARedirectedStandardErrorApartFromTheOutput) {
    RedirectedOutput output;
    RedirectedOutput error(STD_ERROR_HANDLE);
    Win32Ui ui;
    EXPECT_TRUE(ui.WriteConsoleText("list\r\n"));
    // Silent: no box; the report still reaches standard error.
    ui.ShowCommandLineMessage("Error: (1) Unknown option '-mac'.", "Error - title",
                              platform::MessageBoxIcon::Critical, true);
    EXPECT_FALSE(ui.ConsoleIsTerminal());
    EXPECT_EQ(error.Written(), "Error - title\r\nError: (1) Unknown option '-mac'.\r\n");
    EXPECT_EQ(output.Written(), "list\r\n");
}

}  // namespace
}  // namespace vexav6::win32

#endif
