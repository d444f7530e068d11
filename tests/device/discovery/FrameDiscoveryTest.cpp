#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "device/discovery/DiscoveryDatagram.h"
#include "device/discovery/posix/FrameDiscovery.h"
#include "tests/support/SimProcess.h"

namespace velmar {
namespace {

TEST(FrameDiscovery, TheDefaultRackAnswersOnLoopback) {
    test::SimProcess sim;
    sim.ExportPorts();
    setenv("VELMAR_INTERFACES", "lo", 1);
    const FrameDiscoveryResult result = DiscoverFrames();
    ASSERT_EQ(result.error, "");
    ASSERT_EQ(result.rows.size(), 4u);
    std::vector<std::string> addresses;
    for (const DeviceRow& row : result.rows)
        addresses.push_back(row.Column(DeviceColumn::Address));
    std::sort(addresses.begin(), addresses.end());
    EXPECT_EQ(addresses, (std::vector<std::string>{"*127.0.0.5", "127.0.0.2", "127.0.0.3", "127.0.0.4"}));

    // With no interface chosen nothing is sent, and nothing answers.
    setenv("VELMAR_INTERFACES", "no-such-interface", 1);
    EXPECT_TRUE(DiscoverFrames(std::chrono::milliseconds(100)).rows.empty());
    setenv("VELMAR_INTERFACES", "lo", 1);
}

// Sends `answer` to the discovery port on 127.0.0.1 as a UDP datagram whose IP header names
// `source`, as a forged or looped-back answer would arrive. Needs a raw socket: false where the
// test may not open one (outside a private network namespace, without root).
bool AnswerFrom(const char* source, std::string_view answer) {
    const int fd = ::socket(AF_INET, SOCK_RAW, IPPROTO_RAW);
    if (fd < 0)
        return false;
    std::vector<unsigned char> packet(28 + answer.size());
    const auto put16 = [&](std::size_t at, std::uint16_t value) {
        packet[at] = static_cast<unsigned char>(value >> 8);
        packet[at + 1] = static_cast<unsigned char>(value);
    };
    packet[0] = 0x45;  // IPv4, 20-byte header; the kernel fills in the id and the header checksum
    put16(2, static_cast<std::uint16_t>(packet.size()));
    packet[8] = 64;  // time to live
    packet[9] = IPPROTO_UDP;
    ::inet_pton(AF_INET, source, &packet[12]);
    ::inet_pton(AF_INET, "127.0.0.1", &packet[16]);
    put16(20, 4000);
    put16(22, DiscoveryPortFromEnvironment());
    put16(24, static_cast<std::uint16_t>(8 + answer.size()));  // UDP checksum 0: none
    std::copy(answer.begin(), answer.end(), packet.begin() + 28);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool sent = ::sendto(fd, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                               sizeof to) == static_cast<ssize_t>(packet.size());
    ::close(fd);
    return sent;
}

TEST(FrameDiscovery, AnswersFromBroadcastOrMulticastSourcesAreNotFrames) {
    const int probe = ::socket(AF_INET, SOCK_RAW, IPPROTO_RAW);
    if (probe < 0)
        GTEST_SKIP() << "no raw socket here: run inside scripts/isolated.sh";
    ::close(probe);
    test::SimProcess sim;
    sim.ExportPorts();
    setenv("VELMAR_INTERFACES", "lo", 1);
    bool sent = true;
    std::thread forger([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        for (const char* source : {"127.255.255.255", "224.0.0.1", "255.255.255.255"})
            sent = AnswerFrom(source, ":edev,0,1,9,'Forged','K5A','F1'\r") && sent;
        sent = AnswerFrom("127.0.0.99", ":edev,0,1,9,'Plain','K5A','P1'\r") && sent;
    });
    const FrameDiscoveryResult result = DiscoverFrames();
    forger.join();
    ASSERT_TRUE(sent);
    std::vector<std::string> names;
    for (const DeviceRow& row : result.rows)
        names.push_back(row.Column(DeviceColumn::Name));
    EXPECT_EQ(std::count(names.begin(), names.end(), "Forged"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Plain"), 1) << "the same answer from a host address";
    EXPECT_EQ(result.rows.size(), 5u);
}

}  // namespace
}  // namespace velmar
