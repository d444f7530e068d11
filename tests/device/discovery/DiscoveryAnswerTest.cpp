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
