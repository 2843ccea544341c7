#include "ui/mac_address.h"

#include <gtest/gtest.h>

#include "ui/fake_mac_address_view.h"

namespace vexav6::testing {
namespace {

using ui::MACAddress;

class MACAddressTest : public ::testing::Test {
  protected:
    MACAddressTest() {
        view.machine = &box;
        box.Change = [this] { ++changes; };
        view.Click(0);
    }

    FakeMACAddressView view;
    MACAddress box{view};
    int changes = 0;
};

TEST_F(MACAddressTest, TypedAddressesInEveryCommonFormReadTheSame) {
    // Separators typed right after a full octet do not skip the next one; lower case is raised;
    // keys that are no hex digit are dropped.
    view.Type("00-1a-2B:3c.4d-5e");
    EXPECT_EQ(box.Text(), "00-1A-2B-3C-4D-5E");
    EXPECT_GT(changes, 0);

    box.SetText("");
    view.Click(0);
    view.Type("0g01z A2b3 c4d5e");
    EXPECT_EQ(box.Text(), "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(view.beeps, 0);

    // One digit and a separator: the octet is padded when it is left.
    box.SetText("");
    view.Click(0);
    view.Type("5.6:7-");
    EXPECT_EQ(view.text[0], "05");
    EXPECT_EQ(view.text[2], "07");
    EXPECT_EQ(box.Text(), "05-06-07-00-00-00");
    EXPECT_EQ(view.focus, 3);
}

TEST_F(MACAddressTest, FullOctetsOverflowIntoTheNextAndBeepAtTheEnd) {
    view.Type("0A1B");
    EXPECT_EQ(view.focus, 2);
    // A digit typed into a full octet with nothing selected starts the next octet.
    view.Click(0);
    view.SetSelection(0, 2, 2);
    view.Type("C");
    EXPECT_EQ(view.text[0], "0A");
    EXPECT_EQ(view.text[1], "C");
    EXPECT_EQ(view.focus, 1);

    view.Click(5);
    view.Type("EE");
    EXPECT_EQ(view.focus, 5);
    EXPECT_EQ(view.beeps, 0);
    view.Type("F");  // no octet after the last
    EXPECT_EQ(view.text[5], "EE");
    EXPECT_EQ(view.beeps, 1);
    view.Type("-");
    EXPECT_EQ(view.beeps, 2);
}

TEST_F(MACAddressTest, BackspaceAndArrowsWalkAcrossOctets) {
    view.Type("123456");  // octets 0-2 full, focus in octet 3
    ASSERT_EQ(view.focus, 3);
    // Backspace at the start of an empty octet moves to the end of the previous one, deleting
    // nothing; the next one deletes its last digit.
    view.Type("\b");
    EXPECT_EQ(view.focus, 2);
    EXPECT_EQ(view.text[2], "56");
    view.Type("\b");
    EXPECT_EQ(view.text[2], "5");
    // Leaving with one digit pads it.
    view.Key(MACAddress::kKeyLeft);
    EXPECT_EQ(view.focus, 2);  // caret was after the digit: the control moves it
    view.SetSelection(2, 0, 0);
    view.Key(MACAddress::kKeyLeft);
    EXPECT_EQ(view.focus, 1);
    EXPECT_EQ(view.text[2], "05");
    EXPECT_EQ(view.start[1], 2);  // at the end of the previous octet

    // Right at the end of an octet, or with Ctrl from anywhere, moves on to its start.
    view.Key(MACAddress::kKeyRight);
    EXPECT_EQ(view.focus, 2);
    EXPECT_EQ(view.start[2], 0);
    view.Key(MACAddress::kKeyRight, false, true);
    EXPECT_EQ(view.focus, 3);
    // Shift+arrows are the control's.
    EXPECT_FALSE(box.OnKeyDown(3, MACAddress::kKeyLeft, true, false));

    // The ends of the box beep and stay.
    view.Click(0);
    view.SetSelection(0, 0, 0);
    const int beeps = view.beeps;
    view.Key(MACAddress::kKeyLeft);
    view.Type("\b");
    EXPECT_EQ(view.focus, 0);
    EXPECT_EQ(view.beeps, beeps + 2);
    view.Click(5);
    view.Key(MACAddress::kKeyRight, false, true);
    EXPECT_EQ(view.focus, 5);
    EXPECT_EQ(view.beeps, beeps + 3);

    // Backspace over a selection deletes just the selection.
    view.text[5] = "AB";
    view.SetSelection(5, 0, 1);
    view.Type("\b");
    EXPECT_EQ(view.text[5], "B");
    EXPECT_EQ(view.focus, 5);
}

TEST_F(MACAddressTest, WritingTextRaisesNoChangeAndKeepsOnlyHexDigits) {
    box.SetText("0a-1B-2c");
    EXPECT_EQ(box.Text(), "0A-1B-2C-00-00-00");
    box.SetText("zz-1-ABC");
    EXPECT_EQ(view.text[0], "");
    EXPECT_EQ(view.text[1], "1");
    EXPECT_EQ(view.text[2], "AB");
    EXPECT_EQ(box.Text(), "00-01-AB-00-00-00");
    box.SetText("");
    for (const std::string& octet : view.text) {
        EXPECT_EQ(octet, "");
    }
    EXPECT_EQ(box.Text(), "00-00-00-00-00-00");
    EXPECT_EQ(changes, 0);

    // The control's own edits (Delete, undo) are changes too.
    box.OnOctetChanged(0);
    EXPECT_EQ(changes, 1);
    // Clipboard and undo keys go on to the control.
    EXPECT_FALSE(box.OnChar(0, 0x16));
    EXPECT_TRUE(box.OnChar(0, U'x'));
}

TEST_F(MACAddressTest, PasteKeepsWhatTheKeysWouldTake) {
    box.Paste(0, "00:1a:2b:3c:4d:5e");
    EXPECT_EQ(box.Text(), "00-1A-2B-3C-4D-5E");

    box.SetText("");
    view.Click(2);
    box.Paste(2, " a1 (b2) ");
    EXPECT_EQ(box.Text(), "00-00-A1-B2-00-00");

    // More than fits: what is left over beeps, once.
    box.SetText("");
    view.Click(0);
    box.Paste(0, "001A2B3C4D5E6F7A");
    EXPECT_EQ(box.Text(), "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(view.beeps, 1);
}

}  // namespace
}  // namespace vexav6::testing
