#include "ui/change_mac_address.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adapters/adapter_machine.h"
#include "support/temp_dir.h"
#include "ui/fake_mac_address_view.h"
#include "vendors/vendor_test_support.h"

namespace vexav6::testing {
namespace {

using ui::ChangeMACAddress;

constexpr const char* kEthernet = "{3F2A6C1E-8B4D-4E21-9A7C-5D1E2F3A4B01}";
constexpr const char* kWifi = "{7C1B9E44-2D6A-4F0B-8E35-A1C2D3E4F502}";
constexpr const char* kEthernetClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";

class ChangeMACAddressTest : public AdapterMachineTest {
  protected:
    ChangeMACAddressTest() {
        Load("demo.json");
        adapters = List();
        WriteFileBytes(listing.File("oui.txt"),
                       ListingEntry(0x001A2B, "Example Networks Inc.", {"1 Main Street", "US"}) +
                           ListingEntry(0x0050C2, "IEEE Registration Authority", {}) +
                           ListingEntry(0x00AA01, "Other Example Ltd.", {}));
        vendors.ParseOUI(listing.File("oui.txt"));
        macView.machine = &panel.MACAddress1();
        panel.onChanging = [this] { events.push_back("Changing"); };
        panel.onChanged = [this](bool success, bool restore) {
            events.push_back(std::string("Changed ") + (success ? "success" : "failure") +
                             (restore ? " restore" : " change"));
        };
        panel.onError = [this](const Error& error) { events.push_back("Error " + error.Source()); };
        panel.Initialize();
        panel.LoadVendors(vendors, false);
    }

    void Select(const char* guid) {
        adapter = adapters.Item(guid);
        panel.SetAdapter(adapter);
    }
    void Type(const std::string& keys) {
        macView.Click(0);
        macView.Type(keys);
    }
    std::optional<std::string> StoredAddress(const char* classKey = kEthernetClassKey) {
        return machine.registry.GetString(kHklm, classKey, "NetworkAddress");
    }

    KeyedCollection<std::shared_ptr<AdapterInfo>> adapters;
    std::shared_ptr<AdapterInfo> adapter;
    TempDir listing;
    NICVendor vendors{platform};
    FakeChangeMACAddressView view;
    FakeMACAddressView macView;
    // Every random fraction is 0.5: 5000, whose low byte is 0x88.
    ChangeMACAddress panel{platform, view, macView, [] { return 0.5; }};
    std::vector<std::string> events;
};

TEST_F(ChangeMACAddressTest, TypedChangePersistsAndIsRestored) {
    Select(kEthernet);
    EXPECT_FALSE(view.changeEnabled);
    EXPECT_FALSE(view.checked02);
    const std::string original = adapter->ActiveNetworkAddress();

    Type("001a2b");
    EXPECT_EQ(view.vendorText, "[00-1A-2B] Example Networks Inc.");
    EXPECT_TRUE(view.changeEnabled);
    // Typing the last three octets does not look the same prefix up again.
    view.vendorText = "untouched";
    macView.Type("3c4d5e");
    EXPECT_EQ(view.vendorText, "untouched");
    ASSERT_EQ(panel.MACAddress1().Text(), "00-1A-2B-3C-4D-5E");

    panel.cmdChange_Click();
    EXPECT_EQ(events, (std::vector<std::string>{"Changing", "Changed success change"}));
    EXPECT_EQ(StoredAddress(), "001A2B3C4D5E");
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(panel.MACAddress1().Text(), "00-00-00-00-00-00");
    EXPECT_EQ(view.vendorText, "");
    EXPECT_FALSE(view.changeEnabled);

    // Typing the same prefix after the box was emptied names its vendor again.
    Type("001A2B");
    EXPECT_EQ(view.vendorText, "[00-1A-2B] Example Networks Inc.");

    panel.SetAdapter(adapter);
    EXPECT_TRUE(view.restoreEnabled);
    events.clear();
    panel.cmdRestore_Click();
    EXPECT_EQ(events, (std::vector<std::string>{"Changing", "Changed success restore"}));
    EXPECT_FALSE(StoredAddress().has_value());
    EXPECT_EQ(adapter->ActiveNetworkAddress(), original);
}

TEST_F(ChangeMACAddressTest, ChangeThatDoesNotPersistRestartsAndLeavesNoValue) {
    Select(kEthernet);
    const std::string original = adapter->ActiveNetworkAddress();
    panel.chkAutoRestart_Click(false);
    panel.chkPersistent_Click(false);
    // Without persistence the restart is forced and cannot be switched off.
    EXPECT_TRUE(view.autoRestart);
    EXPECT_FALSE(view.autoRestartEnabled);

    Type("02aabbccddee");
    panel.cmdChange_Click();
    EXPECT_EQ(events, (std::vector<std::string>{"Changing", "Changed success change"}));
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "02-AA-BB-CC-DD-EE");
    EXPECT_FALSE(StoredAddress().has_value());

