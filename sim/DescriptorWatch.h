#pragma once

#include <poll.h>
#include <sys/epoll.h>

#include <span>
#include <vector>

namespace velmar::sim {

// Waits on the server's descriptors in poll()'s form, but through an epoll set that is kept
// between turns: a turn's list is compared with the last one's, and only entries that changed
// reach the kernel, so a turn on a quiet rack costs one wait however many listeners it has.
// Where epoll cannot take a descriptor (stdin on a file), it falls back to poll() for good.
class DescriptorWatch {
  public:
    DescriptorWatch();
    ~DescriptorWatch();
    DescriptorWatch(const DescriptorWatch&) = delete;
    DescriptorWatch& operator=(const DescriptorWatch&) = delete;

    // The caller closed a descriptor since the last wait: its number may come back as another
    // socket at the same place in the list, which a comparison cannot tell.
    void DescriptorsClosed() { stale_ = true; }

    // As poll(): fills every entry's revents and returns the number of entries ready, 0 on
    // timeout and -1 on failure.
    int Wait(std::span<pollfd> fds, int timeoutMs);

  private:
    bool Register(std::span<const pollfd> fds);
    void Reset();

    int epoll_ = -1;
    bool stale_ = false;
    bool usePoll_ = false;
    std::vector<pollfd> registered_;  // entry i is in the set with data i
    std::vector<epoll_event> ready_;
};

}  // namespace velmar::sim
