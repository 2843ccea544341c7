// The tray icon, the about box, the proxy dialog and the preset file association, reached from
// the real main window under Wine.
#include "platform/win32/windows_include.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/win32/wide_text.h"
#include "presets/ie_proxy.h"
#include "presets/settings.h"
#include "ui/win32/frm_proxy_window.h"
#include "ui/win32/frm_tray_window.h"
#include "window/window_bench.h"

namespace vexav6::testing {
namespace {

using platform::MessageBoxResult;
using platform::RootKey;
using ui::MainMenu;
using ui::win32::frmProxyWindow;
using ui::win32::frmTrayWindow;

class SmallWindowsTest : public WindowBench {
  protected:
    void SetUp() override {
        LoadMachine("demo.json");
        CopyVendorDatabase();
    }

    // The icon's callback as the shell sends it.
    void TrayMouse(UINT mouseMessage) {
        ::SendMessageW(Window().Tray()->Handle(), ui::kTrayCallbackMessage, 1, mouseMessage);
        Pump();
    }
};

TEST_F(SmallWindowsTest, TrayIconShowsAndHidesTheWindowAndItsMenuExits) {
    ASSERT_TRUE(Open());  // a first start has the tray icon on
    frmTrayWindow* tray = Window().Tray();
    ASSERT_NE(tray, nullptr);
    EXPECT_TRUE(tray->Presenter().Installed());
    EXPECT_TRUE(MenuChecked(MainMenu::OptionsTrayIcon));
    EXPECT_EQ(vexav6::win32::Narrow(tray->Tip()), Caption());

    // The close box only hides the window while the icon is there; the icon shows it again.
    ::SendMessageW(Main(), WM_CLOSE, 0, 0);
    Pump();
    ASSERT_TRUE(::IsWindow(Main()));
    EXPECT_FALSE(::IsWindowVisible(Main()));
    TrayMouse(WM_LBUTTONUP);
    EXPECT_TRUE(::IsWindowVisible(Main()));
    TrayMouse(WM_LBUTTONUP);
    EXPECT_FALSE(::IsWindowVisible(Main()));
    TrayMouse(WM_LBUTTONUP);

    // Behind a modal dialog the icon does nothing.
    ::EnableWindow(Main(), FALSE);
    TrayMouse(WM_LBUTTONUP);
    EXPECT_TRUE(::IsWindowVisible(Main()));
    ::EnableWindow(Main(), TRUE);

    // The menu: photographed while open, then E&xit by its access key.
    bool photographed = false;
    RECT area{};
    ::GetWindowRect(Main(), &area);
    tray->menuPosition = POINT{area.left + 200, area.top + 120};
    std::string caption;
    static std::function<void()> whileOpen;
    whileOpen = [&] {
        // The menu is a window of the screen: photograph the area of the main window with it,
        // without bringing the window forward (the menu would close).
        Screenshot(Main(), "tray-menu", false);
        photographed = true;
        ::keybd_event('X', 0, 0, 0);
        ::keybd_event('X', 0, KEYEVENTF_KEYUP, 0);
    };
    tray->onMenuOpen = [&](HMENU menu) {
        wchar_t text[64] = {};
        ::GetMenuStringW(menu, frmTrayWindow::kShowHide, text, 64, MF_BYCOMMAND);
        caption = vexav6::win32::Narrow(text);
        ::SetTimer(tray->Handle(), 1, 300, [](HWND window, UINT, UINT_PTR id, DWORD) {
            ::KillTimer(window, id);
            whileOpen();
        });
    };
    TrayMouse(WM_RBUTTONUP);
    EXPECT_TRUE(photographed);
    EXPECT_EQ(caption, "&Hide Window");
    // Exit: the window hides, the state is saved, the program ends half a second later.
    EXPECT_FALSE(::IsWindowVisible(Main()));
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "vexav6.set"));
    EXPECT_TRUE(::IsWindow(Main()));
    machine.timers.AdvanceTime(500);
    Pump();
    EXPECT_FALSE(::IsWindow(Main()));
}

