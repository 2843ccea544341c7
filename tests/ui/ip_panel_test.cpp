#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "adapters/adapter_info.h"
#include "adapters/device_manager.h"
#include "ip_panel_fakes.h"
#include "ipconfig/ipv4_support.h"
#include "ipconfig/ipv6_support.h"
#include "platform/sim/adapter_setup.h"
#include "platform/sim/machine.h"
#include "presets/preset.h"
#include "startup/application.h"
#include "ui/frm_add_dns.h"
#include "ui/frm_add_gateway.h"
#include "ui/frm_add_ipv4.h"
#include "ui/frm_add_ipv6.h"
#include "ui/frm_remove.h"
#include "ui/ipv4_panel.h"
#include "ui/ipv6_panel.h"

namespace vexav6::testing {
namespace {

using ui::IPCommand;
using ui::IPList;
using Call = sim::SimIpStack::Call;
using Strings = std::vector<std::string>;

constexpr const char* kStatic = "{5C0A1B2D-0000-4000-8000-0000000000A1}";
constexpr const char* kDhcp = "{5C0A1B2D-0000-4000-8000-0000000000B2}";
constexpr platform::RootKey kHklm = platform::RootKey::LocalMachine;

std::string InterfaceKey(const std::string& guid) {
    return "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + guid;
}

class IPPanelTest : public ::testing::Test {
  protected:
    // A static adapter and a DHCP adapter, both running with a cable.
    void SetUp() override {
        for (ui::IPPanel* panel :
             {static_cast<ui::IPPanel*>(&v4), static_cast<ui::IPPanel*>(&v6)}) {
            panel->AttachView(&view);
            panel->SetDialogHost(&dialogs);
        }
        sim::AdapterSetup setup;
        setup.guid = kStatic;
        setup.driverKey = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";
        setup.connectionName = "Office";
        setup.dhcp = false;
        setup.addresses = {{"192.168.5.10", "255.255.255.0"}};
        setup.gateways = {{"192.168.5.1", "0"}};
        setup.nameServers = "8.8.8.8,1.1.1.1,9.9.9.9";
        sim::AddNetworkAdapter(machine, setup);

        setup.guid = kDhcp;
        setup.driverKey = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0002";
        setup.connectionName = "Home";
        setup.burnedInAddress = "00-1B-21-3A-4F-5D";
        setup.dhcp = true;
        setup.addresses.clear();
        setup.gateways.clear();
        setup.nameServers.clear();
        setup.network.dhcp = sim::DhcpServerAnswer{
            "10.1.0.1", "10.1.0.50", "255.255.0.0", {"10.1.0.1"}, {"10.1.0.1"}, "home", 86400};
        sim::AddNetworkAdapter(machine, setup);
    }

    std::shared_ptr<AdapterInfo> Adapter(const char* guid) {
        KeyedCollection<std::shared_ptr<AdapterInfo>> adapters;
        DeviceManager::GetNetworkAdapters(platform, adapters, [this](const Error& error) {
            Application::ReportError(platform, error);
        });
        return adapters.Item(std::string(guid));
    }

