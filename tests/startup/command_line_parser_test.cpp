#include "startup/command_line_parser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace vexav6::CommandLine {
namespace {

using ::testing::ElementsAre;

std::string FailureText(const CommandState& state) {
    return state.failure ? state.failure->Description() : "";
}

TEST(CommandLineTokens, AnOptionBeginsOnlyAtADashAfterABlankOutsideQuotes) {
    const std::vector<Token> tokens = Tokenize("x -n  Local Area  -R --help");
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[0].word, "x");
    EXPECT_EQ(tokens[1].word, "n");
    EXPECT_EQ(tokens[1].argument, "Local Area");
    EXPECT_EQ(tokens[2].word, "R");
    EXPECT_EQ(tokens[2].argument, "");
    EXPECT_EQ(tokens[3].word, "help");
    EXPECT_EQ(tokens[3].written, "--help");

    // Dashes inside arguments stay there; quotes keep even a blank and a dash together.
    const std::vector<Token> kept = Tokenize(
        "-n Wi-Fi -report C:\\out\\my-report.txt -pxy proxy-1.example.com:8080 -n \"My -Lan\" --");
    ASSERT_EQ(kept.size(), 6u);
    EXPECT_EQ(kept[0].word, "");
    EXPECT_EQ(kept[1].argument, "Wi-Fi");
    EXPECT_EQ(kept[2].argument, "C:\\out\\my-report.txt");
    EXPECT_EQ(kept[3].argument, "proxy-1.example.com:8080");
    EXPECT_EQ(kept[4].argument, "My -Lan");
    EXPECT_EQ(kept[5].word, "");
}

TEST(CommandLineParser, OptionWordsIgnoreCaseAndWhatIsNoOptionIsRefused) {
    const CommandState state = ParseCommandLine("-N \"Local Area\" -R -- -M 02aabbccddee");
    EXPECT_THAT(state.connectionNames, ElementsAre("Local Area"));
    ASSERT_TRUE(state.workingPreset);
    // -M comes last: its custom address takes the place of the random one of -R.
    EXPECT_EQ(state.workingPreset->MACAddress(), MacAction::Custom);
    EXPECT_TRUE(state.vendorDatabaseNeeded);
    EXPECT_EQ(state.stop, Stop::None);

    // Nothing the user wrote is passed over: the command would not do what was meant.
    const std::pair<const char*, const char*> refused[] = {
        {"-n Ethernet -mac 001122334455", "Unknown option '-mac'."},
        {"hello -n x", "Unknown option 'hello'."},
        {"-n x -\"s\"", "Unknown option '-\"s\"'."},
        {"-n x -re now", "Option -re takes no argument, but 'now' follows it."},
        {"-n x -r 02", "Option -r takes no argument, but '02' follows it."},
        {"-list csv", "Option -list takes no argument other than json, but 'csv' follows it."},
    };
    for (const auto& [commandLine, message] : refused) {
        SCOPED_TRACE(commandLine);
        const CommandState bad = ParseCommandLine(commandLine);
        EXPECT_EQ(bad.stop, Stop::Failure);
        EXPECT_EQ(FailureText(bad), message);
    }
}

TEST(CommandLineParser, RestartAndDisableExcludeEachOtherOnlyThroughReEnAndDi) {
    CommandState state = ParseCommandLine("-di -re -s");
    EXPECT_EQ(state.stop, Stop::Failure);
    EXPECT_EQ(FailureText(state),
              "Cannot restart network connection as disable option already specified.");
    EXPECT_TRUE(state.silent);

    state = ParseCommandLine("-en -di");
    EXPECT_EQ(FailureText(state),
              "Cannot disable network connection as restart option already specified.");

    // The temporary change options set the restart whatever came before.
    state = ParseCommandLine("-di -nr02");
    EXPECT_EQ(state.stop, Stop::None);
    EXPECT_TRUE(state.disable);
    EXPECT_TRUE(state.restart);
    EXPECT_TRUE(state.temporaryAddress);
    EXPECT_EQ(state.workingPreset->MACAddress(), MacAction::Random02);
    // ... and a later -di still sees that restart.
    EXPECT_EQ(ParseCommandLine("-nm 001122334455 -di").stop, Stop::Failure);
}

