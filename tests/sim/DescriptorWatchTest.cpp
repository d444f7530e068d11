#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <memory>

#include "sim/DescriptorWatch.h"

namespace velmar::sim {
namespace {

struct SocketPair {
    SocketPair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends.data()), 0); }
    ~SocketPair() {
        for (const int fd : ends) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    std::array<int, 2> ends{-1, -1};
};

// The set answers as poll() would while the list changes between turns: entries come and go,
// change their events, and a closed descriptor's number comes back at the same place as a new
// socket (the case a comparison of lists alone would miss).
TEST(DescriptorWatch, AnswersAsPollWhileTheListChanges) {
    DescriptorWatch watch;
    SocketPair quiet;
    auto pair = std::make_unique<SocketPair>();
    std::array<pollfd, 2> fds{{{quiet.ends[0], POLLIN, 0}, {pair->ends[0], POLLIN, 0}}};
    EXPECT_EQ(watch.Wait(fds, 0), 0);

    ASSERT_EQ(::write(pair->ends[1], "x", 1), 1);
    EXPECT_EQ(watch.Wait(fds, 100), 1);
    EXPECT_EQ(fds[0].revents, 0);
    EXPECT_EQ(fds[1].revents, POLLIN);

    fds[1].events = POLLOUT;
    EXPECT_EQ(watch.Wait(fds, 100), 1);
    EXPECT_EQ(fds[1].revents, POLLOUT);

    // Swapped places: each answer still lands on its own entry.
    std::swap(fds[0], fds[1]);
    EXPECT_EQ(watch.Wait(fds, 100), 1);
    EXPECT_EQ(fds[0].revents, POLLOUT);
    EXPECT_EQ(fds[1].revents, 0);
    std::swap(fds[0], fds[1]);
    fds[1].events = POLLIN;
    char byte = 0;
    ASSERT_EQ(::read(pair->ends[0], &byte, 1), 1);
    EXPECT_EQ(watch.Wait(fds, 0), 0);

    const int reused = pair->ends[0];
    pair.reset();
    watch.DescriptorsClosed();
    pair = std::make_unique<SocketPair>();
    ASSERT_EQ(pair->ends[0], reused) << "the lowest free number comes back";
    ASSERT_EQ(::write(pair->ends[1], "y", 1), 1);
    EXPECT_EQ(watch.Wait(fds, 100), 1);
    EXPECT_EQ(fds[1].revents, POLLIN);

    // A shorter list: the dropped entry's readiness is not reported against anything.
    ASSERT_EQ(::write(quiet.ends[1], "z", 1), 1);
    EXPECT_EQ(watch.Wait(std::span<pollfd>(fds).first(1), 100), 1);
    EXPECT_EQ(fds[0].revents, POLLIN);
}

}  // namespace
}  // namespace velmar::sim