TEST_F(SmallWindowsTest, AssociationIsCheckedAtStartAndWrittenByTheMenu) {
    const std::string command = "Vexav6.0\\shell\\open\\command";
    machine.registry.RemoveTree(RootKey::ClassesRoot, ".kpf");
    machine.registry.RemoveTree(RootKey::ClassesRoot, "Vexav6.0");
    machine.ui.ScriptAnswer(MessageBoxResult::No);
    ASSERT_TRUE(Open());
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].buttons, platform::MessageBoxButtons::YesNo);
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::ClassesRoot, ".kpf"));

    machine.ui.ClearBoxes();
    Command(MainMenu::FileAssociate);
    EXPECT_EQ(machine.registry.GetString(RootKey::ClassesRoot, ".kpf", ""), "Vexav6.0");
    EXPECT_EQ(machine.registry.GetString(RootKey::ClassesRoot, command, ""),
              "\"" + machine.system.programFile + "\" -o \"%1\"");
    EXPECT_EQ(machine.ui.Boxes().size(), 1u);  // it says so

    // The start-up check can be switched off.
    EXPECT_TRUE(MenuChecked(MainMenu::OptionsFileAssociationCheck));
    Command(MainMenu::OptionsFileAssociationCheck);
    EXPECT_FALSE(MenuChecked(MainMenu::OptionsFileAssociationCheck));
    EXPECT_FALSE(Presenter().GetSettings()->CheckFileAssociation);
}

TEST_F(SmallWindowsTest, AboutBoxOpensFromTheHelpMenuAndClosesOnAKey) {
    ASSERT_TRUE(Open());
    HWND about = nullptr;
    bool ownerDisabled = false;
    OnNextModal([&](HWND box) {
        about = box;
        ownerDisabled = !::IsWindowEnabled(Main());
        Screenshot(box, "about-box");
        ::PostMessageW(box, WM_KEYDOWN, VK_SPACE, 1);
    });
    Command(MainMenu::HelpAbout);
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_FALSE(::IsWindow(about));
    EXPECT_TRUE(::IsWindowEnabled(Main()));
}

TEST_F(SmallWindowsTest, ProxyDialogRefusesABadPortAndStaysOpenThenStores) {
    machine.registry.PutString(RootKey::CurrentUser, IEProxy::kInternetSettingsKey, "ProxyServer",
                               "proxy.example:3128");
    ASSERT_TRUE(Open());
    machine.ui.ClearBoxes();
    bool stayedOpen = false;
    OnNextModal([&](HWND dialog) {
        const auto control = [dialog](int id) { return ::GetDlgItem(dialog, id); };
        EXPECT_EQ(TextOf(control(frmProxyWindow::kServer)), "proxy.example");
        EXPECT_EQ(TextOf(control(frmProxyWindow::kPort)), "3128");
        // Off at first (the menu's check mark): the boxes are disabled until it is ticked.
        EXPECT_FALSE(::IsWindowEnabled(control(frmProxyWindow::kPort)));
        ::SendMessageW(control(frmProxyWindow::kEnable), BM_CLICK, 0, 0);
        EXPECT_TRUE(::IsWindowEnabled(control(frmProxyWindow::kPort)));
        ::SetWindowTextW(control(frmProxyWindow::kPort), L"31x8");
        Screenshot(dialog, "proxy-dialog");
        ::SendMessageW(control(IDOK), BM_CLICK, 0, 0);
        stayedOpen = ::IsWindow(dialog) != FALSE && ::IsWindowVisible(dialog) != FALSE;
        ::SetWindowTextW(control(frmProxyWindow::kPort), L"3129");
        ::SendMessageW(control(IDOK), BM_CLICK, 0, 0);
    });
    Command(MainMenu::OptionsProxy);
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_NE(machine.ui.Boxes()[0].text.find("'31x8'"), std::string::npos);
    EXPECT_TRUE(IEProxy::IsProxyEnabled(platform));
    EXPECT_EQ(IEProxy::GetProxyServer(platform), "proxy.example:3129");
    EXPECT_TRUE(MenuChecked(MainMenu::OptionsProxy));
}

}  // namespace
}  // namespace vexav6::testing
