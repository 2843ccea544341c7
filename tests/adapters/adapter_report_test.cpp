#include <gtest/gtest.h>

#include <algorithm>

#include "adapter_machine.h"
#include "base/error.h"
#include "base/text.h"
#include "system/common.h"

namespace vexav6::testing {
namespace {

constexpr const char* kLinkage = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Linkage";
constexpr const char* kStaticGuid = "{C4D5E6F7-0819-4A2B-BC3D-4E5F60718201}";

class ReportTest : public AdapterMachineTest {
  protected:
    std::vector<std::string> Lines(const std::string& report) {
        EXPECT_TRUE(report.ends_with("\r\n"));
        std::vector<std::string> lines = text::Split(report, "\r\n");
        lines.pop_back();  // after the last CR LF
        return lines;
    }
};

TEST_F(ReportTest, ReportLinesArePaddedWithDotsToFortyColumns) {
    Load("static-ip.json");
    const auto adapter = Adapter(kStaticGuid);
    std::vector<int32_t> asked;
    const std::string report = adapter->ToString([&](int32_t oui) {
        asked.push_back(oui);
        return std::string("Realtek Semiconductor Corp.");
    });
    EXPECT_EQ(asked, std::vector<int32_t>{0x7085C2});

    const std::vector<std::string> lines = Lines(report);
    ASSERT_GE(lines.size(), 11u);
    EXPECT_EQ(lines[0], "Connection Name.........................Ethernet");
    EXPECT_EQ(lines[5], "Active MAC Address......................70-85-C2-11-22-33");
    EXPECT_EQ(lines[6], "Active MAC Address Vendor...............Realtek Semiconductor Corp.");
    EXPECT_EQ(lines[7], "Link Speed.............................." + Common::FormatBitRate(1e9));
    EXPECT_EQ(lines[8], "Link Status.............................Up, Operational");
    EXPECT_EQ(lines[9], "TCP/IPv4................................True");
    EXPECT_EQ(lines[10], "TCP/IPv6................................True");
    for (const std::string& line : lines) {
        EXPECT_GT(line.size(), 40u) << line;
        EXPECT_NE(line[39], ' ') << line;
    }
    const std::vector<std::string> expectedIpv4 = {
        "DHCPv4 Enabled..........................False",
        "IPv4 Address............................192.168.50.10 (255.255.255.0)",
        "IPv4 Address............................10.10.0.5 (255.255.0.0)",
        "IPv4 Default Gateway....................192.168.50.1 (10)",
        "IPv4 Default Gateway....................10.10.0.1 (30)",
        "IPv4 DNS Server.........................192.168.50.1",
        "IPv4 DNS Server.........................9.9.9.9",
        "DHCPv6 Enabled..........................False",
    };
    ASSERT_GE(lines.size(), 11 + expectedIpv4.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 11, lines.begin() + 19), expectedIpv4);
    EXPECT_NE(report.find("IPv6 Address............................2001:0DB8:0050:0000:0000:0000:"
                          "0000:0010/64\r\n"),
              std::string::npos);
    EXPECT_NE(report.find("IPv6 Default Gateway....................2001:DB8:50::1 ("),
              std::string::npos);
    EXPECT_TRUE(report.ends_with("IPv6 DNS Server.........................2001:db8:50::53\r\n"));
}

TEST_F(ReportTest, UnboundAdapterReportEndsAfterTheProtocolLines) {
    sim::AdapterSetup setup = Setup();
    setup.bindTcpip6 = false;
    setup.enabled = false;
    Install(setup);
    machine.registry.PutMultiString(kHklm, kLinkage, "Bind", {});
    const auto adapter = Adapter();
    bool asked = false;
    const std::string report = adapter->ToString([&](int32_t) {
        asked = true;
        return std::string("XEROX CORPORATION");
    });
    const std::vector<std::string> lines = Lines(report);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines.back(), "TCP/IPv6................................False");
    EXPECT_EQ(lines[9], "TCP/IPv4................................False");
    // No active address (the device is off), so no vendor either.
    EXPECT_EQ(lines[5], "Active MAC Address......................");
    EXPECT_EQ(lines[6], "Active MAC Address Vendor...............");
    EXPECT_FALSE(asked);
}

