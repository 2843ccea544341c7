#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/win32/frm_about_window.h"
#include "ui/win32/frm_proxy_window.h"
#include "ui/win32/frm_tray_window.h"
#include "window/mac_panel_bench.h"

namespace vexav6::testing {
namespace {

using ui::win32::frmProxyWindow;
using ui::win32::frmTrayWindow;

// The host window stands in for the main window the tray serves.
class TrayWindowTest : public WindowBench, public ui::TrayOwner {
  protected:
    TrayWindowTest() {
        EXPECT_TRUE(tray.Create());
        tray.Presenter().LoadIcon("Korvaldine MAC Address Changer v6");
    }

    bool MainWindowEnabled() override { return ::IsWindowEnabled(host) != FALSE; }
    bool MainWindowVisible() override { return ::IsWindowVisible(host) != FALSE; }
    void ShowMainWindow(bool show) override { ::ShowWindow(host, show ? SW_SHOW : SW_HIDE); }
    void CheckForUpdates() override { log.push_back("updates"); }
    void ShowAbout() override { log.push_back("about"); }
    void Dispose() override { log.push_back("dispose"); }
    void EndProgram() override { log.push_back("end"); }

    // The icon's callback as the shell sends it.
    void TrayMouse(UINT mouseMessage) {
        ::SendMessageW(tray.Handle(), ui::kTrayCallbackMessage, 1, mouseMessage);
        Pump();
    }

    frmTrayWindow tray{platform, *this};
    std::vector<std::string> log;
};

TEST_F(TrayWindowTest, ClicksShowAndHideTheWindowAndTheMenuExits) {
    EXPECT_TRUE(tray.Presenter().Installed());
    TrayMouse(WM_LBUTTONUP);
    EXPECT_FALSE(::IsWindowVisible(host));
    TrayMouse(WM_LBUTTONUP);
    EXPECT_TRUE(::IsWindowVisible(host));

    // Behind a modal dialog the icon does nothing.
    ::EnableWindow(host, FALSE);
    TrayMouse(WM_LBUTTONUP);
    EXPECT_TRUE(::IsWindowVisible(host));
    ::EnableWindow(host, TRUE);

    // The menu: photographed while open, then E&xit by its access key.
    RECT area{};
    ::GetWindowRect(host, &area);
    tray.menuPosition = POINT{area.left + 200, area.top + 120};
    std::string caption;
    tray.onMenuOpen = [&](HMENU menu) {
        wchar_t text[64] = {};
        ::GetMenuStringW(menu, frmTrayWindow::kShowHide, text, 64, MF_BYCOMMAND);
        caption = win32::Narrow(text);
        ::SetTimer(tray.Handle(), 1, 300, [](HWND window, UINT, UINT_PTR id, DWORD) {
            ::KillTimer(window, id);
            Photograph(::GetDesktopWindow(), "tray-menu");
            ::keybd_event('X', 0, 0, 0);
            ::keybd_event('X', 0, KEYEVENTF_KEYUP, 0);
        });
    };
    TrayMouse(WM_RBUTTONUP);
    EXPECT_EQ(caption, "&Hide Window");
    EXPECT_EQ(log, (std::vector<std::string>{"dispose"}));
    EXPECT_FALSE(::IsWindowVisible(host));
    EXPECT_FALSE(tray.Presenter().Installed());
    // The program ends half a second later (on the simulated machine's clock).
    machine.timers.AdvanceTime(499);
    EXPECT_EQ(log.size(), 1u);
    machine.timers.AdvanceTime(1);
    EXPECT_EQ(log, (std::vector<std::string>{"dispose", "end"}));
}

class SmallWindowTest : public WindowBench {};

TEST_F(SmallWindowTest, AboutBoxClosesOnAKey) {
    ui::win32::frmAboutWindow about(platform);
    ASSERT_TRUE(about.Create(host));
    Pump();
    Photograph(about.Handle(), "about-box");
    const HWND box = about.Handle();
    ::PostMessageW(box, WM_KEYDOWN, VK_SPACE, 1);
    about.RunModal();
    EXPECT_FALSE(::IsWindow(box));
    EXPECT_TRUE(::IsWindowEnabled(host));
}

TEST_F(SmallWindowTest, ProxyDialogRefusesABadPortAndStaysOpen) {
    frmProxyWindow dialog(platform);
    ASSERT_TRUE(dialog.Create(host, font, true, "proxy.example:3128"));
    Pump();
    EXPECT_EQ(WindowText(dialog.Control(frmProxyWindow::kServer)), "proxy.example");
    EXPECT_TRUE(::IsWindowEnabled(dialog.Control(frmProxyWindow::kPort)));
    ::SetWindowTextW(dialog.Control(frmProxyWindow::kPort), L"31x8");
    Photograph(dialog.Handle(), "proxy-dialog");
    ::SendMessageW(dialog.Control(IDOK), BM_CLICK, 0, 0);
    Pump();
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_NE(machine.ui.Boxes()[0].text.find("'31x8'"), std::string::npos);
    EXPECT_TRUE(::IsWindow(dialog.Handle()));

    // Clearing the box disables both text boxes; OK then stores the switch only.
    ::SendMessageW(dialog.Control(frmProxyWindow::kEnable), BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindowEnabled(dialog.Control(frmProxyWindow::kPort)));
    ::SendMessageW(dialog.Control(frmProxyWindow::kEnable), BM_CLICK, 0, 0);
    ::SetWindowTextW(dialog.Control(frmProxyWindow::kPort), L"3129");
    ::PostMessageW(dialog.Control(IDOK), BM_CLICK, 0, 0);
    dialog.RunModal();
    EXPECT_EQ(dialog.Presenter().Result, ui::frmProxy::kResultOK);
    EXPECT_EQ(dialog.Presenter().ProxyServer, "proxy.example");
    EXPECT_EQ(dialog.Presenter().ProxyPort, 3129);
    EXPECT_TRUE(dialog.Presenter().ProxyEnable);
}

}  // namespace
}  // namespace vexav6::testing
