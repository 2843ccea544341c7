// The IPv4 and IPv6 panels of the main window's second tab and their dialogs, under Wine over the
// simulated demo machine.
#include "platform/win32/windows_include.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ipconfig/ipv4_support.h"
#include "platform/win32/wide_text.h"
#include "ui/win32/controls.h"
#include "ui/win32/ip_dialog_window.h"
#include "window/window_bench.h"

namespace vexav6::testing {
namespace {

using ui::IPList;
using ui::MainMenu;
using ui::win32::IPDialogWindow;
using Strings = std::vector<std::string>;
namespace listview = ui::win32::listview;

constexpr const char* kStatic = "vEthernet (Default Switch)";
constexpr const char* kStaticGuid = "{D1C2B3A4-9E8F-4A7B-8C6D-5E4F3A2B1C04}";
constexpr const char* kDhcp = "Ethernet";
constexpr const char* kUnplugged = "Wi-Fi";

class IPPanelsTest : public WindowBench {
  protected:
    void SetUp() override {
        LoadMachine("demo.json");
        CopyVendorDatabase();
        ASSERT_TRUE(Open());
        machine.ui.ClearBoxes();
    }

    // Selects the connection and shows the IP configuration tab.
    void ShowIPTab(const std::string& connection) {
        ClickRow(RowOf(connection));
        if (CurrentTab() != ui::kIPTab) {
            Command(MainMenu::NextTab);
        }
        ASSERT_EQ(CurrentTab(), ui::kIPTab);
    }

    HWND V4(IPList list) { return Window().IPv4Panel().List(list); }
    HWND V6(IPList list) { return Window().IPv6Panel().List(list); }

    static Strings Column(HWND list, int column = 0) {
        Strings texts;
        for (int row = 0; row < listview::Count(list); ++row) {
            texts.push_back(listview::GetItemText(list, row, column));
        }
        return texts;
    }
    static std::string Header(HWND list) {
        wchar_t text[128] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = 128;
        ::SendMessageW(list, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        return vexav6::win32::Narrow(text);
    }
    static bool MenuItemEnabled(const ui::win32::ScopedMenu& menu, int position) {
        const UINT state = ::GetMenuState(menu.Get(), static_cast<UINT>(position), MF_BYPOSITION);
        return state != static_cast<UINT>(-1) && (state & MF_GRAYED) == 0;
    }

    // The user selects rows of a list (the first one gets the focus) and works in it.
    void Select(HWND list, const std::vector<int>& rows) {
        ::SetFocus(list);
        listview::Select(list, -1);
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        for (int row : rows) {
            state.state = LVIS_SELECTED | (row == rows.front() ? LVIS_FOCUSED : 0);
            ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                           reinterpret_cast<LPARAM>(&state));
        }
    }
    // A character typed into the focused control (the list, an edit box of a dialog).
    static void Type(const std::string& keys) {
        for (char key : keys) {
            ::SendMessageW(::GetFocus(), WM_CHAR, static_cast<WPARAM>(key), 1);
        }
    }
    // Types a digit into a list: the add dialog opens and `answer` handles it. False when no
    // dialog opened.
    bool TypeIntoList(HWND list, char digit, std::function<void(HWND)> answer) {
        bool opened = false;
        OnNextModal([&](HWND dialog) {
            opened = true;
            answer(dialog);
        });
        ::SetFocus(list);
        ::PostMessageW(list, WM_CHAR, static_cast<WPARAM>(digit), 1);
        Pump();
        ui::win32::Window::ModalShownHook() = nullptr;
        return opened;
    }
    // A key pressed in a modal dialog, run through its dialog manager as its loop does (Tab,
    // Enter, Escape).
    static void DialogKey(HWND dialog, UINT key) {
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, key, 1);
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!::IsDialogMessageW(dialog, &message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
    }
    static HWND Input(HWND dialog, ui::DialogControl control) {
        return ::GetDlgItem(dialog, IPDialogWindow::kFirstInputId + static_cast<int>(control));
    }
    static HWND CheckBox(HWND dialog) { return ::GetDlgItem(dialog, IPDialogWindow::kCheckBoxId); }
    static bool Checked(HWND dialog) {
        return ::IsDlgButtonChecked(dialog, IPDialogWindow::kCheckBoxId) == BST_CHECKED;
    }
    // Replaces a text box's text as a user does: select all, type.
    static void Retype(HWND edit, const std::string& text) {
        ::SetFocus(edit);
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        Type(text);
    }
    static void Click(HWND dialog, int id) {
        ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    }