TEST_F(ReportTest, DeletingAnAdapterRemovesOnlyItsTraces) {
    Install(Setup());
    Install(Setup(kGuidB, kDriverKeyB));
    const auto a = Adapter(kGuidA);
    a->DeleteAdapter();

    const std::string b = kGuidB;
    for (const auto& [name, entry] :
         std::vector<std::pair<std::string, std::string>>{{"Bind", "\\Device\\" + b},
                                                          {"Export", "\\Device\\Tcpip_" + b},
                                                          {"Route", "\"" + b + "\""}}) {
        const auto value = machine.registry.Get(kHklm, kLinkage, name);
        ASSERT_TRUE(value.has_value()) << name;
        EXPECT_EQ(value->type, platform::regtype::kMultiSz);
        const std::string expected = entry + std::string(2, '\0');
        EXPECT_EQ(std::string(value->data.begin(), value->data.end()), expected) << name;
    }
    EXPECT_FALSE(machine.registry.KeyExists(kHklm, kClassKeyA));
    EXPECT_FALSE(machine.registry.KeyExists(kHklm, kInterfaceKeyA));
    EXPECT_FALSE(machine.registry.KeyExists(
        kHklm, std::string("SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Adapters\\") +
                   kGuidA));
    EXPECT_FALSE(machine.registry.KeyExists(
        kHklm, std::string("SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-"
                           "BFC1-08002BE10318}\\") +
                   kGuidA));
    EXPECT_TRUE(machine.registry.KeyExists(
        kHklm, "SYSTEM\\CurrentControlSet\\Control\\Class\\" + std::string(kDriverKeyB)));

    // Listed again, only B is left.
    const auto adapters = List();
    ASSERT_EQ(adapters.Count(), 1);
    EXPECT_EQ(adapters.Key(1), kGuidB);
}

TEST_F(ReportTest, DeletingStopsAtTheFirstMissingPiece) {
    Install(Setup());
    const auto a = Adapter();
    a->DeleteAdapter();
    try {
        a->DeleteAdapter();
        ADD_FAILURE() << "deleted twice";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), 2);
        EXPECT_EQ(e.Source(), "AdapterInfo.DeleteAdapter");
    }
}

class TrafficTest : public AdapterMachineTest {
  protected:
    struct Sample {
        double totalSent, totalReceived, sentLastSecond, receivedLastSecond;
        NetworkTrafficChart chart;
    };

    std::shared_ptr<AdapterInfo> Monitored() {
        Install(Setup());
        auto adapter = Adapter();
        adapter->onNetworkTraffic = [this](double totalSent, double totalReceived,
                                           double sentLastSecond, double receivedLastSecond,
                                           const NetworkTrafficChart& chart) {
            samples.push_back(
                Sample{totalSent, totalReceived, sentLastSecond, receivedLastSecond, chart});
        };
        return adapter;
    }

    std::vector<Sample> samples;
};