    Strings Stored(const char* guid, const char* name) {
        return machine.registry.GetMultiString(kHklm, InterfaceKey(guid), name).value_or(Strings{});
    }
    std::string StoredText(const char* guid, const char* name) {
        return machine.registry.GetString(kHklm, InterfaceKey(guid), name).value_or("<absent>");
    }
    Strings LiveIPv4(const char* guid) {
        Strings addresses;
        for (const auto& address : machine.ipStack.FindInterface(guid)->ipv4) {
            addresses.push_back(IPv4Support::InetNtoa(address.address));
        }
        return addresses;
    }
    Strings LiveGateways(const char* guid) {
        Strings gateways;
        for (const auto& route : machine.ipStack.FindInterface(guid)->ipv4Routes) {
            if (route.dest == 0) {
                gateways.push_back(IPv4Support::InetNtoa(route.nextHop) + "/" +
                                   std::to_string(route.metric));
            }
        }
        return gateways;
    }
    // Everything the panels could change: the registry and the live configuration.
    std::string MachineState() {
        std::ostringstream out;
        machine.registry.ForEachKey(
            [&](platform::RootKey, const std::string& path, const auto& values) {
                for (const auto& [name, value] : values) {
                    out << path << "\\" << name << "="
                        << std::string(value.data.begin(), value.data.end()) << "\n";
                }
            });
        for (const auto* iface : machine.ipStack.Interfaces()) {
            for (const auto& a : iface->ipv4) {
                out << iface->spec.guid << " v4 " << a.address << "/" << a.mask << "\n";
            }
            for (const auto& r : iface->ipv4Routes) {
                out << iface->spec.guid << " route " << r.nextHop << "/" << r.metric << "\n";
            }
            for (const auto& row : iface->ipv6) {
                out << iface->spec.guid << " v6 " << IPv6Support::IPv6BytesToText(row.address.ipv6)
                    << "/" << int(row.onLinkPrefixLength) << "\n";
            }
        }
        return out.str();
    }
    std::vector<std::string> ErrorTexts() {
        std::vector<std::string> texts;
        for (const auto& box : machine.ui.Boxes()) {
            texts.push_back(box.text);
        }
        machine.ui.ClearBoxes();
        return texts;
    }
    static std::string ErrorText(const std::string& source, int number,
                                 const std::string& description) {
        return "An exception occured as described below:\r\n\r\nSource: " + source +
               "\r\nError: (" + std::to_string(number) + ") " + description;
    }

    // The answers a user gives to the add dialogs.
    static std::function<void(ui::frmAddIPv4&)> TypeAddress(std::string address, std::string prefix,
                                                            bool untick = false) {
        return [=](ui::frmAddIPv4& dialog) {
            dialog.Address().SetText(address);
            dialog.TextChanged(ui::DialogControl::Prefix, prefix);
            if (untick) {
                dialog.CheckBoxClicked(false);
            }
            dialog.Confirm();
        };
    }

