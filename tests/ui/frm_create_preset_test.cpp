#include "ui/frm_create_preset.h"

#include <gtest/gtest.h>

#include "platform/sim/machine.h"
#include "ui/preset_fakes.h"

namespace vexav6::ui {
namespace {

using C = PresetControl;

class frmCreatePresetTest : public ::testing::Test {
  protected:
    bool On(C control) { return view.enabled.at(control); }

    sim::Machine machine;
    Platform platform = machine.GetPlatform();
    FakeEditorView view;
    frmCreatePreset editor{platform, view};
};

TEST_F(frmCreatePresetTest, BoxesEnableEachOtherAndShapeTheWorkingPreset) {
    // A new window: nothing included, the first tab, both panels on one new preset.
    EXPECT_EQ(view.caption, "Create New Preset");
    EXPECT_EQ(view.tab, 0);
    EXPECT_FALSE(On(C::MACBox));
    EXPECT_FALSE(On(C::RandomMAC));
    EXPECT_FALSE(On(C::EnableProxy));
    EXPECT_FALSE(On(C::DHCPv4));
    ASSERT_TRUE(view.ipv4);
    EXPECT_EQ(view.ipv4, view.ipv6);

    // The MAC box only for an included custom address.
    editor.OnCheckChanged(C::IncludeMAC, true);
    EXPECT_TRUE(On(C::RandomMAC));
    EXPECT_FALSE(On(C::MACBox));
    editor.OnOptionSelected(C::CustomMAC);
    EXPECT_TRUE(On(C::MACBox));
    editor.OnCheckChanged(C::IncludeMAC, false);
    EXPECT_FALSE(On(C::MACBox));
    EXPECT_FALSE(On(C::CustomMAC));

    // Server and port only when the proxy is included and enabled.
    editor.OnCheckChanged(C::IncludeProxy, true);
    EXPECT_TRUE(On(C::EnableProxy));
    EXPECT_FALSE(On(C::ProxyPort));
    editor.OnCheckChanged(C::EnableProxy, true);
    EXPECT_TRUE(On(C::ProxyServer));
    EXPECT_TRUE(On(C::ProxyPort));

    // IPv4: a checked box makes its list present; DHCP takes the addresses and gateways away.
    editor.OnCheckChanged(C::IncludeIPv4, true);
    EXPECT_TRUE(editor.GetPreset()->IPv4Selected());
    EXPECT_TRUE(On(C::IPv4Address));
    editor.OnCheckChanged(C::IPv4Address, true);
    editor.OnCheckChanged(C::IPv4DNS, true);
    ASSERT_TRUE(view.ipv4->IPv4Addresses());
    NameServerList servers;
    PresetLists::AddNameServer(servers, "9.9.9.9");
    view.ipv4->SetIPv4NameServers(servers);
    editor.OnCheckChanged(C::DHCPv4, true);
    EXPECT_FALSE(view.checked.at(C::IPv4Address));
    EXPECT_FALSE(editor.GetPreset()->IPv4Addresses().has_value());
    EXPECT_FALSE(On(C::IPv4Address));
    EXPECT_FALSE(On(C::IPv4Gateway));
    EXPECT_TRUE(On(C::IPv4DNS));
    // Checking a box whose list is still there keeps the list.
    editor.OnCheckChanged(C::IPv4DNS, true);
    EXPECT_EQ(editor.GetPreset()->IPv4NameServers()->Count(), 1);
    editor.OnCheckChanged(C::DHCPv4, false);
    EXPECT_TRUE(On(C::IPv4Address));
    editor.OnCheckChanged(C::IncludeIPv4, false);
    EXPECT_FALSE(On(C::DHCPv4));
    EXPECT_FALSE(On(C::IPv4DNS));

    // Ctrl+Shift+Tab on the first tab shows the third, Ctrl+Tab wraps back.
    editor.PreviousTab();
    EXPECT_EQ(view.tab, 2);
    editor.NextTab();
    EXPECT_EQ(view.tab, 0);
}

TEST_F(frmCreatePresetTest, SaveRefusesWhatCannotBeStoredAndCompletesThePreset) {
    editor.SelectTab(1);
    view.texts[C::Name] = "   ";
    editor.Save();
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].text, "Please enter a name for the preset.");
    EXPECT_EQ(machine.ui.Boxes()[0].title, "Specify Preset Name");
    EXPECT_EQ(machine.ui.Boxes()[0].icon, platform::MessageBoxIcon::Information);
    EXPECT_EQ(view.tab, 0);
    EXPECT_FALSE(view.closed);

    view.texts[C::Name] = " Travel ";
    editor.OnCheckChanged(C::IncludeProxy, true);
    editor.OnCheckChanged(C::EnableProxy, true);
    view.texts[C::ProxyServer] = "proxy.example";
    view.texts[C::ProxyPort] = "80a";
    editor.Save();
    EXPECT_EQ(machine.ui.Boxes().back().title, "Specify Proxy Port");
    EXPECT_EQ(view.focus, C::ProxyPort);
    EXPECT_FALSE(view.closed);

    view.texts[C::ProxyPort] = "8080";
    editor.OnCheckChanged(C::IncludeMAC, true);
    editor.OnOptionSelected(C::CustomMAC);
    view.texts[C::MACBox] = "02:11:22:33:44:55";
    editor.Save();
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(editor.DialogResult(), frmCreatePreset::kSaved);
    const Preset& saved = *editor.GetPreset();
    EXPECT_EQ(saved.PresetName(), "Travel");
    EXPECT_EQ(saved.MACAddress(), MacAction::Custom);
    EXPECT_EQ(saved.CustomMACAddress(), "02-11-22-33-44-55");
    EXPECT_TRUE(saved.IEProxyEnabled());
    EXPECT_EQ(saved.IEProxyServer(), "proxy.example");
    EXPECT_EQ(saved.IEProxyPort(), 8080);

    // Loaded again, the boxes show it; a saved change leaves the original as it was.
    FakeEditorView otherView;
    frmCreatePreset other(platform, otherView);
    other.EditRefresh(saved);
    EXPECT_EQ(otherView.Text(C::Name), "Travel");
    EXPECT_TRUE(otherView.checked.at(C::CustomMAC));
    EXPECT_TRUE(otherView.enabled.at(C::MACBox));
    EXPECT_EQ(otherView.Text(C::MACBox), "02-11-22-33-44-55");
    EXPECT_EQ(otherView.Text(C::ProxyPort), "8080");
    other.OnOptionSelected(C::RandomMAC);
    other.OnCheckChanged(C::EnableProxy, false);
    other.Save();
    EXPECT_EQ(other.GetPreset()->MACAddress(), MacAction::Random);
    EXPECT_EQ(other.GetPreset()->CustomMACAddress(), "");
    EXPECT_EQ(other.GetPreset()->IEProxyPort(), 0);
    EXPECT_TRUE(other.GetPreset()->IEProxySelected());
    EXPECT_EQ(saved.MACAddress(), MacAction::Custom);
    EXPECT_EQ(saved.IEProxyPort(), 8080);
}

}  // namespace
}  // namespace vexav6::ui
