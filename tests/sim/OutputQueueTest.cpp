#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "sim/OutputQueue.h"

namespace velmar::sim {
namespace {

// The queue on one end of a socket pair; the test reads the other end.
class OutputQueueTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, ends), 0); }
    void TearDown() override {
        ::close(ends[0]);
        ::close(ends[1]);
    }
    std::string Received() {
        char buffer[4096];
        const ssize_t n = ::recv(ends[1], buffer, sizeof buffer, MSG_DONTWAIT);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
    }
    int ends[2] = {-1, -1};
    OutputQueue queue;
};

TEST_F(OutputQueueTest, DueBytesLeaveTogetherAndHeldOnesInTheirOrderWhenTheirTimeComes) {
    queue.Push(":a\r", 10);
    queue.Push(":b\r", 10);
    queue.Push(":late\r", 50);
    queue.Push(":early\r", 20);  // never overtakes what was queued before it
    EXPECT_EQ(queue.NextDue(), 10);
    ASSERT_TRUE(queue.Flush(ends[0], 10, false));
    EXPECT_EQ(Received(), ":a\r:b\r");
    EXPECT_EQ(queue.Pending(), 13u);
    EXPECT_EQ(queue.NextDue(), 50);
    ASSERT_TRUE(queue.Flush(ends[0], 49, false));
    EXPECT_EQ(Received(), "");
    ASSERT_TRUE(queue.Flush(ends[0], 50, false));
    EXPECT_EQ(Received(), ":late\r:early\r");
    EXPECT_TRUE(queue.Empty());

    // Reused after it emptied; a split frame sends byte by byte but sends everything.
    queue.Push(":c\r", 60);
    ASSERT_TRUE(queue.Flush(ends[0], 60, true));
    EXPECT_EQ(Received(), ":c\r");
}

TEST_F(OutputQueueTest, WhatTheSocketCannotTakeWaitsAndLeavesWhole) {
    std::string big(1 << 20, 'x');
    queue.Push(big, 0);
    queue.Push(":tail\r", 0);
    ASSERT_TRUE(queue.Flush(ends[0], 0, false));
    ASSERT_GT(queue.Pending(), 0u) << "a full socket keeps the rest";
    std::string got;
    while (!queue.Empty()) {
        for (std::string part = Received(); !part.empty(); part = Received())
            got += part;
        ASSERT_TRUE(queue.Flush(ends[0], 0, false));
    }
    for (std::string part = Received(); !part.empty(); part = Received())
        got += part;
    EXPECT_EQ(got, big + ":tail\r");
}

}  // namespace
}  // namespace velmar::sim
