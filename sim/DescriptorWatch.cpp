#include "sim/DescriptorWatch.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace velmar::sim {
namespace {

// poll()'s and epoll's event bits are the same numbers on Linux; the set takes them as given.
static_assert(POLLIN == EPOLLIN && POLLOUT == EPOLLOUT && POLLERR == EPOLLERR && POLLHUP == EPOLLHUP);

}  // namespace

DescriptorWatch::DescriptorWatch() : epoll_(::epoll_create1(EPOLL_CLOEXEC)), usePoll_(epoll_ < 0) {}

DescriptorWatch::~DescriptorWatch() {
    if (epoll_ >= 0)
        ::close(epoll_);
}

void DescriptorWatch::Reset() {
    for (const pollfd& entry : registered_)
        ::epoll_ctl(epoll_, EPOLL_CTL_DEL, entry.fd, nullptr);  // closed ones are gone already
    registered_.clear();
    stale_ = false;
}

bool DescriptorWatch::Register(std::span<const pollfd> fds) {
    if (stale_)
        Reset();
    // The common turn: the same descriptors wanting the same events, nothing to tell the kernel.
    if (fds.size() == registered_.size() &&
        std::memcmp(fds.data(), registered_.data(), fds.size() * sizeof(pollfd)) == 0)
        return true;
    // Every removal before any addition: a descriptor that moved in the list is taken out of its
    // old place before it is put into its new one.
    for (std::size_t i = 0; i < registered_.size(); ++i) {
        if (i >= fds.size() || registered_[i].fd != fds[i].fd)
            ::epoll_ctl(epoll_, EPOLL_CTL_DEL, registered_[i].fd, nullptr);
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
        const bool same = i < registered_.size() && registered_[i].fd == fds[i].fd;
        if (same && registered_[i].events == fds[i].events)
            continue;
        epoll_event event{};
        event.events = static_cast<std::uint32_t>(static_cast<unsigned short>(fds[i].events));
        event.data.u64 = i;
        if (::epoll_ctl(epoll_, same ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, fds[i].fd, &event) != 0) {
            Reset();
            return false;
        }
    }
    registered_.assign(fds.begin(), fds.end());
    return true;
}

int DescriptorWatch::Wait(std::span<pollfd> fds, int timeoutMs) {
    if (!usePoll_ && !Register(fds)) {
        usePoll_ = true;
        ::close(epoll_);
        epoll_ = -1;
    }
    if (usePoll_)
        return ::poll(fds.data(), fds.size(), timeoutMs);
    ready_.resize(std::max<std::size_t>(fds.size(), 1));
    for (pollfd& entry : fds)
        entry.revents = 0;
    const int n = ::epoll_wait(epoll_, ready_.data(), static_cast<int>(ready_.size()), timeoutMs);
    for (int k = 0; k < n; ++k) {
        const epoll_event& event = ready_[static_cast<std::size_t>(k)];
        if (event.data.u64 < fds.size())
            fds[event.data.u64].revents = static_cast<short>(event.events);
    }
    return n;
}

}  // namespace velmar::sim