TEST(CommandLineParser, ResetOriginalHelpAndOpenEndTheReading) {
    CommandState state = ParseCommandLine("-n eth -ro -m 001122334455 -di -re");
    EXPECT_EQ(state.stop, Stop::ResetOriginal);
    EXPECT_TRUE(state.resetOriginal);
    EXPECT_FALSE(state.workingPreset);
    EXPECT_FALSE(state.failure);

    state = ParseCommandLine("-n eth -r -help -di -re");
    EXPECT_EQ(state.stop, Stop::Help);
    EXPECT_THAT(state.connectionNames, ElementsAre("eth"));
    EXPECT_FALSE(state.failure);

    EXPECT_EQ(ParseCommandLine("/?").stop, Stop::Help);
    EXPECT_EQ(ParseCommandLine("?").stop, Stop::Help);

    state = ParseCommandLine("-o \"C:\\My Presets\\home.kpf\" -n x");
    EXPECT_EQ(state.stop, Stop::OpenPresetFile);
    EXPECT_EQ(state.presetFileToOpen, "C:\\My Presets\\home.kpf");
    EXPECT_TRUE(state.connectionNames.empty());
}

TEST(CommandLineParser, SilentCountsWhereverItStands) {
    EXPECT_TRUE(ParseCommandLine("-n nowhere -r -s").silent);
    EXPECT_TRUE(ParseCommandLine("-ro -S").silent);
    EXPECT_TRUE(ParseCommandLine("-i bad -s").silent);
    EXPECT_FALSE(ParseCommandLine("-n s").silent);
}

TEST(CommandLineParser, MacAddressesAreTakenInEveryFormAndCheckedAtOnce) {
    CommandState state = ParseCommandLine("-m 001a2B3c4D5e");
    EXPECT_EQ(state.workingPreset->CustomMACAddress(), "00-1a-2B-3c-4D-5e");
    state = ParseCommandLine("-nm 00:1A:2B:3C:4D:5E");
    EXPECT_EQ(state.workingPreset->CustomMACAddress(), "00-1A-2B-3C-4D-5E");
    EXPECT_TRUE(state.temporaryAddress);
    // The form -list prints.
    state = ParseCommandLine("-m 04-D4-C4-5A-12-7F -re");
    EXPECT_EQ(state.workingPreset->CustomMACAddress(), "04-D4-C4-5A-12-7F");
    EXPECT_TRUE(state.restart);

    const std::pair<const char*, const char*> refused[] = {
        {"-n eth -m 00112233445 -re", "Invalid MAC address format: 00112233445"},
        {"-m 00-11-22-33-44-5", "Invalid MAC address format: 00-11-22-33-44-5"},
        {"-m 01:00:5E:00:00:01",
         "Invalid MAC address: 01-00-5E-00-00-01 is a multicast address (its first octet is "
         "odd)."},
        {"-nm 000000000000", "Invalid MAC address: 00-00-00-00-00-00 is all zeros."},
        {"-m ff-ff-ff-ff-ff-ff",
         "Invalid MAC address: FF-FF-FF-FF-FF-FF is the broadcast address."},
        {"-m", "Option -m needs a MAC address: 12 hex digits, or six pairs joined by - or :."},
    };
    for (const auto& [commandLine, message] : refused) {
        SCOPED_TRACE(commandLine);
        const CommandState bad = ParseCommandLine(commandLine);
        EXPECT_EQ(bad.stop, Stop::Failure);
        EXPECT_EQ(FailureText(bad), message);
        EXPECT_FALSE(bad.restart);  // nothing after the failure is read
    }
}

