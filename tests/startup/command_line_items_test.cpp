#include "startup/command_line_items.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "base/error.h"

namespace vexav6 {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The description of the error that `call` raises, or "" when it raises none.
template <class Call>
std::string FailureOf(Call call) {
    try {
        call();
    } catch (const Error& error) {
        EXPECT_EQ(error.Number(), 1);
        EXPECT_EQ(error.Source(), kProjectName);
        return error.Description();
    }
    return "";
}

TEST(CommandLineItems, SplitsAtCommasTrimsAndDropsOnlyATrailingEmptyItem) {
    EXPECT_THAT(CommandLineItems::SplitItems(" 1.1.1.1 , 8.8.8.8"),
                ElementsAre("1.1.1.1", "8.8.8.8"));
    EXPECT_THAT(CommandLineItems::SplitItems("a,b,"), ElementsAre("a", "b"));
    EXPECT_THAT(CommandLineItems::SplitItems("a,,b"), ElementsAre("a", "", "b"));
    EXPECT_THAT(CommandLineItems::SplitItems(""), ElementsAre(""));
}

TEST(CommandLineItems, IPv4AddressesTakeAPrefixLengthOrASubnetMask) {
    const IPv4AddressList list =
        CommandLineItems::IPv4Addresses("10.0.0.2/24, 192.168.001.7/255.255.0.0,172.16.0.1/32");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Item(1)->IPAddress(), "10.0.0.2");
    EXPECT_EQ(list.Item(1)->SubnetMask(), "255.255.255.0");
    // Leading zeros would read as octal on Windows: the address is kept in its plain form.
    EXPECT_EQ(list.Item(2)->IPAddress(), "192.168.1.7");
    EXPECT_EQ(list.Item(2)->SubnetMask(), "255.255.0.0");
    EXPECT_EQ(list.Item(3)->SubnetMask(), "255.255.255.255");
    EXPECT_TRUE(list.Contains("192.168.1.7"));
}

TEST(CommandLineItems, BadIPv4AddressItemsAreRefusedWithTheReason) {
    EXPECT_THAT(FailureOf([] { CommandLineItems::IPv4Addresses("10.0.0.2"); }),
                HasSubstr("Invalid item '10.0.0.2' of option -i: a prefix length or subnet mask"));
    EXPECT_THAT(FailureOf([] { CommandLineItems::IPv4Addresses("10.0.0.2/33"); }),
                HasSubstr("from 1 to 32"));
    EXPECT_THAT(FailureOf([] { CommandLineItems::IPv4Addresses("10.0.0.2/255.0.255.0"); }),
                HasSubstr("'255.0.255.0' is not a subnet mask"));
    EXPECT_THAT(FailureOf([] { CommandLineItems::IPv4Addresses("10.0.0.2/0.0.0.0"); }),
                HasSubstr("is not a subnet mask"));
    EXPECT_THAT(FailureOf([] { CommandLineItems::IPv4Addresses("10.0.0.256/24"); }),
                HasSubstr("'10.0.0.256' is not an IPv4 address"));
    EXPECT_THAT(FailureOf([] { CommandLineItems::IPv4Addresses("10.0.0.2/24,10.0.0.2/16"); }),
                HasSubstr("given twice"));
    EXPECT_THAT(FailureOf([] { CommandLineItems::IPv4Addresses("10.0.0.2/24,,10.0.0.3/24"); }),
                HasSubstr("an item is empty"));
}

TEST(CommandLineItems, AnEmptyArgumentIsAnEmptyList) {
    EXPECT_TRUE(CommandLineItems::IPv4Addresses("").Empty());
    EXPECT_TRUE(CommandLineItems::IPv6Gateways("  ").Empty());
    EXPECT_TRUE(CommandLineItems::IPv4NameServers("").Empty());
}

