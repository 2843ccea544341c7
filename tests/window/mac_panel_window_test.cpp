// The MAC address change panel on the first tab of the real main window, under Wine.
#include "platform/win32/windows_include.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "ui/vendor_list_search.h"
#include "ui/win32/change_mac_address_window.h"
#include "vendors/nic_vendor.h"
#include "window/window_bench.h"

namespace vexav6::testing {
namespace {

using ::testing::StartsWith;
using ui::win32::ChangeMACAddressWindow;

constexpr const char* kListing = "Z:/usr/share/ieee-data/oui.txt";
constexpr const char* kEthernetClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";
constexpr int kMACColumn = 2;

class MACPanelWindowTest : public WindowBench {
  protected:
    void SetUp() override {
        LoadMachine("demo.json");
        CopyVendorDatabase();
        ASSERT_TRUE(Open());
        machine.ui.ClearBoxes();
    }

    ChangeMACAddressWindow& Panel() { return Window().MACPanel(); }
    ui::ChangeMACAddress& PanelPresenter() { return *Presenter().MACPanel(); }

    void Select(const std::string& connection) {
        const int row = RowOf(connection);
        ASSERT_GE(row, 0) << connection;
        ClickRow(row);
        ASSERT_EQ(SelectedRow(), row);
    }

