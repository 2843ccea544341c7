#include "ipconfig/ipv4_support.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <winsock2.h>
#include "platform/win32/windows_include.h"
#endif

namespace vexav6::IPv4Support {
namespace {

// The first octet of the text is the lowest byte of the number.
constexpr uint32_t Net(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    return a | (b << 8) | (c << 16) | (d << 24);
}

TEST(IPv4Support, TextAndNumber) {
    EXPECT_EQ(InetAddr("192.168.1.20"), Net(192, 168, 1, 20));
    EXPECT_EQ(IPv4AddressToText(Net(192, 168, 1, 20)), "192.168.1.20");
    EXPECT_EQ(IPv4AddressToText(0), "0.0.0.0");
    // Short forms: the last part fills the bytes that are left.
    EXPECT_EQ(InetAddr("10.1.258"), Net(10, 1, 1, 2));
    EXPECT_EQ(InetAddr("10.16777215"), Net(10, 255, 255, 255));
    EXPECT_EQ(InetAddr("3232235777"), Net(192, 168, 1, 1));
    // Octal and hexadecimal parts.
    EXPECT_EQ(InetAddr("0300.0250.0X1.012"), Net(192, 168, 1, 10));
    EXPECT_EQ(InetAddr("0xc0a80101"), Net(192, 168, 1, 1));
    EXPECT_EQ(InetAddr("1.2.3.4  "), Net(1, 2, 3, 4));
}

TEST(IPv4Support, TextThatIsNoAddressGivesAllOnes) {
    for (const char* text :
         {"", " ", "256.1.1.1", "10.1.65536", "4294967296", "08.1.1.1", "0x.1.1.1", "1.2.3.4.5",
          "1.2.3.", "1..2.3", "1.2.3.4x", "-1.2.3.4", " 1.2.3.4", "1.2.3.4 255.0.0.0"}) {
        EXPECT_EQ(InetAddr(text), kInaddrNone) << '"' << text << '"';
    }
}

#ifdef _WIN32
// The rules above are those of Winsock: compare with the system's own parser.
TEST(IPv4Support, AgreesWithWinsock) {
    for (const std::string text :
         {"192.168.1.20", "10.1.258", "10.65535", "3232235777", "0x7F.0.0.01", "0300.0250.0X1.012",
          "256.1.1.1", "1.2.3.4.5", "1..2.3", "1.2.3.", "abc", "10.1.65536", "08.1.1.1",
          "255.255.255.255", "1.2.3.4 "}) {
        EXPECT_EQ(InetAddr(text), static_cast<uint32_t>(inet_addr(text.c_str()))) << text;
        in_addr address{};
        address.S_un.S_addr = InetAddr(text);
        EXPECT_EQ(InetNtoa(address.S_un.S_addr), inet_ntoa(address)) << text;
    }
}
#endif

}  // namespace
}  // namespace vexav6::IPv4Support
