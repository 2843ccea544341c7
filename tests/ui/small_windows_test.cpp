#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/sim/machine.h"
#include "ui/fake_tray.h"
#include "ui/file_association.h"
#include "ui/frm_proxy.h"
#include "ui/frm_tray.h"
#include "ui/link_label.h"
#include "ui/progress_bar.h"

namespace vexav6::testing {
namespace {

using platform::MessageBoxResult;
using platform::RootKey;
using ui::TrayCommand;

// The main window as the tray presenter sees it, with the tray window.
class FakeTray : public FakeTrayView, public ui::TrayOwner {
  public:
    bool MainWindowEnabled() override { return enabled; }
    bool MainWindowVisible() override { return visible; }
    void ShowMainWindow(bool show) override { visible = show; }
    void CheckForUpdates() override { log.push_back("updates"); }
    void ShowAbout() override { log.push_back("about"); }
    void Dispose() override { log.push_back("dispose"); }
    void EndProgram() override { log.push_back("end"); }

    bool enabled = true;
    bool visible = true;
};

class TrayTest : public ::testing::Test {
  protected:
    TrayTest() { fake.presenter = &tray; }

    sim::Machine machine;
    Platform platform = machine.GetPlatform();
    FakeTray fake;
    ui::frmTray tray{platform, fake, fake};
};

TEST_F(TrayTest, IconTipAnimationAndClicks) {
    tray.RemoveTray();  // not installed: nothing to remove
    const std::string tip(70, 't');
    tray.LoadIcon(tip);
    tray.LoadIcon("second");
    EXPECT_EQ(fake.log, std::vector<std::string>{"add 3 " + std::string(64, 't')});

    tray.Animation(true);
    machine.timers.AdvanceTime(10 * 500);
    EXPECT_EQ(fake.frames, (std::vector<int>{3, 0, 1, 2, 3, 3, 2, 1, 0, 0, 1}));
    tray.Animation(false);
    machine.timers.AdvanceTime(2000);
    EXPECT_EQ(fake.frames.back(), 3);
    EXPECT_EQ(fake.frames.size(), 12u);

    // Behind a modal dialog a click changes nothing.
    fake.enabled = false;
    tray.OnTrayCallback(ui::kTrayLeftButtonUp);
    tray.OnTrayCallback(ui::kTrayRightButtonUp);
    EXPECT_TRUE(fake.visible);
    fake.enabled = true;
    tray.OnTrayCallback(ui::kTrayLeftButtonUp);
    EXPECT_FALSE(fake.visible);

    fake.menuChoice = TrayCommand::ShowHide;
    tray.OnTrayCallback(ui::kTrayRightButtonUp);
    EXPECT_EQ(fake.menuCaption, "&Show Window");
    EXPECT_TRUE(fake.visible);
    fake.menuChoice = TrayCommand::Website;
    tray.OnTrayCallback(ui::kTrayRightButtonUp);
    EXPECT_EQ(fake.menuCaption, "&Hide Window");
    tray.OnMenuCommand(TrayCommand::HelpTopics);
    ASSERT_EQ(machine.system.ShellCalls().size(), 2u);
    EXPECT_EQ(machine.system.ShellCalls()[0].verb, "open");
    EXPECT_TRUE(machine.system.ShellCalls()[1].file.ends_with("Vexav6\\help.html") ||
                machine.system.ShellCalls()[1].file.ends_with("Vexav6/help.html"));
}

TEST_F(TrayTest, ExitHidesSavesRemovesTheIconAndEndsHalfASecondLater) {
    tray.LoadIcon("tip");
    tray.Animation(true);
    fake.log.clear();
    tray.OnMenuCommand(TrayCommand::Exit);
    EXPECT_EQ(fake.log, (std::vector<std::string>{"dispose", "remove"}));
    EXPECT_FALSE(fake.visible);
    EXPECT_FALSE(tray.Animating());
    machine.timers.AdvanceTime(499);
    EXPECT_EQ(fake.log.size(), 2u);
    machine.timers.AdvanceTime(1);
    EXPECT_EQ(fake.log.back(), "end");
    machine.timers.AdvanceTime(5000);
    EXPECT_EQ(fake.log.size(), 3u);
}

TEST_F(TrayTest, CloseWithoutExitOnlyRemovesTheIcon) {
    tray.LoadIcon("tip");
    fake.log.clear();
    fake.Close();
    EXPECT_EQ(fake.log, (std::vector<std::string>{"remove", "closed"}));
    EXPECT_TRUE(fake.visible);
}

class FileAssociationTest : public ::testing::Test {
  protected:
    std::optional<std::string> Default(const std::string& key) {
        return machine.registry.GetString(RootKey::ClassesRoot, key, "");
    }