    // An IPv4 address typed after its first digit, the prefix typed into the prefix box.
    std::function<void(HWND)> AddressAnswer(const std::string& rest, const std::string& prefix,
                                            bool persistent = true) {
        return [=](HWND dialog) {
            Type(rest);
            Retype(Input(dialog, ui::DialogControl::Prefix), prefix);
            if (Checked(dialog) != persistent) {
                Click(dialog, IPDialogWindow::kCheckBoxId);
            }
            Click(dialog, IDOK);
        };
    }

    Strings LiveIPv4(const char* guid) {
        Strings addresses;
        for (const auto& address : machine.ipStack.FindInterface(guid)->ipv4) {
            addresses.push_back(IPv4Support::InetNtoa(address.address));
        }
        return addresses;
    }
    static std::string InterfaceKey(const char* guid) {
        return std::string("SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\") +
               guid;
    }
    Strings Stored(const char* guid, const char* name) {
        return machine.registry
            .GetMultiString(platform::RootKey::LocalMachine, InterfaceKey(guid), name)
            .value_or(Strings{});
    }
    std::string StoredText(const char* guid, const char* name) {
        return machine.registry.GetString(platform::RootKey::LocalMachine, InterfaceKey(guid), name)
            .value_or("<absent>");
    }
    static std::string Clipboard() {
        std::string text;
        if (::OpenClipboard(nullptr)) {
            if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
                text = vexav6::win32::Narrow(static_cast<const wchar_t*>(::GlobalLock(data)));
                ::GlobalUnlock(data);
            }
            ::CloseClipboard();
        }
        return text;
    }
};

TEST_F(IPPanelsTest, StaticAdapterTakesAddressesGatewaysAndDnsServers) {
    ShowIPTab(kStatic);
    EXPECT_EQ(TextOf(Window().IPv4Panel().Group()), "Internet Protocol v4 [Static IP]");
    EXPECT_EQ(Header(V4(IPList::Address)), "IP Address (1)");
    EXPECT_EQ(Column(V4(IPList::Address), 1), (Strings{"255.255.240.0"}));

    // A stored address, opened by typing its first digit into the list.
    EXPECT_TRUE(TypeIntoList(V4(IPList::Address), '1', [&](HWND dialog) {
        EXPECT_EQ(TextOf(dialog), "Add IPv4 Address");
        EXPECT_EQ(TextOf(CheckBox(dialog)), "Persistent IP Address");
        EXPECT_TRUE(Checked(dialog));
        EXPECT_TRUE(::IsWindowEnabled(CheckBox(dialog)));
        // The digit is there, the caret after it; the fourth digit goes on into the next part.
        Type("92168.50.10");
        Retype(Input(dialog, ui::DialogControl::Prefix), "24");
        const HWND mask = Input(dialog, ui::DialogControl::SubnetMask);
        EXPECT_EQ(TextOf(::GetDlgItem(mask, 3)), "255");
        EXPECT_EQ(TextOf(::GetDlgItem(mask, 4)), "0");
        Screenshot(dialog, "ip-add-ipv4-address-dialog");
        Click(dialog, IDOK);
    }));
    // A live-only address.
    EXPECT_TRUE(TypeIntoList(V4(IPList::Address), '1', AddressAnswer("0.0.0.99", "8", false)));
    EXPECT_EQ(Column(V4(IPList::Address)), (Strings{"172.27.16.1", "192.168.50.10", "10.0.0.99"}));
    EXPECT_EQ(LiveIPv4(kStaticGuid), (Strings{"172.27.16.1", "192.168.50.10", "10.0.0.99"}));
    EXPECT_EQ(Stored(kStaticGuid, "IPAddress"), (Strings{"172.27.16.1", "192.168.50.10"}));
    EXPECT_EQ(Header(V4(IPList::Address)), "IP Address (3)");

    // A gateway with a metric; a metric out of range is refused with a message.
    const auto gateway = [&](const std::string& metric) {
        return [=, this](HWND dialog) {
            EXPECT_EQ(TextOf(Input(dialog, ui::DialogControl::Metric)), "0");
            Type("72.27.16.254");
            Retype(Input(dialog, ui::DialogControl::Metric), metric);
            Screenshot(dialog, "ip-add-ipv4-gateway-dialog-metric-" + metric);
            Click(dialog, IDOK);
        };
    };
    EXPECT_TRUE(TypeIntoList(V4(IPList::Gateway), '1', gateway("10000")));
    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_NE(machine.ui.Boxes()[0].text.find("from 0 to 9999"), std::string::npos);
    EXPECT_TRUE(Column(V4(IPList::Gateway)).empty());
    machine.ui.ClearBoxes();
    EXPECT_TRUE(TypeIntoList(V4(IPList::Gateway), '1', gateway("15")));
    EXPECT_EQ(Column(V4(IPList::Gateway)), (Strings{"172.27.16.254"}));
    EXPECT_EQ(Column(V4(IPList::Gateway), 1), (Strings{"15"}));
    EXPECT_EQ(Stored(kStaticGuid, "DefaultGatewayMetric"), (Strings{"15"}));
    Select(V4(IPList::Gateway), {0});
    Key('C', true);
    EXPECT_EQ(Clipboard(), "172.27.16.254");

    // Two DNS servers, the second moved up with Ctrl+Up.
    for (const char* rest : {".8.8.8", ".1.1.1"}) {
        const char first = rest == std::string(".8.8.8") ? '8' : '1';
        EXPECT_TRUE(TypeIntoList(V4(IPList::DNS), first, [&](HWND dialog) {
            EXPECT_EQ(TextOf(dialog), "Add IPv4 DNS Server");
            EXPECT_EQ(CheckBox(dialog), nullptr);
            Type(rest);
            Click(dialog, IDOK);
        }));
    }
    Select(V4(IPList::DNS), {1});
    Key(VK_UP, true);
    EXPECT_EQ(Column(V4(IPList::DNS)), (Strings{"1.1.1.1", "8.8.8.8"}));
    EXPECT_EQ(StoredText(kStaticGuid, "NameServer"), "1.1.1.1,8.8.8.8");

    // An IPv6 address with its prefix length.
    EXPECT_TRUE(TypeIntoList(V6(IPList::Address), '2', [&](HWND dialog) {
        EXPECT_EQ(TextOf(dialog), "Add IPv6 Address");
        EXPECT_EQ(TextOf(Input(dialog, ui::DialogControl::Prefix)), "64");
        Type("001:db8:5::20");
        Retype(Input(dialog, ui::DialogControl::Prefix), "48");
        Click(dialog, IDOK);
    }));
    const Strings v6 = Column(V6(IPList::Address));
    const Strings prefixes = Column(V6(IPList::Address), 1);
    ASSERT_FALSE(v6.empty());
    EXPECT_EQ(v6.back(), "2001:0DB8:0005:0000:0000:0000:0000:0020");
    EXPECT_EQ(prefixes.back(), "48");
    EXPECT_TRUE(machine.ui.Boxes().empty());
    Screenshot("ip-tab-static-adapter");

    // The two new addresses go again, permanently, after the question.
    Select(V4(IPList::Address), {1, 2});
    OnNextModal([&](HWND dialog) {
        EXPECT_EQ(TextOf(dialog), "Remove IPv4 Address?");
        EXPECT_EQ(TextOf(::GetDlgItem(dialog, IPDialogWindow::kQuestionId)),
                  "Are you sure to remove the selected IPv4 addresses?");
        Screenshot(dialog, "ip-remove-ipv4-address-question");
        Click(dialog, IDOK);
    });
    Key(VK_DELETE);
    EXPECT_EQ(Column(V4(IPList::Address)), (Strings{"172.27.16.1"}));
    EXPECT_EQ(LiveIPv4(kStaticGuid), (Strings{"172.27.16.1"}));
    EXPECT_EQ(Stored(kStaticGuid, "IPAddress"), (Strings{"172.27.16.1"}));
}

TEST_F(IPPanelsTest, DhcpAndDisconnectedAdaptersLimitAddresses) {
    // DHCP with a link: an address can be added, live only.
    ShowIPTab(kDhcp);
    EXPECT_EQ(TextOf(Window().IPv4Panel().Group()), "Internet Protocol v4 [DHCPv4]");
    EXPECT_TRUE(MenuItemEnabled(Window().IPv4Panel().ContextMenu(IPList::Address), 0));
    EXPECT_TRUE(TypeIntoList(V4(IPList::Address), '1', [&](HWND dialog) {
        EXPECT_FALSE(Checked(dialog));
        EXPECT_FALSE(::IsWindowEnabled(CheckBox(dialog)));
        Click(dialog, IDCANCEL);
    }));
    Screenshot("ip-tab-dhcp-adapter");

    // DHCP without a link: nothing to add.
    ShowIPTab(kUnplugged);
    EXPECT_FALSE(MenuItemEnabled(Window().IPv4Panel().ContextMenu(IPList::Address), 0));
    EXPECT_FALSE(TypeIntoList(V4(IPList::Address), '1', [](HWND dialog) {
        ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }));

    // A static adapter whose link went down: the address can only be stored.
    machine.ipStack.SetOperStatus(kStaticGuid, 2);
    Command(MainMenu::ActionRefresh);
    ShowIPTab(kStatic);
    EXPECT_TRUE(TypeIntoList(V4(IPList::Address), '1', [&](HWND dialog) {
        EXPECT_TRUE(Checked(dialog));
        EXPECT_FALSE(::IsWindowEnabled(CheckBox(dialog)));
        AddressAnswer("0.9.9.9", "8")(dialog);
    }));
    EXPECT_EQ(Stored(kStaticGuid, "IPAddress"), (Strings{"172.27.16.1", "10.9.9.9"}));
    EXPECT_EQ(LiveIPv4(kStaticGuid), (Strings{"172.27.16.1"}));
    EXPECT_TRUE(machine.ui.Boxes().empty());

    // IPv6 unbound from the adapter: grey lists that open no menu and take no keys.
    const std::string linkage = "SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Linkage";
    Strings bound =
        machine.registry.GetMultiString(platform::RootKey::LocalMachine, linkage, "Bind").value();
    std::erase(bound, std::string("\\Device\\") + kStaticGuid);
    machine.registry.PutMultiString(platform::RootKey::LocalMachine, linkage, "Bind", bound);
    Command(MainMenu::ActionRefresh);
    ShowIPTab(kStatic);
    EXPECT_EQ(TextOf(Window().IPv6Panel().Group()), "Internet Protocol v6 [Not Installed]");
    for (IPList list : ui::kIPLists) {
        EXPECT_FALSE(::IsWindowEnabled(V6(list)));
        EXPECT_EQ(ListView_GetBkColor(V6(list)), ::GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(::GetMenuItemCount(Window().IPv6Panel().ContextMenu(list).Get()), 0);
    }
    EXPECT_EQ(Header(V6(IPList::Address)), "Unicast IP Address (0)");
    EXPECT_EQ(ListView_GetBkColor(V4(IPList::Address)), ::GetSysColor(COLOR_WINDOW));
    EXPECT_FALSE(TypeIntoList(V6(IPList::Address), '2', [](HWND dialog) {
        ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }));
    Screenshot("ip-tab-static-adapter-link-down-ipv6-not-installed");
}

TEST_F(IPPanelsTest, DialogKeysAndMistypedEntriesChangeNothing) {
    ShowIPTab(kStatic);
    const Strings v4 = Column(V4(IPList::Address));
    const Strings v6 = Column(V6(IPList::Address));
    const size_t live6 = machine.ipStack.FindInterface(kStaticGuid)->ipv6.size();

    // In the four-part box a number above 255 is emptied; Tab leaves the box for the mask, whose
    // prefix follows it; Escape cancels.
    EXPECT_TRUE(TypeIntoList(V4(IPList::Address), '9', [&](HWND dialog) {
        const HWND address = Input(dialog, ui::DialogControl::Address);
        const HWND mask = Input(dialog, ui::DialogControl::SubnetMask);
        Type("99");
        EXPECT_EQ(TextOf(::GetDlgItem(address, 1)), "");
        Type("10.1.2.3");
        EXPECT_EQ(TextOf(::GetDlgItem(address, 4)), "3");
        DialogKey(dialog, VK_TAB);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(mask, 1));
        Type("255.255.0.0");
        EXPECT_EQ(TextOf(Input(dialog, ui::DialogControl::Prefix)), "16");
        DialogKey(dialog, VK_ESCAPE);
    }));
    EXPECT_EQ(Column(V4(IPList::Address)), v4);

    // An IPv6 address with two "::", then a prefix of 129: each ends in a message, nothing
    // changes.
    const auto address6 = [&](const std::string& rest, const std::string& prefix) {
        return [=, this](HWND dialog) {
            Type(rest);
            Retype(Input(dialog, ui::DialogControl::Prefix), prefix);
            if (prefix == "129") {
                Screenshot(dialog, "ip-add-ipv6-address-dialog-prefix-129");
            }
            DialogKey(dialog, VK_RETURN);
        };
    };
    for (const auto& [rest, prefix] :
         {std::pair<std::string, std::string>{"001:db8::1::5", "64"}, {"001:db8::77", "129"}}) {
        machine.ui.ClearBoxes();
        EXPECT_TRUE(TypeIntoList(V6(IPList::Address), '2', address6(rest, prefix)));
        ASSERT_EQ(machine.ui.Boxes().size(), 1u) << rest;
        EXPECT_EQ(Column(V6(IPList::Address)), v6);
        EXPECT_EQ(machine.ipStack.FindInterface(kStaticGuid)->ipv6.size(), live6);
    }
    EXPECT_NE(machine.ui.Boxes()[0].text.find("from 0 to 128"), std::string::npos);
}

TEST_F(IPPanelsTest, RemovalFailingPartWayLeavesTheListTrueToTheMachine) {
    ShowIPTab(kStatic);
    for (const char* rest : {"0.0.0.5", "0.0.0.6"}) {
        EXPECT_TRUE(TypeIntoList(V4(IPList::Address), '1', AddressAnswer(rest, "8")));
    }
    Select(V4(IPList::Address), {0, 1, 2});
    machine.ipStack.InjectFailure(sim::SimIpStack::Call::DeleteIPAddress, 5, 1, 1);
    OnNextModal([&](HWND dialog) { Click(dialog, IDOK); });
    Key(VK_DELETE);

    ASSERT_EQ(machine.ui.Boxes().size(), 1u);
    EXPECT_NE(machine.ui.Boxes()[0].text.find("IPv4Address.Remove"), std::string::npos);
    EXPECT_EQ(LiveIPv4(kStaticGuid), (Strings{"10.0.0.5", "10.0.0.6"}));
    EXPECT_EQ(Column(V4(IPList::Address)), LiveIPv4(kStaticGuid));
    EXPECT_EQ(Header(V4(IPList::Address)), "IP Address (2)");
}

}  // namespace
}  // namespace vexav6::testing