    // A restore that does not persist gives the running device its own address back; with no
    // stored change there is nothing to bring back for the next start.
    events.clear();
    panel.cmdRestore_Click();
    EXPECT_EQ(events, (std::vector<std::string>{"Changing", "Changed success restore"}));
    EXPECT_EQ(adapter->ActiveNetworkAddress(), original);
    EXPECT_FALSE(StoredAddress().has_value());

    // With a stored change, the non-persistent restore keeps it for the next start (never the
    // all-zero address of the emptied box).
    panel.chkPersistent_Click(true);
    EXPECT_TRUE(view.autoRestartEnabled);
    Type("0211223344 55");
    panel.cmdChange_Click();
    panel.chkPersistent_Click(false);
    panel.cmdRestore_Click();
    EXPECT_EQ(adapter->ActiveNetworkAddress(), original);
    EXPECT_EQ(StoredAddress(), "021122334455");
}

TEST_F(ChangeMACAddressTest, WirelessAdapterTakesOnlyThe02Addresses) {
    Select(kWifi);
    EXPECT_TRUE(view.checked02);

    panel.cmdRandom_Click();
    const std::string random = panel.MACAddress1().Text();
    EXPECT_EQ(random.substr(0, 3), "02-");
    EXPECT_TRUE(view.vendorText.starts_with("[")) << view.vendorText;
    EXPECT_TRUE(view.changeEnabled);
    panel.cmdChange_Click();
    EXPECT_EQ(events, (std::vector<std::string>{"Changing", "Changed success change"}));
    EXPECT_EQ(adapter->ActiveNetworkAddress(), random);

    // Clearing the box sets the first octet to 00, not back to the vendor's.
    panel.VendorText_Typed("example");
    ASSERT_EQ(view.rows, 2u);
    panel.cmbVendorList_Chosen(1);
    EXPECT_EQ(panel.MACAddress1().Text(), "02-AA-01-88-88-88");
    EXPECT_EQ(view.vendorText, "[00-AA-01] Other Example Ltd.");
    view.checked02 = false;
    panel.chk02MAC_Click(false);
    EXPECT_EQ(panel.MACAddress1().Text(), "00-AA-01-88-88-88");

    // The wireless driver ignores an address without the 02 bit: the change is a failure.
    events.clear();
    panel.cmdChange_Click();
    EXPECT_EQ(events, (std::vector<std::string>{"Changing", "Changed failure change"}));
    EXPECT_EQ(adapter->ActiveNetworkAddress(), "48-51-C5-2B-90-3D");
}

TEST_F(ChangeMACAddressTest, UnusableAddressesAreRefusedBeforeTheDeviceIsTouched) {
    Select(kEthernet);
    const std::string before = adapter->ActiveNetworkAddress();
    for (const char* typed : {"0100 5e000001", "ffffffffffff"}) {
        Type(typed);
        ASSERT_TRUE(view.changeEnabled);
        machine.ui.ClearBoxes();
        panel.cmdChange_Click();
        ASSERT_EQ(machine.ui.Boxes().size(), 1u);
        EXPECT_EQ(machine.ui.Boxes()[0].title, "Invalid MAC Address");
        EXPECT_TRUE(view.changeEnabled);
    }
    EXPECT_NE(machine.ui.Boxes()[0].text.find("broadcast"), std::string::npos);
    EXPECT_NE(ui::UnusableAddressReason("01-00-5E-00-00-01").find("multicast"), std::string::npos);
    EXPECT_NE(ui::UnusableAddressReason("00-00-00-00-00-00").find("all zeros"), std::string::npos);
    EXPECT_EQ(ui::UnusableAddressReason("02-00-5E-00-00-01"), "");
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(StoredAddress().has_value());
    EXPECT_EQ(adapter->ActiveNetworkAddress(), before);
}

TEST_F(ChangeMACAddressTest, RefusedChangeRaisesErrorAndCanBeTriedAgain) {
    Select("{E6F7A8B9-C0D1-4E2F-8A3B-4C5D6E7F8A05}");  // the network bridge
    Type("02aabbccddee");
    panel.cmdChange_Click();
    EXPECT_EQ(events,
              (std::vector<std::string>{"Changing", "Error AdapterInfo.ChangeNetworkAddress"}));
    EXPECT_TRUE(view.changeEnabled);
    EXPECT_EQ(panel.MACAddress1().Text(), "02-AA-BB-CC-DD-EE");
}

}  // namespace
}  // namespace vexav6::testing