TEST(CommandLineItems, GatewaysTakeAnOptionalMetricAfterAnAt) {
    const IPv4GatewayList gateways = CommandLineItems::IPv4Gateways("10.0.0.1@20,10.0.0.254");
    ASSERT_EQ(gateways.Count(), 2);
    EXPECT_EQ(gateways.Item(1)->Gateway(), "10.0.0.1");
    EXPECT_EQ(gateways.Item(1)->Metric(), 20);
    EXPECT_EQ(gateways.Item(2)->Metric(), 0);

    const IPv6GatewayList gateways6 = CommandLineItems::IPv6Gateways("fe80::1@10");
    ASSERT_EQ(gateways6.Count(), 1);
    EXPECT_EQ(gateways6.Item(1)->NextHop(), "FE80::1");
    EXPECT_EQ(gateways6.Item(1)->Metric(), 10);

    for (const char* item : {"10.0.0.1@", "10.0.0.1@x", "10.0.0.1@10000", "10.0.0.1@-5"}) {
        SCOPED_TRACE(item);
        EXPECT_THAT(FailureOf([item] { CommandLineItems::IPv4Gateways(item); }),
                    HasSubstr("the metric after \"@\" must be a whole number from 0 to 9999"));
    }
    EXPECT_THAT(FailureOf([] { CommandLineItems::IPv6Gateways("fe80::1%12"); }),
                HasSubstr("'fe80::1%12' is not an IPv6 address"));
}

TEST(CommandLineItems, IPv6AddressesHaveAPrefixLengthOf64UnlessGiven) {
    const IPv6AddressList list = CommandLineItems::IPv6Addresses("2001:db8::2, 2001:db8:1::5/48");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Item(1)->OnLinkPrefixLength(), 64);
    EXPECT_EQ(list.Item(2)->OnLinkPrefixLength(), 48);
    EXPECT_EQ(list.Item(1)->IPAddressBytes()[3], 0xB8);
    EXPECT_EQ(list.Item(1)->IPAddressBytes()[15], 2);

    EXPECT_THAT(FailureOf([] { CommandLineItems::IPv6Addresses("2001:db8::2/129"); }),
                HasSubstr("from 1 to 128"));
    EXPECT_THAT(FailureOf([] { CommandLineItems::IPv6Addresses("2001:db8::2,2001:DB8:0::2/48"); }),
                HasSubstr("given twice"));
}

TEST(CommandLineItems, IPv6TextIsReadStrictly) {
    const auto bytes = CommandLineItems::ParseIPv6("::ffff:192.0.2.1");
    ASSERT_TRUE(bytes);
    EXPECT_EQ((*bytes)[10], 0xFF);
    EXPECT_EQ((*bytes)[12], 192);
    EXPECT_EQ((*bytes)[15], 1);
    EXPECT_TRUE(CommandLineItems::ParseIPv6("::"));
    EXPECT_TRUE(CommandLineItems::ParseIPv6("1:2:3:4:5:6:7:8"));
    EXPECT_TRUE(CommandLineItems::ParseIPv6("1::"));
    for (const char* bad :
         {"", "1:2:3:4:5:6:7", "1:2:3:4:5:6:7:8:9", "1::2::3", "12345::1", ":1::2",
          "1::2:", "fe80::1%3", "g::1", "1.2.3.4::", "::1.2.3", "1:2:3:4:5:6:7::8", "0x1::2"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(CommandLineItems::ParseIPv6(bad));
    }
}

TEST(CommandLineItems, NameServersAreCheckedAddresses) {
    const NameServerList servers = CommandLineItems::IPv4NameServers("1.1.1.1, 8.8.8.8");
    EXPECT_EQ(servers.Count(), 2);
    EXPECT_EQ(servers.Item(2), "8.8.8.8");
    EXPECT_THAT(FailureOf([] { CommandLineItems::IPv4NameServers("dns.example"); }),
                HasSubstr("Invalid item 'dns.example' of option -d"));
    EXPECT_EQ(CommandLineItems::IPv6NameServers("2001:db8::53").Item(1), "2001:db8::53");
    EXPECT_THAT(FailureOf([] { CommandLineItems::IPv6NameServers("1.1.1.1"); }),
                HasSubstr("of option -d6"));
    for (const char* bad :
         {"1.2.3", "1.2.3.4.5", "0x1.2.3.4", "+1.2.3.4", "1..3.4", "1.2.3.0004"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(CommandLineItems::ParseIPv4(bad));
    }
}

}  // namespace
}  // namespace vexav6
