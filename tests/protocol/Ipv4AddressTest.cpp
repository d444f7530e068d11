#include "protocol/Ipv4Address.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

TEST(Ipv4Address, OnlyThePlainDottedFormIsAnAddress) {
    EXPECT_EQ(ParseIpv4("10.0.0.1"), 0x0A000001u);
    EXPECT_EQ(ParseIpv4("0.0.0.0"), 0u);
    EXPECT_EQ(ParseIpv4("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseIpv4("192.168.100.249"), 0xC0A864F9u);
    for (const char* text :
         {"", "10.0.0", "10.0.0.1.", ".10.0.0.1", "10.0.0.1.5", "10..0.1", "10.0.0.256", "1000.0.0.1",
          "10.0.0.-1", "10.0.0.+1", " 10.0.0.1", "10.0.0.1 ", "10.0.0.1\n", "10,0,0,1", "0x0A.0.0.1",
          "10.0.0.1a", "10.0.0.1/24", "4294967295", "99999999999.0.0.1"}) {
        EXPECT_FALSE(ParseIpv4(text)) << text;
    }
}

// A leading zero is octal to some readers and decimal to others; it is refused, never guessed.
TEST(Ipv4Address, LeadingZerosAreRefusedSoEveryTakenTextComesBackUnchanged) {
    for (const char* text : {"010.0.0.1", "10.00.0.1", "10.0.0.01", "10.0.0.001", "0.0.0.00"})
        EXPECT_FALSE(ParseIpv4(text)) << text;
    for (const char* text : {"0.0.0.0", "1.2.3.4", "10.100.200.255", "255.0.10.9"}) {
        const auto address = ParseIpv4(text);
        ASSERT_TRUE(address) << text;
        EXPECT_EQ(Ipv4Text(*address), text);
    }
}

TEST(Ipv4Address, TheReasonNamesTheFirstBadPartBeforeTheCount) {
    EXPECT_EQ(ReadIpv4("192.168.1.300").problem, "\"300\" is not a number from 0 to 255.");
    EXPECT_EQ(ReadIpv4("300.1.2").problem, "\"300\" is not a number from 0 to 255.");
    EXPECT_EQ(ReadIpv4("1.2.3.99999999999").problem, "\"99999999999\" is not a number from 0 to 255.");
    EXPECT_EQ(ReadIpv4("10.08.0.1").problem, "\"08\" begins with a zero; write it without.");
    EXPECT_EQ(ReadIpv4("10.0.0").problem, "An address is four numbers joined by dots, like 192.168.0.10.");
    EXPECT_EQ(ReadIpv4("10..0.1").problem, ReadIpv4("10.0.0.1.").problem);
    EXPECT_EQ(ReadIpv4("10.0.0.1a").problem, "An address holds only digits and dots.");
    EXPECT_EQ(ReadIpv4("").problem, "No address was entered.");
    const Ipv4Reading good = ReadIpv4("192.168.1.30");
    EXPECT_EQ(good.address, 0xC0A8011Eu);
    EXPECT_TRUE(good.problem.empty());
}

}  // namespace
}  // namespace velmar
