#include <gtest/gtest.h>

#include <chrono>

#include "protocol/MessageCodec.h"
#include "tests/support/LineClient.h"
#include "tests/support/SimProcess.h"

namespace velmar::test {
namespace {

using namespace std::chrono_literals;

class SimFaultTest : public ::testing::Test {
  protected:
    SimProcess sim_;
    std::uint16_t Port() const { return sim_.GetPorts().tcp; }
};

TEST_F(SimFaultTest, SilentFrameKeepsTheConnectionButAnswersNothing) {
    LineClient client("127.0.0.2", Port());
    ASSERT_EQ(sim_.Do("fault 127.0.0.2 silent"), "ok");
    client.Send("?gdevid\r");
    EXPECT_EQ(client.Receive(300ms), "");
    EXPECT_FALSE(client.Closed(50ms));
    ASSERT_EQ(sim_.Do("fault 127.0.0.2 clear"), "ok");
    client.Send("?gdevid\r");
    EXPECT_EQ(client.LineStartingWith(":gdevid"), ":gdevid,0,1,'Studio A'");
}

TEST_F(SimFaultTest, RefuseAndCloseActOnConnections) {
    LineClient before("127.0.0.3", Port());
    ASSERT_EQ(sim_.Do("fault 127.0.0.3 refuse"), "ok");
    EXPECT_FALSE(LineClient("127.0.0.3", Port()).Connected());
    before.Send("?gdevid\r");
    EXPECT_TRUE(before.LineStartingWith(":gdevid").has_value()) << "open connections keep working";
    ASSERT_EQ(sim_.Do("fault 127.0.0.3 close"), "ok");
    EXPECT_TRUE(before.Closed(1s));
    ASSERT_EQ(sim_.Do("fault 127.0.0.3 clear"), "ok");
    EXPECT_TRUE(LineClient("127.0.0.3", Port()).Connected());
}

TEST_F(SimFaultTest, GarbageAndSplitRepliesStillReadAsTheirLines) {
    LineClient client("127.0.0.2", Port());
    ASSERT_EQ(sim_.Do("fault 127.0.0.2 garbage"), "ok");
    ASSERT_EQ(sim_.Do("fault 127.0.0.2 split"), "ok");
    std::string requests;
    for (int ch = 1; ch <= 16; ++ch)
        requests += "?gcross," + std::to_string(592 + ch) + "\r";
    client.Send(requests);
    std::string bytes;
    MessageCodec codec;
    int read = 0;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (read < 16 && std::chrono::steady_clock::now() < deadline) {
        bytes += client.Receive(500ms);
        for (;;) {
            CommandMessage reply;
            const ReadResult result = codec.Read(bytes, reply, Side::Reply);
            bytes.erase(0, result.consumed);
            if (result.consumed == 0)
                break;
            if (!result.lineRead || reply.code != ToCode(CommandCode::gcross))
                continue;
            ++read;
            EXPECT_EQ(reply.Int(18), reply.Int(14) - 80) << "the seeded routes of the MADI outputs";
        }
    }
    EXPECT_EQ(read, 16);
}

TEST_F(SimFaultTest, RunOnDelayAndStatusFaults) {
    LineClient client("127.0.0.2", Port());
    client.Send("?gdevid\r");
    ASSERT_TRUE(client.LineStartingWith(":gdevid").has_value());
    ASSERT_EQ(sim_.Do("fault 127.0.0.2 runon"), "ok");
    const std::string run = client.Receive(1s);
    EXPECT_EQ(run.size(), 1024u);
    EXPECT_EQ(run.find('\r'), std::string::npos);

    ASSERT_EQ(sim_.Do("fault 127.0.0.2 delay 300"), "ok");
    const auto sent = std::chrono::steady_clock::now();
    client.Send("?gdevid\r");
    EXPECT_TRUE(client.LineStartingWith(":gdevid", 3s).has_value());
    // The rack counts whole milliseconds, so the hold may end just short of the exact figure.
    EXPECT_GE(std::chrono::steady_clock::now() - sent, 298ms);

    ASSERT_EQ(sim_.Do("fault 127.0.0.2 delay 0"), "ok");
    ASSERT_EQ(sim_.Do("fault 127.0.0.2 status gpsuconf 12"), "ok");
    client.Send("?gpsuconf\r?gfanconf\r");
    EXPECT_EQ(client.LineStartingWith(":gpsuconf"), ":gpsuconf,12,0")
        << "a failed reply still carries its unconditional words";
    EXPECT_EQ(client.LineStartingWith(":gfanconf"), ":gfanconf,0,7");
}

}  // namespace
}  // namespace velmar::test
