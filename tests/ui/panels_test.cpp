#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "adapters/device_manager.h"
#include "platform/sim/machine.h"
#include "support/temp_dir.h"
#include "ui/common_dialog.h"
#include "ui/network_adapter_info.h"
#include "ui/network_monitor_panel.h"
#include "vendors/nic_vendor.h"
#include "vendors/vendor_test_support.h"

namespace vexav6::ui {
namespace {

using ::testing::HasSubstr;

// The demo machine with a vendor database that knows the Ethernet adapter's maker.
class PanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        machine.Load(std::string(VEXAV6_FIXTURES_DIR) + "/machines/demo.json");
        testing::WriteFileBytes(
            folder.File("oui.txt"),
            testing::MakeListing(3) +
                testing::ListingEntry(0x04D4C4, "ASUSTek COMPUTER INC.", {"Taipei", "TW"}));
        vendors.ParseOUI(folder.File("oui.txt"));
    }

    std::shared_ptr<AdapterInfo> Adapter(const std::string& name) {
        adapters.Clear();
        DeviceManager::GetNetworkAdapters(platform, adapters);
        for (const auto& adapter : adapters) {
            if (adapter->ConnectionName() == name) {
                return adapter;
            }
        }
        ADD_FAILURE() << "no connection " << name;
        return nullptr;
    }

    sim::Machine machine;
    Platform platform = machine.GetPlatform();
    testing::TempDir folder;
    NICVendor vendors{platform};
    KeyedCollection<std::shared_ptr<AdapterInfo>> adapters;
};

TEST_F(PanelTest, DetailsFollowTheAddressThroughAChange) {
    NetworkAdapterInfo details;
    EXPECT_EQ(details.Text(DetailsField::ActiveMAC), "<active mac>");
    EXPECT_EQ(details.Text(DetailsField::TCPIPv6), "<unknown>");

    auto ethernet = Adapter("Ethernet");
    details.LoadData(*ethernet, &vendors, false);
    EXPECT_EQ(details.Text(DetailsField::Device), "Intel(R) Ethernet Connection (7) I219-V");
    EXPECT_EQ(details.Text(DetailsField::OriginalMAC), "04-D4-C4-5A-12-7E");
    EXPECT_EQ(details.Text(DetailsField::OriginalMACVendor), "ASUSTek COMPUTER INC.");
    EXPECT_EQ(details.Text(DetailsField::ActiveMAC), "04-D4-C4-5A-12-7E (Original)");
    EXPECT_EQ(details.Text(DetailsField::ActiveMACVendor), "ASUSTek COMPUTER INC.");
    EXPECT_EQ(details.Text(DetailsField::TCPIPv4), "Enabled");
    // The vendor's address comes with the flag.
    details.LoadData(*ethernet, &vendors, true);
    EXPECT_THAT(details.Text(DetailsField::OriginalMACVendor), HasSubstr("(Address: Taipei"));

    // A stored address the device does not run with yet.
    ethernet->ChangeNetworkAddress("001002AABBCC");
    ethernet->Refresh(false);
    details.LoadData(*ethernet, &vendors, false);
    EXPECT_EQ(details.Text(DetailsField::ActiveMAC),
              "04-D4-C4-5A-12-7E (Inactive: 00-10-02-AA-BB-CC)");

    // After the restart the device runs with it, and its vendor is looked up.
    ethernet->SetState(false);
    ethernet->SetState(true);
    ethernet->Refresh(false);
    details.LoadData(*ethernet, &vendors, false);
    EXPECT_EQ(details.Text(DetailsField::ActiveMAC), "00-10-02-AA-BB-CC (Changed)");
    EXPECT_EQ(details.Text(DetailsField::ActiveMACVendor), "Vendor 2");
    EXPECT_EQ(details.Text(DetailsField::OriginalMACVendor), "ASUSTek COMPUTER INC.");

    // A disabled connection has no active address, and so no vendor.
    details.LoadData(*Adapter("Bluetooth Network Connection"), &vendors, false);
    EXPECT_EQ(details.Text(DetailsField::ActiveMAC), "<Network Connection Disabled>");
    EXPECT_EQ(details.Text(DetailsField::ActiveMACVendor), "");

    details.ClearData();
    EXPECT_EQ(details.Text(DetailsField::Connection), "<connection name>");
    EXPECT_EQ(details.Text(DetailsField::ActiveMACVendor), "<active mac vendor>");
}

