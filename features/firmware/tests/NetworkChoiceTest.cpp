#include <gtest/gtest.h>

#include "features/firmware/core/NetworkChoice.h"

namespace velmar::test {
namespace {

TEST(NetworkChoiceTest, TheSettingsMessageIsExactlyTheFramesFormat) {
    const NetworkChoice fixed{false, "10.0.0.9", "255.255.255.0", "10.0.0.1"};
    EXPECT_EQ(BuildSettingsMessage("K5A0011703042", fixed).datagram,
              "%eip,'K5A0011703042',0,'10.0.0.9','255.255.255.0','10.0.0.1',1\r");
    const NetworkChoice automatic{true, "10.0.0.9", "", "junk"};
    EXPECT_EQ(BuildSettingsMessage("K5A0011703042", automatic).datagram,
              "%eip,'K5A0011703042',1,'0.0.0.0','0.0.0.0','0.0.0.0',1\r")
        << "the fields do not matter with the automatic choice";
    EXPECT_EQ(BuildSettingsMessage("S1", {false, "10.0.0.9", "255.255.0.0", "0.0.0.0"}).datagram,
              "%eip,'S1',0,'10.0.0.9','255.255.0.0','0.0.0.0',1\r")
        << "no gateway is allowed";
    const SettingsMessage zeros =
        BuildSettingsMessage("S1", {false, "010.000.0.9", "255.255.0.0", "0.0.0.0"});
    EXPECT_TRUE(zeros.datagram.empty()) << "an address with leading zeros is refused, never rewritten";
    EXPECT_NE(zeros.problem.find("010.000.0.9"), std::string::npos) << zeros.problem;
}

TEST(NetworkChoiceTest, AddressesThatWouldLoseTheFrameAndUnsafeSerialsAreRefused) {
    const NetworkChoice good{false, "10.0.0.9", "255.255.255.0", "10.0.0.1"};
    EXPECT_FALSE(NetworkChoiceProblem(good));
    auto with = [&](std::string NetworkChoice::*field, std::string text) {
        NetworkChoice choice = good;
        choice.*field = std::move(text);
        return NetworkChoiceProblem(choice).value_or("");
    };
    EXPECT_EQ(with(&NetworkChoice::address, "0.0.0.0"), "IP address 0.0.0.0 cannot be used.");
    EXPECT_EQ(with(&NetworkChoice::address, "255.255.255.255"), "IP address 255.255.255.255 cannot be used.");
    EXPECT_EQ(with(&NetworkChoice::mask, "0.0.0.0"), "Subnet mask 0.0.0.0 cannot be used.");
    EXPECT_EQ(with(&NetworkChoice::gateway, "255.255.255.255"),
              "Default gateway 255.255.255.255 cannot be used.");
    for (const char* text :
         {"", "10.0.0", "10.0.0.256", "10.0.0.9.1", "1000.0.0.1", "10.0.0.-1", "10,0,0,9", "10.0.0.09"})
        EXPECT_NE(with(&NetworkChoice::address, text), "") << text;

    for (const char* serial : {"", "K5A'1", "K5A,1", "%eip", "K5A\r", "K5A00117030420001"}) {
        const SettingsMessage message = BuildSettingsMessage(serial, good);
        EXPECT_TRUE(message.datagram.empty()) << serial;
        EXPECT_FALSE(message.problem.empty()) << serial;
    }
    EXPECT_FALSE(SerialProblem("K5A0011703042001"));
}

}  // namespace
}  // namespace velmar::test