    sim::Machine machine;
    Platform platform = machine.GetPlatform();
    FakePanelView view;
    ScriptedDialogs dialogs;
    ui::IPv4Panel v4{platform};
    ui::IPv6Panel v6{platform};
};

TEST_F(IPPanelTest, StaticAdapterChangesGoThroughTheAdapter) {
    v4.SetAdapter(Adapter(kStatic));
    EXPECT_EQ(view.caption, "Internet Protocol v4 [Static IP]");
    EXPECT_EQ(view.At(IPList::Address).rows,
              (std::vector<ui::IPRow>{{"192.168.5.10", "255.255.255.0"}}));
    EXPECT_EQ(view.At(IPList::Address).header, "IP Address (1)");
    EXPECT_EQ(view.At(IPList::Gateway).header, "Gateway (1)");
    EXPECT_EQ(view.At(IPList::DNS).header, "DNS Server (3)");
    EXPECT_TRUE(view.At(IPList::DNS).enabled);
    EXPECT_EQ(v4.PrepareMenu(IPList::DNS).size(), 5u);

    // A stored address, the prefix typed instead of the mask; a leading zero is no octal number.
    dialogs.Then<ui::frmAddIPv4>(TypeAddress("10.0.0.05", "8"));
    v4.Execute(IPList::Address, IPCommand::Add);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Add IPv4 Address");
    EXPECT_TRUE(dialogs.shown[0].checked);
    EXPECT_TRUE(dialogs.shown[0].checkEnabled);
    EXPECT_EQ(LiveIPv4(kStatic), (Strings{"192.168.5.10", "10.0.0.5"}));
    EXPECT_EQ(Stored(kStatic, "IPAddress"), (Strings{"192.168.5.10", "10.0.0.5"}));
    EXPECT_EQ(Stored(kStatic, "SubnetMask"), (Strings{"255.255.255.0", "255.0.0.0"}));

    // A live-only address, opened by typing its first digit into the list.
    dialogs.Then<ui::frmAddIPv4>([](ui::frmAddIPv4& dialog) {
        EXPECT_EQ(dialog.Address().PartText(0), "1");
        dialog.Address().SetText("172.16.0.9");
        dialog.SubnetMask().SetText("255.255.0.0");
        dialog.CheckBoxClicked(false);
        dialog.Confirm();
    });
    EXPECT_TRUE(v4.KeyDown(IPList::Address, '1', false, false));
    EXPECT_EQ(LiveIPv4(kStatic), (Strings{"192.168.5.10", "10.0.0.5", "172.16.0.9"}));
    EXPECT_EQ(Stored(kStatic, "IPAddress"), (Strings{"192.168.5.10", "10.0.0.5"}));
    EXPECT_EQ(view.Keys(IPList::Address), (Strings{"192.168.5.10", "10.0.0.5", "172.16.0.9"}));
    EXPECT_EQ(view.At(IPList::Address).header, "IP Address (3)");

    dialogs.Then<ui::frmAddGWv4>([](ui::frmAddGWv4& dialog) {
        dialog.GatewayIP().SetText("10.0.0.1");
        dialog.TextChanged(ui::DialogControl::Metric, "25");
        dialog.Confirm();
    });
    v4.Execute(IPList::Gateway, IPCommand::Add);
    ASSERT_EQ(view.At(IPList::Gateway).rows.size(), 2u);
    EXPECT_EQ(view.At(IPList::Gateway).rows.back(), (ui::IPRow{"10.0.0.1", "25"}));
    EXPECT_EQ(Stored(kStatic, "DefaultGateway"), (Strings{"192.168.5.1", "10.0.0.1"}));
    EXPECT_EQ(Stored(kStatic, "DefaultGatewayMetric"), (Strings{"0", "25"}));

    // Two of the three addresses at once, permanently; then Ctrl+C copies the focused row.
    view.Select(IPList::Address, {1, 2});
    dialogs.ThenConfirm();
    EXPECT_TRUE(v4.KeyDown(IPList::Address, ui::ipkey::kDelete, false, false));
    EXPECT_EQ(dialogs.shown.back().caption, "Remove IPv4 Address?");
    EXPECT_EQ(dialogs.shown.back().question, "Are you sure to remove the selected IPv4 addresses?");
    EXPECT_TRUE(dialogs.shown.back().checkEnabled);
    EXPECT_EQ(LiveIPv4(kStatic), (Strings{"192.168.5.10"}));
    EXPECT_EQ(Stored(kStatic, "IPAddress"), (Strings{"192.168.5.10"}));
    EXPECT_EQ(view.Keys(IPList::Address), (Strings{"192.168.5.10"}));

    view.Select(IPList::Gateway, {1});
    EXPECT_TRUE(v4.KeyDown(IPList::Gateway, ui::ipkey::kC, true, false));
    EXPECT_EQ(view.clipboard, "10.0.0.1");
    EXPECT_TRUE(ErrorTexts().empty());
}

TEST_F(IPPanelTest, DhcpAndDisconnectedAdaptersLimitWhatAnAddressCanBe) {
    // DHCP with a cable: Add IP works, the address is live only.
    v4.SetAdapter(Adapter(kDhcp));
    EXPECT_EQ(view.caption, "Internet Protocol v4 [DHCPv4]");
    EXPECT_TRUE(v4.PrepareMenu(IPList::Address).at(0).enabled);
    const Strings storedBefore = Stored(kDhcp, "IPAddress");
    dialogs.Then<ui::frmAddIPv4>(TypeAddress("10.1.0.77", "16"));
    v4.Execute(IPList::Address, IPCommand::Add);
    EXPECT_FALSE(dialogs.shown.back().checked);
    EXPECT_FALSE(dialogs.shown.back().checkEnabled);
    EXPECT_EQ(LiveIPv4(kDhcp), (Strings{"10.1.0.50", "10.1.0.77"}));
    EXPECT_EQ(Stored(kDhcp, "IPAddress"), storedBefore);

    // DHCP without a cable: no lease, the "0.0.0.0" row, nothing to add, remove or copy.
    machine.ipStack.SetOperStatus(kDhcp, 2);
    v4.SetAdapter(Adapter(kDhcp));
    const auto menu = v4.PrepareMenu(IPList::Address);
    EXPECT_EQ(menu.at(0), (ui::IPMenuItem{IPCommand::Add, "&Add IP", false}));
    if (!view.At(IPList::Address).rows.empty() &&
        view.At(IPList::Address).rows.front().front() == "0.0.0.0") {
        EXPECT_FALSE(menu.at(1).enabled);
        EXPECT_FALSE(menu.at(2).enabled);
    }
    view.Select(IPList::Address, {0});
    EXPECT_TRUE(v4.KeyDown(IPList::Address, '5', false, false));  // taken, nothing opens
    const size_t shown = dialogs.shown.size();

    // Static without a cable: the address can only be stored.
    machine.ipStack.SetOperStatus(kStatic, 2);
    v4.SetAdapter(Adapter(kStatic));
    dialogs.Then<ui::frmAddIPv4>(TypeAddress("10.9.9.9", "8", /*untick=*/true));
    v4.Execute(IPList::Address, IPCommand::Add);
    ASSERT_EQ(dialogs.shown.size(), shown + 1);
    EXPECT_TRUE(dialogs.shown.back().checked);
    EXPECT_FALSE(dialogs.shown.back().checkEnabled);
    EXPECT_EQ(Stored(kStatic, "IPAddress"), (Strings{"192.168.5.10", "10.9.9.9"}));
    EXPECT_EQ(LiveIPv4(kStatic), (Strings{"192.168.5.10"}));
    EXPECT_TRUE(ErrorTexts().empty());
}

TEST_F(IPPanelTest, RemovalFailingPartWayLeavesTheListTrueToTheMachine) {
    v4.SetAdapter(Adapter(kStatic));
    for (const char* address : {"10.0.0.5", "10.0.0.6"}) {
        dialogs.Then<ui::frmAddIPv4>(TypeAddress(address, "8"));
        v4.Execute(IPList::Address, IPCommand::Add);
    }
    view.Select(IPList::Address, {0, 1, 2});
    dialogs.Then<ui::frmRemove>([this](ui::frmRemove& dialog) {
        // The second live removal fails.
        machine.ipStack.InjectFailure(Call::DeleteIPAddress, 5, 1, 1);
        dialog.Confirm();
    });
    v4.Execute(IPList::Address, IPCommand::Remove);

    EXPECT_EQ(ErrorTexts(), (Strings{ErrorText("IPv4Address.Remove", 5, "Access is denied.")}));
    EXPECT_EQ(LiveIPv4(kStatic), (Strings{"10.0.0.5", "10.0.0.6"}));
    EXPECT_EQ(Stored(kStatic, "IPAddress"), (Strings{"10.0.0.5", "10.0.0.6"}));
    EXPECT_EQ(view.Keys(IPList::Address), LiveIPv4(kStatic));
    EXPECT_EQ(view.At(IPList::Address).header, "IP Address (2)");
}

TEST_F(IPPanelTest, MistypedEntriesEndInAnErrorAndChangeNothing) {
    // The cable is out: the static adapter's addresses would only be stored, unseen by the system.
    machine.ipStack.SetOperStatus(kStatic, 2);
    v4.SetAdapter(Adapter(kStatic));
    const std::string before = MachineState();
    const auto rows = view.lists;

    dialogs.Then<ui::frmAddIPv4>([](ui::frmAddIPv4& dialog) {
        dialog.Address().SetText("192.168.5.20");
        dialog.Address().PartEdited(0, "999");  // pasted: emptied by the box itself
        dialog.SubnetMask().SetText("255.255.255.0");
        dialog.Confirm();
    });
    v4.Execute(IPList::Address, IPCommand::Add);
    dialogs.Then<ui::frmAddGWv4>([](ui::frmAddGWv4& dialog) {
        dialog.GatewayIP().SetText("192.168.5.254");
        dialog.TextChanged(ui::DialogControl::Metric, "10000");
        dialog.Confirm();
    });
    v4.Execute(IPList::Gateway, IPCommand::Add);
    dialogs.Then<ui::frmAddIPv4>([](ui::frmAddIPv4& dialog) {
        dialog.Address().SetText("192.168.5.21");
        dialog.SubnetMask().SetText("255.0.255.0");
        dialog.Confirm();
    });
    v4.Execute(IPList::Address, IPCommand::Add);

    v6.SetAdapter(Adapter(kStatic));
    const auto rows6 = view.lists;
    dialogs.Then<ui::frmAddIPv6>([](ui::frmAddIPv6& dialog) {
        dialog.TextChanged(ui::DialogControl::Address, "2001:db8::1::2");
        dialog.Confirm();
    });
    v6.Execute(IPList::Address, IPCommand::Add);
    dialogs.Then<ui::frmAddIPv6>([](ui::frmAddIPv6& dialog) {
        dialog.TextChanged(ui::DialogControl::Address, "2001:db8::1");
        dialog.TextChanged(ui::DialogControl::Prefix, "129");
        dialog.Confirm();
    });
    v6.Execute(IPList::Address, IPCommand::Add);
    dialogs.Then<ui::frmAddDNSv6>([](ui::frmAddDNSv6& dialog) {
        dialog.TextChanged(ui::DialogControl::Address, "2001:db8::g");
        dialog.Confirm();
    });
    v6.Execute(IPList::DNS, IPCommand::Add);

    EXPECT_EQ(
        ErrorTexts(),
        (Strings{
            ErrorText("IPv4Panel.AddIP", 1,
                      "\".168.5.20\" is not an IPv4 address: type four numbers from 0 "
                      "to 255."),
            ErrorText("IPv4Panel.AddGateway", 1,
                      "The route metric must be a number from 0 to 9999."),
            ErrorText("IPv4Panel.AddIP", 1, "\"255.0.255.0\" is not a subnet mask."),
            ErrorText("IPv6Panel.AddIP", 1, "\"2001:db8::1::2\" is not an IPv6 address."),
            ErrorText("IPv6Panel.AddIP", 1, "The prefix length must be a number from 0 to 128."),
            ErrorText("IPv6Panel.AddDNS", 1, "\"2001:db8::g\" is not an IPv6 address.")}));
    EXPECT_EQ(MachineState(), before);
    EXPECT_EQ(view.lists[0].rows, rows6[0].rows);
    EXPECT_EQ(view.lists[2].rows, rows6[2].rows);
    v4.SetAdapter(Adapter(kStatic));
    EXPECT_EQ(view.lists[0].rows, rows[0].rows);
    EXPECT_EQ(view.lists[1].rows, rows[1].rows);
}

TEST_F(IPPanelTest, DnsServersAreRemovedAndMovedAsOneStoredList) {
    v4.SetAdapter(Adapter(kStatic));
    const std::string nameServerKey = InterfaceKey(kStatic);

    // The lower two move up together; moved again, the block at the top stays as it is and
    // nothing is written (a write would fail here and show an error).
    view.Select(IPList::DNS, {1, 2});
    v4.Execute(IPList::DNS, IPCommand::MoveUp);
    EXPECT_EQ(StoredText(kStatic, "NameServer"), "1.1.1.1,9.9.9.9,8.8.8.8");
    EXPECT_EQ(view.Keys(IPList::DNS), (Strings{"1.1.1.1", "9.9.9.9", "8.8.8.8"}));
    EXPECT_EQ(view.At(IPList::DNS).selected, (std::vector<int>{0, 1}));
    machine.registry.InjectFailure(sim::SimRegistry::Op::Set, kHklm, nameServerKey, "NameServer", 5,
                                   -1);
    EXPECT_TRUE(v4.KeyDown(IPList::DNS, ui::ipkey::kUp, true, false));
    EXPECT_TRUE(ErrorTexts().empty());
    // A failing write is reported and the list is read again.
    view.Select(IPList::DNS, {0});
    EXPECT_TRUE(v4.KeyDown(IPList::DNS, ui::ipkey::kDown, true, false));
    EXPECT_EQ(ErrorTexts().size(), 1u);
    EXPECT_EQ(view.Keys(IPList::DNS), (Strings{"1.1.1.1", "9.9.9.9", "8.8.8.8"}));
    machine.registry.ClearFailures();

    // Removing every server leaves the "no server" placeholder; removing that empties the value.
    view.Select(IPList::DNS, {0, 1, 2});
    dialogs.ThenConfirm();
    v4.Execute(IPList::DNS, IPCommand::Remove);
    EXPECT_EQ(dialogs.shown.back().caption, "Remove IPv4 DNS Server?");
    EXPECT_FALSE(dialogs.shown.back().checkEnabled);
    EXPECT_EQ(StoredText(kStatic, "NameServer"), "0.0.0.0");
    EXPECT_EQ(view.Keys(IPList::DNS), (Strings{"0.0.0.0"}));
    view.Select(IPList::DNS, {0});
    dialogs.ThenConfirm();
    v4.Execute(IPList::DNS, IPCommand::Remove);
    EXPECT_EQ(StoredText(kStatic, "NameServer"), "");
    EXPECT_TRUE(view.At(IPList::DNS).rows.empty());
    EXPECT_FALSE(v4.PrepareMenu(IPList::DNS).at(1).enabled);
}

TEST_F(IPPanelTest, PresetModeEditsOnlyTheListsThePresetIncludes) {
    auto preset = std::make_shared<Preset>();
    preset->SetIPv4Selected(true);
    preset->SetIPv4Addresses(IPv4AddressList{});
    preset->SetIPv4NameServers(NameServerList{});
    v4.SetPreset(preset);
    EXPECT_EQ(view.caption, "Internet Protocol v4 [Static IP]");
    EXPECT_TRUE(view.At(IPList::Address).enabled);
    EXPECT_FALSE(view.At(IPList::Gateway).enabled);
    EXPECT_TRUE(v4.PrepareMenu(IPList::Gateway).empty());
    EXPECT_FALSE(v4.KeyDown(IPList::Gateway, '1', false, false));

    dialogs.Then<ui::frmAddIPv4>(TypeAddress("10.0.0.5", "24"));
    v4.Execute(IPList::Address, IPCommand::Add);
    EXPECT_TRUE(dialogs.shown.back().checked);
    EXPECT_FALSE(dialogs.shown.back().checkEnabled);
    // The same address again fails in the list and leaves it as it was.
    dialogs.Then<ui::frmAddIPv4>(TypeAddress("10.0.0.5", "16"));
    v4.Execute(IPList::Address, IPCommand::Add);
    EXPECT_EQ(ErrorTexts().size(), 1u);
    ASSERT_EQ(preset->IPv4Addresses()->Count(), 1);
    EXPECT_EQ(preset->IPv4Addresses()->Item(1)->SubnetMask(), "255.255.255.0");
    EXPECT_EQ(view.At(IPList::Address).header, "IP Address (1)");

    for (const char* server : {"9.9.9.9", "1.1.1.1"}) {
        dialogs.Then<ui::frmAddDNSv4>([server](ui::frmAddDNSv4& dialog) {
            dialog.DNSIP().SetText(server);
            dialog.Confirm();
        });
        v4.Execute(IPList::DNS, IPCommand::Add);
    }
    view.Select(IPList::DNS, {1});
    v4.Execute(IPList::DNS, IPCommand::MoveUp);
    EXPECT_EQ(preset->IPv4NameServers()->Item(1), "1.1.1.1");

    view.Select(IPList::Address, {0});
    dialogs.ThenConfirm();
    v4.Execute(IPList::Address, IPCommand::Remove);
    EXPECT_FALSE(dialogs.shown.back().checkEnabled);
    EXPECT_EQ(preset->IPv4Addresses()->Count(), 0);
    EXPECT_FALSE(preset->IPv4Gateways().has_value());

    // IPv6: the address is kept in its full form, keyed by it.
    preset->SetIPv6Addresses(IPv6AddressList{});
    v6.SetPreset(preset);
    EXPECT_EQ(view.caption, "Internet Protocol v6 [Not Selected]");
    dialogs.Then<ui::frmAddIPv6>([](ui::frmAddIPv6& dialog) {
        EXPECT_EQ(dialog.TextOf(ui::DialogControl::Address), "2");
        dialog.TextChanged(ui::DialogControl::Address, "2001:db8::5");
        dialog.Confirm();
    });
    v6.KeyDown(IPList::Address, ui::ipkey::kNumpad0 + 2, false, false);
    EXPECT_EQ(view.At(IPList::Address).rows,
              (std::vector<ui::IPRow>{{"2001:0DB8:0000:0000:0000:0000:0000:0005", "64"}}));
    EXPECT_TRUE(ErrorTexts().empty());
}

TEST_F(IPPanelTest, IPv6AddressesGatewaysAndServersOfAnAdapter) {
    v6.SetAdapter(Adapter(kStatic));
    EXPECT_EQ(view.At(IPList::Address).header.rfind("Unicast IP Address (", 0), 0u);
    const size_t before = view.At(IPList::Address).rows.size();

    dialogs.Then<ui::frmAddIPv6>([](ui::frmAddIPv6& dialog) {
        EXPECT_EQ(dialog.TextOf(ui::DialogControl::Prefix), "64");
        dialog.TextChanged(ui::DialogControl::Address, " 2001:db8:5::20 ");
        dialog.TextChanged(ui::DialogControl::Prefix, "48");
        dialog.Confirm();
    });
    v6.Execute(IPList::Address, IPCommand::Add);
    dialogs.Then<ui::frmAddGWv6>([](ui::frmAddGWv6& dialog) {
        dialog.TextChanged(ui::DialogControl::Address, "2001:db8:5::1");
        dialog.TextChanged(ui::DialogControl::Metric, "20");
        dialog.Confirm();
    });
    v6.Execute(IPList::Gateway, IPCommand::Add);
    dialogs.Then<ui::frmAddDNSv6>([](ui::frmAddDNSv6& dialog) {
        dialog.TextChanged(ui::DialogControl::Address, "2001:4860:4860::8888");
        dialog.Confirm();
    });
    v6.Execute(IPList::DNS, IPCommand::Add);
    EXPECT_TRUE(ErrorTexts().empty());

    const auto& rows = view.At(IPList::Address).rows;
    ASSERT_EQ(rows.size(), before + 1);
    EXPECT_EQ(rows.back(), (ui::IPRow{"2001:0DB8:0005:0000:0000:0000:0000:0020", "48"}));
    EXPECT_EQ(view.At(IPList::Gateway).rows.back(), (ui::IPRow{"2001:DB8:5::1", "20"}));
    EXPECT_EQ(view.Keys(IPList::DNS), (Strings{"2001:4860:4860::8888"}));

    // Removed again, with the IPv6 wording of the confirmation.
    view.Select(IPList::Address, {static_cast<int>(before)});
    dialogs.ThenConfirm();
    v6.Execute(IPList::Address, IPCommand::Remove);
    EXPECT_EQ(dialogs.shown.back().caption, "Remove IPv6 Address?");
    EXPECT_EQ(dialogs.shown.back().checkBox, "Permanently Remove IPv6 Address");
    EXPECT_EQ(view.At(IPList::Address).rows.size(), before);
    EXPECT_TRUE(ErrorTexts().empty());
}

TEST(IPv6PanelCaption, FollowsBindingRouterDiscoveryAndDhcp) {
    using ui::IPv6Panel;
    EXPECT_EQ(IPv6Panel::AdapterCaption(false, 1, true, true),
              "Internet Protocol v6 [Not Installed]");
    EXPECT_EQ(IPv6Panel::AdapterCaption(true, 0, false, true),
              "Internet Protocol v6 [Statefull | DHCPv6]");
    EXPECT_EQ(IPv6Panel::AdapterCaption(true, 0, true, false), "Internet Protocol v6 [Manual]");
    EXPECT_EQ(IPv6Panel::AdapterCaption(true, 2, false, false), "Internet Protocol v6 [DHCPv6]");
    EXPECT_EQ(IPv6Panel::AdapterCaption(true, -1, true, true),
              "Internet Protocol v6 [Stateless | DHCPv6]");
    EXPECT_EQ(IPv6Panel::AdapterCaption(true, 1, false, true), "Internet Protocol v6 [Stateless]");
    EXPECT_EQ(IPv6Panel::AdapterCaption(true, 3, true, true), "Internet Protocol v6 [Unknown]");
}

}  // namespace
}  // namespace vexav6::testing
