#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "device/discovery/DiscoveryDatagram.h"

namespace velmar {
namespace {

std::optional<std::string> Accept(std::string_view datagram, std::string_view sender = "10.0.0.5") {
    return AcceptDiscoveryAnswer(std::span<const char>(datagram.data(), datagram.size()), sender);
}

TEST(DiscoveryAnswer, AnswersBecomeAddressAndPayload) {
    EXPECT_EQ(Accept(":edev,0,1,7,'Studio A','K5A','K5A0011703042'\r"),
              "10.0.0.5,1,7,'Studio A','K5A','K5A0011703042'");
    // A frame that is going away says so with "!"; the entry carries one more comma.
    EXPECT_EQ(Accept("!edev,0,1,7,'Studio A','K5A','K5A0011703042'\r"),
              "10.0.0.5,1,7,'Studio A','K5A','K5A0011703042',");
    // The header is cut by position, whatever it says.
    EXPECT_EQ(Accept(":exxxxxxpayload\r"), "10.0.0.5,payload");
}

TEST(DiscoveryAnswer, ForeignDatagramsAreRefused) {
    const std::string_view refused[] = {
        "",
        ":edev\r",                                               // shorter than 7 bytes
        ":edev,0,\r",                                            // nothing after the header
        ":edev,0,1,7,'A','K5A','S'",                             // no carriage return
        ":edev,0,1,7,'A','K5A','S'\r\n",                         // CR not last
        "?edev\r",                                               // our own query, looped back
        "?edev,0,1,7,'A','K5A','S'\r",                           // not an answer
        ":gdev,0,1,7,'A','K5A','S'\r",                           // second byte not 'e'
        "%eip,'S',0,'1.2.3.4','1','1',1\r",                      // the settings message
        std::string_view(":edev,0,1,7,'A\0B','K5A','S'\r", 28),  // control byte inside
        ":edev,0,1,7,'A\tB','K5A','S'\r",
    };
    for (const std::string_view datagram : refused) {
        EXPECT_FALSE(Accept(datagram)) << datagram;
    }
    std::string longest(":edev,0,");
    longest.append(kMaxDiscoveryDatagram - longest.size() - 1, 'x').push_back('\r');
    EXPECT_TRUE(Accept(longest));
    longest.insert(8, "x");
    EXPECT_FALSE(Accept(longest));
}

TEST(DiscoveryAnswer, OnlyAFrameAddressCanAnswer) {
    constexpr std::string_view kAnswer = ":edev,0,1,7,'A','K5A','S'\r";
    for (const std::string_view sender : {"10.0.0.5", "127.0.0.2", "192.168.1.254", "223.255.255.254"}) {
        EXPECT_TRUE(Accept(kAnswer, sender)) << sender;
    }
    for (const std::string_view sender :
         {"0.0.0.0", "0.1.2.3", "127.255.255.255", "224.0.0.1", "239.255.255.250", "240.0.0.1",
          "255.255.255.255", "", "frame", "10.0.0.256"}) {
        EXPECT_FALSE(Accept(kAnswer, sender)) << sender;
    }
    // The directed broadcasts of this machine's networks are no frame's either.
    const std::uint32_t local[] = {0x0A0000FF, 0xC0A801FF};
    const auto fromLocal = [&](std::string_view sender) {
        return AcceptDiscoveryAnswer(std::span<const char>(kAnswer.data(), kAnswer.size()), sender, local);
    };
    EXPECT_FALSE(fromLocal("10.0.0.255"));
    EXPECT_FALSE(fromLocal("192.168.1.255"));
    EXPECT_TRUE(fromLocal("10.0.0.5"));
    EXPECT_TRUE(fromLocal("10.0.1.255")) << "a broadcast address of some other network is a host here";
}

TEST(DiscoveryAnswer, PortComesFromTheEnvironment) {
    unsetenv("VELMAR_DISCOVERY_PORT");
    EXPECT_EQ(DiscoveryPortFromEnvironment(), 10004);
    setenv("VELMAR_DISCOVERY_PORT", "20004", 1);
    EXPECT_EQ(DiscoveryPortFromEnvironment(), 20004);
    for (const char* bad : {"", "0", "70000", "12ab", "-5"}) {
        setenv("VELMAR_DISCOVERY_PORT", bad, 1);
        EXPECT_EQ(DiscoveryPortFromEnvironment(), 10004) << bad;
    }
    unsetenv("VELMAR_DISCOVERY_PORT");
}

}  // namespace
}  // namespace velmar
