#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "system/path.h"
#include "ui/vendor_list_search.h"
#include "ui/win32/change_mac_address_window.h"
#include "vendors/nic_vendor.h"
#include "window/mac_panel_bench.h"

namespace vexav6::testing {
namespace {

using ui::win32::ChangeMACAddressWindow;

#ifdef _WIN32
constexpr const char* kListing = "Z:/usr/share/ieee-data/oui.txt";
#else
constexpr const char* kListing = "/usr/share/ieee-data/oui.txt";
#endif

class MACPanelWindowTest : public WindowBench {
  protected:
    MACPanelWindowTest() {
        EXPECT_TRUE(panel.Create(host, font));
        RECT client{};
        ::GetClientRect(host, &client);
        panel.Layout(RECT{8, 8, client.right - 8, 8 + panel.PreferredHeight()});
        panel.Presenter().onChanging = [this] { events.push_back("Changing"); };
        panel.Presenter().onChanged = [this](bool success, bool restore) {
            events.push_back(std::string("Changed ") + (success ? "success" : "failure") +
                             (restore ? " restore" : " change"));
        };
        panel.Presenter().onError = [this](const Error& error) {
            events.push_back("Error " + error.Description());
        };
        Pump();
    }

    void LoadListing() {
        vendors.ParseOUI(kListing);
        panel.Presenter().LoadVendors(vendors, false);
    }