TEST_F(TrafficTest, SamplesEverySecondWhileMonitoring) {
    const auto adapter = Monitored();
    EXPECT_EQ(adapter->NetworkTrafficChartRows(), 120);
    machine.ipStack.AddTraffic(kGuidA, 50000, 7000);
    adapter->SetNetworkTrafficMonitor(true);
    EXPECT_TRUE(adapter->NetworkTrafficMonitor());

    machine.timers.AdvanceTime(1000);
    ASSERT_EQ(samples.size(), 1u);
    // The first sample has nothing to compare with.
    EXPECT_EQ(samples[0].totalReceived, 50000);
    EXPECT_EQ(samples[0].totalSent, 7000);
    EXPECT_EQ(samples[0].receivedLastSecond, 0);
    EXPECT_EQ(samples[0].sentLastSecond, 0);
    ASSERT_EQ(samples[0].chart.size(), 120u);
    EXPECT_EQ(samples[0].chart[119][0], 0.0);
    EXPECT_EQ(samples[0].chart[119][1], 0.0);
    EXPECT_FALSE(samples[0].chart[118][0].has_value());

    machine.ipStack.AddTraffic(kGuidA, 125000, 1);
    machine.timers.AdvanceTime(1000);
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[1].receivedLastSecond, 125000);
    EXPECT_EQ(samples[1].sentLastSecond, 1);
    EXPECT_EQ(samples[1].chart[119][0], 1000.0);  // kilobits per second
    EXPECT_EQ(samples[1].chart[119][1], 0.0);     // 0.008 kb/s is below the smallest speed shown
    EXPECT_EQ(samples[1].chart[118][0], 0.0);     // the first sample moved up one row
    EXPECT_FALSE(samples[1].chart[117][0].has_value());

    adapter->SetNetworkTrafficMonitor(false);
    EXPECT_FALSE(adapter->NetworkTrafficMonitor());
    machine.ipStack.AddTraffic(kGuidA, 3000, 0);
    machine.timers.AdvanceTime(5000);
    EXPECT_EQ(samples.size(), 2u);

    // The pause counts into the first sample after monitoring resumes.
    adapter->SetNetworkTrafficMonitor(true);
    machine.timers.AdvanceTime(1000);
    ASSERT_EQ(samples.size(), 3u);
    EXPECT_EQ(samples[2].receivedLastSecond, 3000);
}

TEST_F(TrafficTest, CounterWrapGivesANegativeCountAndNoSpeed) {
    const auto adapter = Monitored();
    machine.ipStack.AddTraffic(kGuidA, 0xFFFFFF00u, 0x80000001u);
    adapter->SetNetworkTrafficMonitor(true);
    machine.timers.AdvanceTime(1000);
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].totalSent, 2147483649.0);  // the top bit counts as 2^31, not as a sign
    machine.ipStack.AddTraffic(kGuidA, 0x200, 0);
    machine.timers.AdvanceTime(1000);
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[1].totalReceived, 0x100);
    EXPECT_EQ(samples[1].receivedLastSecond, 256.0 - 4294967040.0);
    EXPECT_EQ(samples[1].chart.back()[0], 0.0);
}

TEST_F(TrafficTest, ChangingTheRowCountEmptiesTheChart) {
    const auto adapter = Monitored();
    adapter->SetNetworkTrafficMonitor(true);
    machine.timers.AdvanceTime(3000);
    ASSERT_EQ(samples.size(), 3u);

    for (const int16_t rows : {int16_t{10}, int16_t{200}}) {
        adapter->SetNetworkTrafficChartRows(rows);
        EXPECT_EQ(adapter->NetworkTrafficChartRows(), rows);
        machine.timers.AdvanceTime(1000);
        ASSERT_EQ(samples.back().chart.size(), static_cast<size_t>(rows));
        // Only the sample taken since is in the chart.
        const auto filled = std::count_if(samples.back().chart.begin(), samples.back().chart.end(),
                                          [](const auto& row) { return row[0].has_value(); });
        EXPECT_EQ(filled, 1) << rows << " rows";
        EXPECT_TRUE(samples.back().chart.back()[0].has_value());
    }

    EXPECT_THROW(adapter->SetNetworkTrafficChartRows(0), Error);
    EXPECT_EQ(adapter->NetworkTrafficChartRows(), 200);
}

TEST_F(TrafficTest, FailedCounterReadSkipsTheSampleAndDestructionStopsTheTimer) {
    auto adapter = Monitored();
    adapter->SetNetworkTrafficMonitor(true);
    machine.ipStack.InjectFailure(sim::SimIpStack::Call::GetIfEntry, 13);
    machine.timers.AdvanceTime(1000);
    EXPECT_TRUE(samples.empty());
    EXPECT_TRUE(machine.ui.Boxes().empty());

    adapter.reset();
    EXPECT_EQ(machine.timers.ActiveCount(), 0u);
    machine.timers.AdvanceTime(2000);
    EXPECT_TRUE(samples.empty());
}

}  // namespace
}  // namespace vexav6::testing