    // Characters as the keyboard sends them to the control that has the focus.
    void Type(const std::string& keys) {
        for (const char c : keys) {
            ::SendMessageW(::GetFocus(), WM_CHAR,
                           static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
        }
        Pump();
    }
    void TypeAddress(const std::string& keys) {
        ::SetFocus(Panel().MACAddressBox().Octet(0));
        Type(keys);
    }
    void Click(int id) {
        ::SendMessageW(Panel().Control(id), BM_CLICK, 0, 0);
        Pump();
    }
    std::string Octets() {
        std::string text;
        for (int i = 0; i < 6; ++i) {
            text += (i > 0 ? "|" : "") + TextOf(Panel().MACAddressBox().Octet(i));
        }
        return text;
    }
    bool Enabled(int id) { return ::IsWindowEnabled(Panel().Control(id)) != FALSE; }
    bool IsChecked(int id) {
        return ::SendMessageW(Panel().Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    std::optional<std::string> Stored() {
        return machine.registry.GetString(platform::RootKey::LocalMachine, kEthernetClassKey,
                                          "NetworkAddress");
    }
    // The titles of the boxes shown since the last call.
    std::vector<std::string> BoxTitles() {
        std::vector<std::string> titles;
        for (const auto& box : machine.ui.Boxes()) {
            titles.push_back(box.title);
        }
        machine.ui.ClearBoxes();
        return titles;
    }
    std::string ActiveAddress() { return Presenter().CurrentAdapter()->ActiveNetworkAddress(); }
};

TEST_F(MACPanelWindowTest, KeysTypedIntoTheOctetsFollowTheKeyRules) {
    Select("Ethernet");
    TypeAddress("0a-1B:2c.3x4");
    EXPECT_EQ(Octets(), "0A|1B|2C|34||");
    EXPECT_EQ(::GetFocus(), Panel().MACAddressBox().Octet(4));
    Type("\b");  // at the start of an empty octet: back to the end of the previous one
    EXPECT_EQ(::GetFocus(), Panel().MACAddressBox().Octet(3));
    Type("\b");
    EXPECT_EQ(Octets(), "0A|1B|2C|3||");
    Key(VK_HOME);
    Key(VK_LEFT);  // at the start: into the previous octet, which pads the one left
    EXPECT_EQ(::GetFocus(), Panel().MACAddressBox().Octet(2));
    EXPECT_EQ(Octets(), "0A|1B|2C|03||");
    EXPECT_TRUE(Enabled(ChangeMACAddressWindow::kChange));

    // A whole address pasted into the first octet fills them all.
    ::SetFocus(Panel().MACAddressBox().Octet(0));
    ASSERT_TRUE(::OpenClipboard(Main()));
    ::EmptyClipboard();
    const std::wstring text = L"02:aa:bb:cc:dd:ee";
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::copy(text.c_str(), text.c_str() + text.size() + 1,
              static_cast<wchar_t*>(::GlobalLock(memory)));
    ::GlobalUnlock(memory);
    ::SetClipboardData(CF_UNICODETEXT, memory);
    ::CloseClipboard();
    ::SendMessageW(::GetFocus(), WM_PASTE, 0, 0);
    Pump();
    EXPECT_EQ(PanelPresenter().MACAddress1().Text(), "02-AA-BB-CC-DD-EE");
}

TEST_F(MACPanelWindowTest, TypedChangeWithAndWithoutPersistenceThenRestore) {
    Select("Ethernet");
    const int row = SelectedRow();
    const std::string original = ActiveAddress();
    TypeAddress("00-1b-21-3c-4d-5e");
    // The vendor of the typed prefix (with its address: the main window's option is on).
    EXPECT_THAT(TextOf(Panel().VendorList().Edit()), StartsWith("[00-1B-21] Intel Corporate"));
    Screenshot("mac-panel-typed-address-vendor");
    Click(ChangeMACAddressWindow::kChange);
    EXPECT_EQ(BoxTitles(), std::vector<std::string>{"MAC Address Changed Successfully"});
    EXPECT_EQ(Stored(), "001B213C4D5E");
    EXPECT_EQ(ActiveAddress(), "00-1B-21-3C-4D-5E");
    EXPECT_EQ(Cell(row, kMACColumn).substr(0, 17), "00-1B-21-3C-4D-5E");
    EXPECT_EQ(Octets(), "|||||");

    // Restore, persistent: the value goes, the device takes its own address again.
    EXPECT_TRUE(Enabled(ChangeMACAddressWindow::kRestore));
    Click(ChangeMACAddressWindow::kRestore);
    EXPECT_EQ(BoxTitles(), std::vector<std::string>{"MAC Address Restored Successfully"});
    EXPECT_FALSE(Stored().has_value());
    EXPECT_EQ(ActiveAddress(), original);

    // Without persistence the restart cannot be switched off, and no value stays behind.
    Click(ChangeMACAddressWindow::kPersistent);
    EXPECT_FALSE(IsChecked(ChangeMACAddressWindow::kPersistent));
    EXPECT_TRUE(IsChecked(ChangeMACAddressWindow::kAutoRestart));
    EXPECT_FALSE(Enabled(ChangeMACAddressWindow::kAutoRestart));
    TypeAddress("0211223344 55");
    Click(ChangeMACAddressWindow::kChange);
    EXPECT_EQ(BoxTitles(), std::vector<std::string>{"MAC Address Changed Successfully"});
    EXPECT_EQ(ActiveAddress(), "02-11-22-33-44-55");
    EXPECT_FALSE(Stored().has_value());
}

TEST_F(MACPanelWindowTest, RandomOnTheWirelessAdapterUses02AndAnIgnoredAddressFails) {
    Select("Wi-Fi");
    const int row = SelectedRow();
    const std::string original = ActiveAddress();
    EXPECT_TRUE(IsChecked(ChangeMACAddressWindow::k02MAC));
    Click(ChangeMACAddressWindow::kRandom);
    const std::string random = PanelPresenter().MACAddress1().Text();
    EXPECT_EQ(random.substr(0, 3), "02-");
    Click(ChangeMACAddressWindow::kChange);
    EXPECT_EQ(BoxTitles(), std::vector<std::string>{"MAC Address Changed Successfully"});
    EXPECT_EQ(ActiveAddress(), random);

    // Without the 02 octet the wireless driver ignores the address and falls back to its own:
    // the failure box, not a success, and the row's status back to the link status once it is
    // closed.
    Click(ChangeMACAddressWindow::k02MAC);
    EXPECT_FALSE(IsChecked(ChangeMACAddressWindow::k02MAC));
    const std::string linkStatus = Cell(row, 3);
    TypeAddress("001b213c4d5e");
    Click(ChangeMACAddressWindow::kChange);
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_EQ(machine.ui.Boxes()[0].title, "MAC Address Change Failed");
    EXPECT_EQ(machine.ui.Boxes()[0].icon, platform::MessageBoxIcon::Exclamation);
    EXPECT_EQ(Cell(row, 3), linkStatus);
    EXPECT_EQ(ActiveAddress(), original);
}

// CPU time of this thread in milliseconds: the machine's other work does not count.
double ThreadCpuMs() {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

double WallMs(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

TEST_F(MACPanelWindowTest, VendorListFillsFastAndNarrowsWithinAFrame) {
    // The full IEEE listing, refilled into the open window's list as a database update does.
    NICVendor vendors(platform);
    vendors.ParseOUI(kListing);
    const auto started = std::chrono::steady_clock::now();
    const double cpuStarted = ThreadCpuMs();
    PanelPresenter().LoadVendors(vendors, true);
    Pump();
    const double fillMs = WallMs(started);
    const double fillCpuMs = ThreadCpuMs() - cpuStarted;
    const HWND list = Panel().VendorList().List();
    const auto total = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    EXPECT_GT(total, 30000);

    Select("Ethernet");
    ::SetFocus(Panel().VendorList().Edit());
    std::string keys;
    for (const char c : std::string("cisco systems")) {
        const auto keyStarted = std::chrono::steady_clock::now();
        const double keyCpu = ThreadCpuMs();
        ::SendMessageW(Panel().VendorList().Edit(), WM_CHAR, static_cast<WPARAM>(c), 1);
        ::UpdateWindow(list);
        char line[64];
        std::snprintf(line, sizeof line, " '%c' %.1f/%.1f", c, WallMs(keyStarted),
                      ThreadCpuMs() - keyCpu);
        keys += line;
    }
    Pump();
    std::printf("[ MEASURED ] vendor list fill of %ld entries: %.1f ms (thread CPU %.1f ms)\n",
                static_cast<long>(total), fillMs, fillCpuMs);
    std::printf("[ MEASURED ] per key, wall/CPU ms:%s\n", keys.c_str());
    // The search alone, without the drawing, for the same keys.
    ui::VendorListSearch search;
    for (size_t i = 0; i < PanelPresenter().VendorSearch().Count(); ++i) {
        search.AddItem(std::string(PanelPresenter().VendorSearch().Item(i)));
    }
    const std::string typed = "cisco systems";
    const auto searchStarted = std::chrono::steady_clock::now();
    for (size_t length = 1; length <= typed.size(); ++length) {
        search.SetQuery(typed.substr(0, length));
    }
    std::printf("[ MEASURED ] search alone: %.2f ms per key\n",
                WallMs(searchStarted) / static_cast<double>(typed.size()));
    const auto narrowed = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    EXPECT_GT(narrowed, 0);
    EXPECT_LT(narrowed, total / 10);
    EXPECT_TRUE(Panel().VendorList().Dropped());
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
    EXPECT_NE(std::string(PanelPresenter().VendorRowText(0)).find("Cisco Systems"),
              std::string::npos);
    // The drop-down is a popup of its own, over the window: the screen shows both.
    Screenshot(Main(), "mac-panel-vendor-list-narrowed", false);

    Key(VK_DOWN);
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
    const std::string chosen(PanelPresenter().VendorRowText(1));
    Key(VK_RETURN);
    EXPECT_FALSE(Panel().VendorList().Dropped());
    const std::string address = PanelPresenter().MACAddress1().Text();
    EXPECT_EQ(address.substr(0, 8), chosen.substr(1, 8));
    EXPECT_EQ(TextOf(Panel().VendorList().Edit()), chosen);
    EXPECT_TRUE(Enabled(ChangeMACAddressWindow::kChange));
    Screenshot("mac-panel-vendor-chosen");
}

}  // namespace
}  // namespace vexav6::testing
