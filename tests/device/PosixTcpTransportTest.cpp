#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTcpTransport.h"

namespace velmar {
namespace {

using namespace std::chrono_literals;

class Listener final : public TransportListener {
  public:
    void OnConnected(int error) override { connected = error == 0; }
    void OnReadable() override { ++readable; }
    void OnClosed() override {}
    bool connected = false;
    int readable = 0;
};

// A transport connected to a peer socket on loopback that the test reads and writes directly.
class PosixTcpTransportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof local;
        ASSERT_EQ(::bind(server, reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);
        ASSERT_EQ(::listen(server, 1), 0);
        ::getsockname(server, reinterpret_cast<sockaddr*>(&local), &size);
        transport.SetListener(&listener);
        ASSERT_EQ(transport.Connect(INADDR_LOOPBACK, ntohs(local.sin_port)), 0);
        ASSERT_TRUE(loop.RunUntil([&] { return listener.connected; }, 5s));
        peer = ::accept(server, nullptr, nullptr);
        ::close(server);
        ASSERT_GE(peer, 0);
    }
    void TearDown() override {
        if (peer >= 0)
            ::close(peer);
    }

    // What the peer has received so far, in one read.
    std::string PeerReads(int waitMs = 0) {
        pollfd entry{peer, POLLIN, 0};
        if (::poll(&entry, 1, waitMs) <= 0)
            return {};
        char buffer[4096];
        const ssize_t n = ::recv(peer, buffer, sizeof buffer, MSG_DONTWAIT);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
    }

    PosixEventLoop loop;
    Listener listener;
    PosixTcpTransport transport{loop};
    int peer = -1;
};

TEST_F(PosixTcpTransportTest, ABurstOfOneTurnLeavesTogetherAndALoneRequestWaitsForNoLaterTurn) {
    // Queued outside a turn: out before the next wait.
    transport.Send(std::string_view("&a\r"));
    transport.Send(std::string_view("&b\r"));
    transport.Send(std::string_view("&c\r"));
    EXPECT_EQ(PeerReads(), "") << "held until the turn ends";
    loop.RunOnce(0ms);
    EXPECT_EQ(PeerReads(500), "&a\r&b\r&c\r");

    // A lone request made inside a turn goes out at that turn's end, before the loop waits again.
    loop.Post([&] { transport.Send(std::string_view("&lone\r")); });
    loop.RunOnce(0ms);
    EXPECT_EQ(PeerReads(0), "&lone\r");
}

TEST_F(PosixTcpTransportTest, WhatWasSentBeforeAClosingGoesOutAndAShortReadSaysTheSocketIsEmpty) {
    ASSERT_EQ(::send(peer, ":x\r", 3, 0), 3);
    ASSERT_TRUE(loop.RunUntil([&] { return listener.readable > 0; }, 5s));
    char buffer[64];
    const ReceiveResult read = transport.Receive(buffer);
    EXPECT_EQ(read.kind, ReceiveResult::Kind::Data);
    EXPECT_EQ(read.count, 3u);
    EXPECT_TRUE(read.drained);

    // A restart request and the link's close in the same turn: the request still leaves.
    transport.Send(std::string_view("&srestart,1\r"));
    transport.Close();
    EXPECT_EQ(PeerReads(500), "&srestart,1\r");
}

}  // namespace
}  // namespace velmar