TEST_F(PanelTest, TrafficRowsFollowTheAdapterAndTheUnit) {
    NetworkMonitorPanel panel;
    auto ethernet = Adapter("Ethernet");
    ethernet->SetNetworkTrafficMonitor(true);
    panel.SetAdapter(ethernet);
    EXPECT_EQ(panel.Row(1).value, "0 bps");
    EXPECT_EQ(panel.Chart().size(), static_cast<size_t>(ethernet->NetworkTrafficChartRows()));

    machine.timers.AdvanceTime(3000);
    // The demo Ethernet receives 180,000 bytes a second: 1.44 Mbps.
    EXPECT_EQ(panel.Row(1).value, "1.44 mbps (180000 bytes)");
    EXPECT_THAT(panel.Row(0).value, HasSubstr(" bytes)"));
    EXPECT_EQ(panel.Row(0).colour, kReceivedColour);
    EXPECT_EQ(panel.Row(3).colour, kSentColour);
    ASSERT_TRUE(panel.Chart().back()[0].has_value());
    EXPECT_DOUBLE_EQ(*panel.Chart().back()[0], 1440);

    panel.SetShowSpeedInKBytes(true);
    machine.timers.AdvanceTime(1000);
    EXPECT_EQ(panel.Row(1).value, "175.78 KB/s (180000 bytes)");

    // Another adapter: the rows start again in the current unit, and the first one's samples
    // no longer reach the panel.
    auto wifi = Adapter("Wi-Fi");
    panel.SetAdapter(wifi);
    EXPECT_EQ(panel.Row(1).value, "0 B/s");
    EXPECT_EQ(panel.Row(0).value, "0 byte");
    machine.timers.AdvanceTime(2000);
    EXPECT_EQ(panel.Row(1).value, "0 B/s");
}

TEST(CommonDialogTest, ChosenCancelledAndFailedDialogs) {
    sim::Machine machine;
    CommonDialog dialog(machine.ui);

    machine.ui.ScriptFileChosen(std::string("C:\\presets\\home.kpf\0junk", 25));
    EXPECT_TRUE(dialog.ShowOpen("Open Preset File", "Korvaldine Preset File (*.kpf)|*.kpf",
                                "C:\\presets", "kpf", platform::filedialog::kFileMustExist));
    EXPECT_EQ(dialog.FilePath(), "C:\\presets\\home.kpf");
    const auto& asked = machine.ui.FileDialogs().back();
    EXPECT_FALSE(asked.save);
    EXPECT_EQ(asked.request.initialFolder, "C:\\presets");
    EXPECT_EQ(asked.request.flags, platform::filedialog::kFileMustExist);

    EXPECT_FALSE(dialog.ShowSave("Save Preset As", "", "", "kpf", 0));
    EXPECT_EQ(dialog.FilePath(), "");

    machine.ui.ScriptFileDialog({false, "", CommonDialog::kInvalidFileName});
    try {
        dialog.ShowSave("Save Preset As", "", "", "kpf", 0);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.Number(), 12290);
        EXPECT_EQ(error.Source(), "CommonDialog.ShowSave");
        EXPECT_EQ(error.Description(), "Invalid file name.");
    }
    machine.ui.ScriptFileDialog({false, "", 12291});
    try {
        dialog.ShowOpen("Open Preset File", "", "", "kpf", 0);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.Number(), 12291);
        EXPECT_EQ(error.Source(), "CommonDialog.ShowOpen");
    }
}

}  // namespace
}  // namespace vexav6::ui