    sim::Machine machine;
    Platform platform = machine.GetPlatform();
};

TEST_F(FileAssociationTest, MissingAssociationIsAskedForAndWritten) {
    // Another program's association, with a subkey of its own.
    machine.registry.PutString(RootKey::ClassesRoot, ".kpf", "", "Other.File");
    machine.registry.PutString(RootKey::ClassesRoot, ".kpf\\OpenWithProgids", "Other.File", "");
    machine.ui.ScriptAnswer(MessageBoxResult::Yes);
    ui::FileAssociation::CheckFileAssociation(platform, false);

    ASSERT_EQ(machine.ui.Boxes().size(), 2u);
    EXPECT_EQ(machine.ui.Boxes()[0].text,
              "The preset file (.kpf) is not currently associated with Korvaldine MAC Address "
              "Changer\r\n\r\nDo you want to associate the preset file (.kpf) with Korvaldine MAC "
              "Address Changer now?");
    EXPECT_EQ(machine.ui.Boxes()[1].text,
              "Preset file (.kpf) was successfully associated with Korvaldine MAC Address "
              "Changer.");
    EXPECT_EQ(Default(".kpf"), "Vexav6.0");
    EXPECT_FALSE(machine.registry.KeyExists(RootKey::ClassesRoot, ".kpf\\OpenWithProgids"));
    EXPECT_EQ(Default("Vexav6.0"), "Korvaldine Preset File");
    EXPECT_EQ(Default("Vexav6.0\\DefaultIcon"), "C:\\Program Files\\Vexav6\\vexav6.exe,0");
    EXPECT_EQ(Default("Vexav6.0\\shell\\open\\command"),
              "\"C:\\Program Files\\Vexav6\\vexav6.exe\" -o \"%1\"");

    // Associated now: the check asks nothing; No to the question leaves the registry alone.
    machine.ui.ClearBoxes();
    ui::FileAssociation::CheckFileAssociation(platform, false);
    EXPECT_TRUE(machine.ui.Boxes().empty());
    machine.registry.PutString(RootKey::ClassesRoot, ".kpf", "", "Other.File");
    machine.ui.ScriptAnswer(MessageBoxResult::No);
    ui::FileAssociation::CheckFileAssociation(platform, false);
    EXPECT_EQ(Default(".kpf"), "Other.File");
}

TEST_F(FileAssociationTest, FailedWriteIsReportedWithItsSource) {
    machine.registry.InjectFailure(sim::SimRegistry::Op::Set, RootKey::ClassesRoot,
                                   "Vexav6.0\\DefaultIcon", "", 5);
    ui::FileAssociation::CheckFileAssociation(platform, true);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_NE(machine.ui.Boxes()[0].text.find("Source: FileAssociation"), std::string::npos);
    EXPECT_NE(machine.ui.Boxes()[0].text.find("Error: (5)"), std::string::npos);
}

class FakeProxyView : public ui::frmProxyView {
  public:
    void SetEnableChecked(bool value) override { checked = value; }
    void SetServerPortEnabled(bool value) override { boxesEnabled = value; }
    void SetServer(const std::string& value) override { server = value; }
    void SetPort(const std::string& value) override { port = value; }
    std::string Server() const override { return server; }
    std::string Port() const override { return port; }
    void FocusServer() override {}
    void FocusPort() override { portFocused = true; }
    void Close() override { closed = true; }

    bool checked = false;
    bool boxesEnabled = false;
    std::string server;
    std::string port;
    bool portFocused = false;
    bool closed = false;
};

TEST(ProxyDialogTest, BadPortKeepsTheDialogOpen) {
    sim::Machine machine;
    FakeProxyView view;
    ui::frmProxy dialog(machine.GetPlatform(), view);
    dialog.Prepare(false, "");
    EXPECT_EQ(view.port, "8080");
    EXPECT_FALSE(view.boxesEnabled);

    dialog.Prepare(true, "proxy.example:3128");
    EXPECT_EQ(view.server, "proxy.example");
    EXPECT_EQ(view.port, "3128");
    EXPECT_TRUE(view.boxesEnabled);

    view.port = "31a8";
    dialog.cmdOK_Click();
    EXPECT_FALSE(view.closed);
    EXPECT_TRUE(view.portFocused);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_NE(machine.ui.Boxes()[0].text.find("'31a8'"), std::string::npos);
    EXPECT_EQ(dialog.Result, ui::frmProxy::kResultCancel);

    view.server = "  proxy.example ";
    view.port = "3129";
    dialog.cmdOK_Click();
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(dialog.Result, ui::frmProxy::kResultOK);
    EXPECT_TRUE(dialog.ProxyEnable);
    EXPECT_EQ(dialog.ProxyServer, "proxy.example");
    EXPECT_EQ(dialog.ProxyPort, 3129);
}

class FakeLabel : public ui::LinkLabelView {
  public:
    void ShowCaption(const std::string& text, ui::TextColour value) override {
        caption = text;
        colour = value;
    }
    std::string caption;
    ui::TextColour colour;
};

TEST(LinkLabelTest, ColoursFollowTheButtonAndClickOpensTheAddress) {
    sim::Machine machine;
    FakeLabel view;
    ui::LinkLabel link(machine.GetPlatform(), view, "linkWhy");
    EXPECT_EQ(view.caption, "linkWhy");
    EXPECT_EQ(view.colour, ui::LinkLabel::kBlue);
    link.SetLinkCaption("Why?");
    link.SetLinkURI("https://example.org/why");
    link.MouseDown();
    EXPECT_EQ(view.colour, (ui::TextColour{255, 0, 0}));
    link.MouseUp();
    EXPECT_EQ(view.colour, (ui::TextColour{0, 0, 255}));
    EXPECT_EQ(view.caption, "Why?");
    link.Click();
    ASSERT_EQ(machine.system.ShellCalls().size(), 1u);
    EXPECT_EQ(machine.system.ShellCalls()[0].file, "https://example.org/why");
}

TEST(ProgressBarTest, OutOfRangeValuesAreIgnored) {
    ui::ProgressBar bar;
    EXPECT_TRUE(bar.SetPercent(40));
    EXPECT_EQ(bar.FilledWidth(250), 100);
    EXPECT_FALSE(bar.SetPercent(101));
    EXPECT_EQ(bar.Percent(), 40);
    EXPECT_TRUE(bar.SetPercent(0));
    EXPECT_EQ(bar.FilledWidth(250), 0);
}

}  // namespace
}  // namespace vexav6::testing
