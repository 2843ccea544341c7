#include "ui/ip_address.h"

#include <gtest/gtest.h>

#include "ip_panel_fakes.h"
#include "ui/frm_add_gateway.h"
#include "ui/frm_add_ipv4.h"

namespace vexav6::testing {
namespace {

using ui::IPAddress;
using ui::PartSelection;

class IPAddressTest : public ::testing::Test {
  protected:
    void SetUp() override {
        box.AttachView(&view);
        box.onChange = [this] { ++changes; };
        box.GotFocus();
    }

    IPAddress box;
    FakeBoxView view;
    int changes = 0;
};

TEST_F(IPAddressTest, TypingAnAddressMovesThroughTheParts) {
    EXPECT_EQ(view.focus, 0);
    // A digit after the third character of a part starts the next part; "." moves on.
    view.Type(box, U"192168.1.20");
    EXPECT_EQ(box.Text(), "192.168.1.20");
    EXPECT_EQ(view.texts, (std::array<std::string, 4>{"192", "168", "1", "20"}));
    EXPECT_EQ(view.focus, 3);
    EXPECT_EQ(view.beeps, 0);
    EXPECT_GT(changes, 0);

    // Letters are dropped, "." in the last part beeps, and so does a digit after its third
    // character.
    view.Type(box, U"x.");
    EXPECT_EQ(box.Text(), "192.168.1.20");
    EXPECT_EQ(view.beeps, 1);
    view.Type(box, U"0");
    view.Type(box, U"0");
    EXPECT_EQ(box.PartText(3), "200");
    EXPECT_EQ(view.beeps, 2);

    // Backspace deletes; at the start of a part it goes back to the previous one.
    view.Type(box, U"\b\b\b\b");
    EXPECT_EQ(box.PartText(3), "");
    EXPECT_EQ(view.focus, 2);
    EXPECT_EQ(view.selections[2], (PartSelection{1, 1}));

    // A value above 255 empties the part with a beep; 255 stays.
    view.selections[2] = PartSelection{0, 1};
    view.Type(box, U"300");
    EXPECT_EQ(box.PartText(2), "");
    EXPECT_EQ(view.texts[2], "");
    EXPECT_EQ(view.beeps, 3);
    view.Type(box, U"255");
    EXPECT_EQ(box.GetNumber(2), 255);
    view.selections[2] = PartSelection{0, 3};
    view.Type(box, U"256");
    EXPECT_EQ(box.PartText(2), "");
    EXPECT_EQ(view.beeps, 4);

    // Backspace in the first part's start beeps.
    view.focus = 0;
    view.selections[0] = PartSelection{0, 0};
    view.Type(box, U"\b");
    EXPECT_EQ(view.beeps, 5);
    EXPECT_EQ(box.PartText(0), "192");
}

TEST_F(IPAddressTest, ArrowsClipboardKeysAndLeavingAPart) {
    box.SetText("10.1.2.3");
    // Right at the end of a part, or with Ctrl anywhere, goes to the next; Left at the start to
    // the previous one; with Shift the edit control selects as usual.
    EXPECT_EQ(box.ArrowKey(0, IPAddress::Arrow::Right, false, false, {2, 2}),
              IPAddress::KeyOutcome::Handled);
    EXPECT_EQ(view.focus, 1);
    EXPECT_EQ(view.selections[1], (PartSelection{0, 0}));
    EXPECT_EQ(box.ArrowKey(1, IPAddress::Arrow::Right, false, false, {0, 0}),
              IPAddress::KeyOutcome::Default);
    EXPECT_EQ(box.ArrowKey(1, IPAddress::Arrow::Right, false, true, {0, 0}),
              IPAddress::KeyOutcome::Handled);
    EXPECT_EQ(view.focus, 2);
    EXPECT_EQ(box.ArrowKey(2, IPAddress::Arrow::Left, true, false, {0, 0}),
              IPAddress::KeyOutcome::Default);
    EXPECT_EQ(box.ArrowKey(2, IPAddress::Arrow::Left, false, false, {0, 0}),
              IPAddress::KeyOutcome::Handled);
    EXPECT_EQ(view.focus, 1);
    EXPECT_EQ(view.selections[1], (PartSelection{1, 1}));

    // The editing controls go to the edit control; what it pastes is checked afterwards.
    for (char32_t control : {U'\x03', U'\x16', U'\x18', U'\x1a'}) {
        EXPECT_EQ(box.KeyPress(1, control, {0, 0}), IPAddress::KeyOutcome::Default);
    }
    const int beeps = view.beeps;
    box.PartEdited(1, "4a");
    EXPECT_EQ(box.PartText(1), "");
    EXPECT_EQ(view.texts[1], "");
    EXPECT_EQ(view.beeps, beeps + 1);
    box.PartEdited(1, "007");
    EXPECT_EQ(box.Text(), "10.007.2.3");

    // Leaving a part drops its leading zeros; a lone zero stays.
    box.PartLostFocus(1);
    box.PartEdited(2, "000");
    box.PartLostFocus(2);
    EXPECT_EQ(box.Text(), "10.7.0.3");
    EXPECT_EQ(view.texts[1], "7");
}

TEST_F(IPAddressTest, TextAndNumbers) {
    box.SetText("1.2.3");  // not four parts: ignored
    EXPECT_EQ(box.Text(), "");
    box.SetText("172.16.300.4");
    EXPECT_EQ(box.Text(), "172.16..4");
    box.SetText("");
    EXPECT_EQ(box.Text(), "");
    EXPECT_EQ(box.GetNumber(3), 0);
    EXPECT_THROW(box.GetNumber(4), Error);

    // A digit handed over before the dialog opens shows with the caret after it.
    box.SetNumber(0, 7);
    box.GotFocus();
    EXPECT_EQ(view.focus, 0);
    EXPECT_EQ(view.selections[0], (PartSelection{1, 1}));
    view.Type(box, U"7.");
    EXPECT_EQ(box.Text(), "77...");
}

TEST(frmAddIPv4Test, MaskAndPrefixFollowEachOther) {
    ui::frmAddIPv4 dialog;
    struct View : ui::IPDialogView {
        void SetControlText(ui::DialogControl c, const std::string& t) override {
            if (c == ui::DialogControl::Prefix) {
                prefix = t;
            }
        }
        void SetCheckBox(bool, bool) override {}
        void FocusControl(ui::DialogControl) override {}
        void SelectAllText(ui::DialogControl) override {}
        void Beep() override { ++beeps; }
        void Close() override { closed = true; }
        std::string prefix;
        int beeps = 0;
        bool closed = false;
    } view;
    FakeBoxView maskView;
    dialog.AttachView(&view);
    dialog.SubnetMask().AttachView(&maskView);
    EXPECT_EQ(dialog.Caption(), "Add IPv4 Address");
    EXPECT_EQ(dialog.CheckBoxText(), "Persistent IP Address");

    dialog.TextChanged(ui::DialogControl::Prefix, "24");
    EXPECT_EQ(dialog.SubnetMask().Text(), "255.255.255.0");
    EXPECT_EQ(maskView.texts[2], "255");
    // The mask the prefix made does not write the prefix back.
    dialog.TextChanged(ui::DialogControl::Prefix, "20.4");
    EXPECT_EQ(dialog.SubnetMask().Text(), "255.255.240.0");
    EXPECT_EQ(dialog.TextOf(ui::DialogControl::Prefix), "20.4");
    EXPECT_EQ(view.beeps, 0);

    dialog.TextChanged(ui::DialogControl::Prefix, "40");
    EXPECT_EQ(view.prefix, "");
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(dialog.SubnetMask().Text(), "255.255.240.0");

    dialog.SubnetMask().SetText("255.255.128.0");
    EXPECT_EQ(view.prefix, "17");
    dialog.SubnetMask().SetText("255.255.255.1");
    EXPECT_EQ(view.prefix, "24");
    EXPECT_EQ(view.beeps, 2);

    dialog.Address().SetText("192.168.7.9");
    dialog.CheckBoxClicked(false);
    dialog.Confirm();
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(dialog.DialogResult(), 1);
    EXPECT_EQ(dialog.IPv4Address(), "192.168.7.9");
    EXPECT_EQ(dialog.IPv4Mask(), "255.255.255.1");
    EXPECT_FALSE(dialog.IPv4Persistent());
}

TEST(frmAddGWv4Test, MetricIsTheLeadingNumberRounded) {
    for (const auto& [text, metric] : std::vector<std::pair<std::string, int64_t>>{
             {"0", 0}, {"25 hops", 25}, {"12.5", 12}, {"13.5", 14}, {"x", 0}}) {
        ui::frmAddGWv4 dialog;
        EXPECT_EQ(dialog.TextOf(ui::DialogControl::Metric), "0");
        dialog.TextChanged(ui::DialogControl::Metric, text);
        dialog.PrepareCheckBox(true, false);
        dialog.CheckBoxClicked(false);  // disabled: stays checked
        dialog.Confirm();
        EXPECT_EQ(dialog.IPv4Metric(), metric) << text;
        EXPECT_TRUE(dialog.IPv4Persistent());
    }
}

}  // namespace
}  // namespace vexav6::testing