    // Keys as the keyboard sends them to the control that has the focus.
    void Type(const std::string& keys) {
        for (const char c : keys) {
            const HWND focus = ::GetFocus();
            ::SendMessageW(focus, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
        }
        Pump();
    }
    void Key(WPARAM key) {
        ::SendMessageW(::GetFocus(), WM_KEYDOWN, key, 1);
        Pump();
    }
    void Click(int id) {
        ::SendMessageW(panel.Control(id), BM_CLICK, 0, 0);
        Pump();
    }
    std::string Octets() {
        std::string text;
        for (int i = 0; i < 6; ++i) {
            text += (i > 0 ? "|" : "") + WindowText(panel.MACAddressBox().Octet(i));
        }
        return text;
    }
    bool Enabled(int id) { return ::IsWindowEnabled(panel.Control(id)) != FALSE; }
    bool Checked(int id) {
        return ::SendMessageW(panel.Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    std::optional<std::string> Stored() {
        return machine.registry.GetString(platform::RootKey::LocalMachine, kEthernetClassKey,
                                          "NetworkAddress");
    }

    NICVendor vendors{platform};
    ChangeMACAddressWindow panel{platform};
    std::vector<std::string> events;
};

TEST_F(MACPanelWindowTest, KeysTypedIntoTheOctetsFollowTheKeyRules) {
    panel.SetAdapter(Adapter(kEthernetGuid));
    ::SetFocus(panel.MACAddressBox().Octet(0));
    Type("0a-1B:2c.3x4");
    EXPECT_EQ(Octets(), "0A|1B|2C|34||");
    EXPECT_EQ(::GetFocus(), panel.MACAddressBox().Octet(4));
    Type("\b");  // at the start of an empty octet: back to the end of the previous one
    EXPECT_EQ(::GetFocus(), panel.MACAddressBox().Octet(3));
    Type("\b");
    EXPECT_EQ(Octets(), "0A|1B|2C|3||");
    Key(VK_HOME);
    Key(VK_LEFT);  // at the start: into the previous octet, which pads the one left
    EXPECT_EQ(::GetFocus(), panel.MACAddressBox().Octet(2));
    EXPECT_EQ(Octets(), "0A|1B|2C|03||");
    EXPECT_TRUE(Enabled(ChangeMACAddressWindow::kChange));

    // A whole address pasted into the first octet fills them all.
    ::SetFocus(panel.MACAddressBox().Octet(0));
    ASSERT_TRUE(::OpenClipboard(host));
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
    EXPECT_EQ(panel.Presenter().MACAddress1().Text(), "02-AA-BB-CC-DD-EE");
    Photograph(host, "mac-panel-typed-address");
}

TEST_F(MACPanelWindowTest, TypedChangeWithAndWithoutPersistenceThenRestore) {
    LoadListing();
    const auto adapter = Adapter(kEthernetGuid);
    panel.SetAdapter(adapter);
    const std::string original = adapter->ActiveNetworkAddress();
    ::SetFocus(panel.MACAddressBox().Octet(0));
    Type("00-1b-21-3c-4d-5e");
    EXPECT_EQ(WindowText(panel.VendorList().Edit()), "[00-1B-21] Intel Corporate");
    Photograph(host, "mac-panel-typed-address-vendor");
    Click(ChangeMACAddressWindow::kChange);
    EXPECT_EQ(events, (std::vector<std::string>{"Changing", "Changed success change"}));
    EXPECT_EQ(Stored(), "001B213C4D5E");
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "00-1B-21-3C-4D-5E");
    EXPECT_EQ(Octets(), "|||||");

    // Restore, persistent: the value goes, the device takes its own address again.
    panel.SetAdapter(adapter);
    events.clear();
    Click(ChangeMACAddressWindow::kRestore);
    EXPECT_EQ(events, (std::vector<std::string>{"Changing", "Changed success restore"}));
    EXPECT_FALSE(Stored().has_value());
    EXPECT_EQ(adapter->ActiveNetworkAddress(), original);

    // Without persistence the restart cannot be switched off, and no value stays behind.
    Click(ChangeMACAddressWindow::kPersistent);
    EXPECT_FALSE(Checked(ChangeMACAddressWindow::kPersistent));
    EXPECT_TRUE(Checked(ChangeMACAddressWindow::kAutoRestart));
    EXPECT_FALSE(Enabled(ChangeMACAddressWindow::kAutoRestart));
    ::SetFocus(panel.MACAddressBox().Octet(0));
    Type("0211223344 55");
    events.clear();
    Click(ChangeMACAddressWindow::kChange);
    EXPECT_EQ(events, (std::vector<std::string>{"Changing", "Changed success change"}));
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "02-11-22-33-44-55");
    EXPECT_FALSE(Stored().has_value());
}

TEST_F(MACPanelWindowTest, RandomOnTheWirelessAdapterUses02AndAnIgnoredAddressFails) {
    LoadListing();
    const auto wifi = Adapter(kWifiGuid);
    panel.SetAdapter(wifi);
    EXPECT_TRUE(Checked(ChangeMACAddressWindow::k02MAC));
    Click(ChangeMACAddressWindow::kRandom);
    const std::string random = panel.Presenter().MACAddress1().Text();
    EXPECT_EQ(random.substr(0, 3), "02-");
    EXPECT_FALSE(WindowText(panel.VendorList().Edit()).empty());
    Click(ChangeMACAddressWindow::kChange);
    EXPECT_EQ(events, (std::vector<std::string>{"Changing", "Changed success change"}));
    EXPECT_EQ(wifi->ActiveNetworkAddress(), random);

    // Without the 02 octet the wireless driver keeps its own address: the change failed.
    Click(ChangeMACAddressWindow::k02MAC);
    EXPECT_FALSE(Checked(ChangeMACAddressWindow::k02MAC));
    ::SetFocus(panel.MACAddressBox().Octet(0));
    Type("001b213c4d5e");
    events.clear();
    Click(ChangeMACAddressWindow::kChange);
    EXPECT_EQ(events, (std::vector<std::string>{"Changing", "Changed failure change"}));
    EXPECT_EQ(wifi->ActiveNetworkAddress(), "48-51-C5-2B-90-3D");
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
    vendors.ParseOUI(kListing);
    const auto started = std::chrono::steady_clock::now();
    const double cpuStarted = ThreadCpuMs();
    panel.Presenter().LoadVendors(vendors, true);
    Pump();
    const double fillMs = WallMs(started);
    const double fillCpuMs = ThreadCpuMs() - cpuStarted;
    const HWND list = panel.VendorList().List();
    const auto total = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    EXPECT_GT(total, 30000);

    panel.SetAdapter(Adapter(kEthernetGuid));
    ::SetFocus(panel.VendorList().Edit());
    std::string keys;
    for (const char c : std::string("cisco systems")) {
        const auto keyStarted = std::chrono::steady_clock::now();
        const double keyCpu = ThreadCpuMs();
        ::SendMessageW(panel.VendorList().Edit(), WM_CHAR, static_cast<WPARAM>(c), 1);
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
    for (size_t i = 0; i < panel.Presenter().VendorSearch().Count(); ++i) {
        search.AddItem(std::string(panel.Presenter().VendorSearch().Item(i)));
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
    EXPECT_TRUE(panel.VendorList().Dropped());
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
    EXPECT_NE(std::string(panel.Presenter().VendorRowText(0)).find("Cisco Systems"),
              std::string::npos);
    Photograph(host, "mac-panel-vendor-list-narrowed");
    // The popup is a window of its own: photograph the screen area with both.
    Key(VK_DOWN);
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
    const std::string chosen(panel.Presenter().VendorRowText(1));
    Key(VK_RETURN);
    EXPECT_FALSE(panel.VendorList().Dropped());
    const std::string address = panel.Presenter().MACAddress1().Text();
    EXPECT_EQ(address.substr(0, 8), chosen.substr(1, 8));
    EXPECT_EQ(WindowText(panel.VendorList().Edit()), chosen);
    EXPECT_TRUE(Enabled(ChangeMACAddressWindow::kChange));
}

}  // namespace
}  // namespace vexav6::testing