TEST(CommandLineParser, ListOptionsFillTheWorkingPresetAndARepeatReplaces) {
    const CommandState state =
        ParseCommandLine("-d 10.0.0.9 -d 1.1.1.1, 8.8.8.8 -i 10.0.0.2/24 -g6 fe80::1@5 -h6");
    const Preset& preset = *state.workingPreset;
    EXPECT_TRUE(preset.IPv4Selected());
    EXPECT_FALSE(preset.IPv4DHCPEnabled());
    ASSERT_TRUE(preset.IPv4NameServers());
    EXPECT_EQ(preset.IPv4NameServers()->Count(), 2);
    EXPECT_EQ(preset.IPv4NameServers()->Item(2), "8.8.8.8");
    EXPECT_EQ(preset.IPv4Addresses()->Count(), 1);
    EXPECT_FALSE(preset.IPv4Gateways());
    EXPECT_TRUE(preset.IPv6Selected());
    EXPECT_TRUE(preset.IPv6DHCPEnabled());
    EXPECT_EQ(preset.IPv6Gateways()->Item(1)->Metric(), 5);

    const CommandState bad = ParseCommandLine("-n eth -h -g 10.0.0.1@fast -s");
    EXPECT_EQ(bad.stop, Stop::Failure);
    EXPECT_THAT(FailureText(bad), ::testing::HasSubstr("option -g"));
    EXPECT_FALSE(bad.workingPreset->IPv4Gateways());
}

TEST(CommandLineParser, ProxyWithServerAndPortOrOff) {
    CommandState state = ParseCommandLine("-pxy proxy.example:8080");
    EXPECT_TRUE(state.workingPreset->IEProxySelected());
    EXPECT_TRUE(state.workingPreset->IEProxyEnabled());
    EXPECT_EQ(state.workingPreset->IEProxyServer(), "proxy.example");
    EXPECT_EQ(state.workingPreset->IEProxyPort(), 8080);

    state = ParseCommandLine("-pxy");
    EXPECT_TRUE(state.workingPreset->IEProxySelected());
    EXPECT_FALSE(state.workingPreset->IEProxyEnabled());

    state = ParseCommandLine("-pxy proxy.example");
    EXPECT_EQ(state.workingPreset->IEProxyServer(), "proxy.example");
    EXPECT_EQ(state.workingPreset->IEProxyPort(), 0);
}

TEST(CommandLineParser, ProxyPortIsARoundedNumberOrZero) {
    EXPECT_EQ(ProxyPort(" 3128 "), 3128);
    EXPECT_EQ(ProxyPort("80.5"), 80);  // halves to even
    EXPECT_EQ(ProxyPort("81.5"), 82);
    EXPECT_EQ(ProxyPort("http"), 0);
    EXPECT_EQ(ProxyPort("80x"), 0);
    EXPECT_EQ(ProxyPort(""), 0);
    EXPECT_EQ(ProxyPort("."), 0);
    EXPECT_THROW(ProxyPort("99999999999"), Error);
    EXPECT_EQ(ParseCommandLine("-pxy h:99999999999").failure->Number(), errnum::kOverflow);
}

TEST(CommandLineParser, OnlyListAndReportNeedNoAdapter) {
    CommandState state = ParseCommandLine("-list -report \"C:\\out.txt\" -s");
    EXPECT_TRUE(state.list);
    EXPECT_TRUE(state.report);
    EXPECT_EQ(state.reportFile, "C:\\out.txt");
    EXPECT_FALSE(state.actsOnAdapter);

    for (const char* commandLine : {"-list -n x", "-list -rl6", "-report -di", "-list -p Home"}) {
        SCOPED_TRACE(commandLine);
        EXPECT_TRUE(ParseCommandLine(commandLine).actsOnAdapter);
    }
    // Written without a dash, the word before the first dash counts as well.
    EXPECT_TRUE(ParseCommandLine("list").list);

    // "json" asks for JSON; after it, or in its place, comes the report's file.
    state = ParseCommandLine("-list JSON -report json C:\\out\\my-report.json");
    EXPECT_TRUE(state.listJson);
    EXPECT_TRUE(state.reportJson);
    EXPECT_EQ(state.reportFile, "C:\\out\\my-report.json");
    state = ParseCommandLine("-report \"json\"");
    EXPECT_FALSE(state.reportJson);
    EXPECT_EQ(state.reportFile, "json");
}

}  // namespace
}  // namespace vexav6::CommandLine
